#include "charfile/temporary_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace pelloran {

// A folder of its own, readable by this user only: the second pass's file
// beside the first has a name others could foresee, and must not be theirs.
TemporaryFile::TemporaryFile() {
  std::error_code no_temp;
  std::filesystem::path folder = std::filesystem::temp_directory_path(no_temp);
  if (no_temp) folder = "/tmp";
  folder_ = folder / "pelloran-preview-XXXXXX";
  if (::mkdtemp(folder_.data()) == nullptr) {
    failure_ = std::error_code(errno, std::generic_category());
    return;
  }
  path_ = folder_ + "/page";
}

TemporaryFile::~TemporaryFile() {
  std::error_code ignored;
  if (!failure_) std::filesystem::remove_all(folder_, ignored);
}

}  // namespace pelloran
