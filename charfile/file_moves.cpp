#include "charfile/file_moves.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <vector>

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

bool SameBytes(const std::string& a, const std::string& b) {
  std::ifstream in_a(a, std::ios::binary), in_b(b, std::ios::binary);
  if (!in_a || !in_b) return false;
  std::vector<char> block_a(1 << 16), block_b(1 << 16);
  while (in_a && in_b) {
    in_a.read(block_a.data(), static_cast<std::streamsize>(block_a.size()));
    in_b.read(block_b.data(), static_cast<std::streamsize>(block_b.size()));
    if (in_a.gcount() != in_b.gcount() ||
        !std::equal(block_a.begin(), block_a.begin() + in_a.gcount(), block_b.begin()))
      return false;
  }
  return in_a.eof() && in_b.eof();
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat st_a, st_b;
  return ::lstat(a.c_str(), &st_a) == 0 && ::lstat(b.c_str(), &st_b) == 0 &&
         st_a.st_dev == st_b.st_dev && st_a.st_ino == st_b.st_ino;
}

}  // namespace pelloran
