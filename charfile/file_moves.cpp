#include "charfile/file_moves.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace pelloran {
namespace {

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

// The flag is refused by some file systems (EINVAL) and by old kernels (ENOSYS).
bool NoReplaceFlagRefused(int err) { return err == EINVAL || err == ENOSYS || err == ENOTSUP; }

}  // namespace

// link() never replaces its target, so a link followed by an unlink is a
// rename that cannot overwrite.
std::error_code RenameByLink(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) != 0) return LastError();
  if (::unlink(from.c_str()) != 0) {
    const std::error_code failure = LastError();
    ::unlink(to.c_str());  // take the new name back: the file keeps its old name only
    return failure;
  }
  return {};
}

// For file systems without hard links (FAT): look, then rename. Only another
// program creating `to` in between could still be overwritten.
std::error_code RenameAfterLooking(const std::string& from, const std::string& to) {
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) return std::error_code(EEXIST, std::generic_category());
  if (::rename(from.c_str(), to.c_str()) != 0) return LastError();
  return {};
}

std::error_code RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (!NoReplaceFlagRefused(errno)) return LastError();
  const std::error_code by_link = RenameByLink(from, to);
  if (by_link.value() != EPERM && by_link.value() != ENOTSUP) return by_link;
  return RenameAfterLooking(from, to);
}

std::error_code ReplaceByRename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return LastError();
  return {};
}

std::error_code AddName(const std::string& existing, const std::string& name) {
  if (::link(existing.c_str(), name.c_str()) != 0) return LastError();
  return {};
}

std::error_code DeleteFile(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return LastError();
  return {};
}

}  // namespace pelloran
