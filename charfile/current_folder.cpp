#include "charfile/current_folder.h"

#include <filesystem>
#include <system_error>

namespace pelloran {

std::string CurrentFolder() {
  std::error_code gone;
  std::string folder = std::filesystem::current_path(gone).string();
  return gone ? std::string() : folder;
}

}  // namespace pelloran
