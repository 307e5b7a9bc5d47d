#include "tools/file_system.h"

#include <sys/stat.h>

#include "platform/file_moves.h"

namespace pelloran {

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool DeleteFileQuietly(const std::string& path) { return !DeleteFile(path); }

bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
  return !RenameNoReplace(from, to);
}

}  // namespace pelloran
