#pragma once

#include <string>
#include <system_error>

namespace pelloran {

// A name for a file in a new folder of the system's temporary folder, for a
// page cleaned without touching its own folder; the folder and all in it are
// removed again with this object.
class TemporaryFile {
 public:
  TemporaryFile();
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  // Why the file could not be made; then there is no file.
  std::error_code failure() const { return failure_; }
  const std::string& path() const { return path_; }

 private:
  std::string folder_;
  std::string path_;
  std::error_code failure_;
};

}  // namespace pelloran
