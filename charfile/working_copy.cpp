#include "charfile/working_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "charfile/descriptor_calls.h"

namespace pelloran {
namespace {

// A file just made with `permissions` as its creation mode may have lost bits
// to the umask or to the folder's default ACL, and set-id and sticky bits
// need not survive creation: they are set once more on the descriptor.
void CompletePermissions(int fd, mode_t permissions) {
  ::fchmod(fd, permissions);  // as before: a page whose bits cannot be copied is still cleaned
}

}  // namespace

void CreateWorkingCopy(ByteFile& file, mode_t permissions) {
  if (file.is_open()) file.CloseQuietly();
  if (file.name_.empty()) throw EInOutError(kFileNotFound);
  IgnoreFileSizeSignal();
  // Usually the name is free: the new file is then surely a regular one.
  int fd = OpenRetrying(file.name_.c_str(), O_RDWR | O_CREAT | O_EXCL, permissions);
  if (fd >= 0) {
    CompletePermissions(fd, permissions);
    file.Adopt(fd, CharFile::Mode::kInputOutput, permissions);
    return;
  }
  if (errno != EEXIST) throw EInOutError::FromErrno(errno).About(file.name_, FileStep::kCreate);
  // A working copy left by an earlier run goes: it may carry a read-only
  // page's bits, or be a link that would lead the writes elsewhere.
  if (::unlink(file.name_.c_str()) != 0 && errno != ENOENT)
    throw EInOutError::FromErrno(errno).About(file.name_, FileStep::kCreate);
  fd = OpenRetrying(file.name_.c_str(), O_RDWR | O_CREAT | O_EXCL, permissions);
  if (fd < 0) throw EInOutError::FromErrno(errno).About(file.name_, FileStep::kCreate);
  CompletePermissions(fd, permissions);
  file.Adopt(fd, CharFile::Mode::kInputOutput, permissions);
}

bool CreateUnnamedWorkingCopy(ByteFile& file, std::string_view folder, mode_t permissions) {
  if (file.is_open()) file.CloseQuietly();
  IgnoreFileSizeSignal();
  const std::string where(folder.empty() ? "." : folder);
  const int fd = OpenRetrying(where.c_str(), O_RDWR | O_TMPFILE, permissions);
  if (fd < 0) {
    // File systems (and kernels) without unnamed files say so in one of these.
    if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) return false;
    throw EInOutError::FromErrno(errno).About(where, FileStep::kCreateInFolder);
  }
  CompletePermissions(fd, permissions);
  file.Adopt(fd, CharFile::Mode::kInputOutput, permissions);
  return true;
}

void GiveOwnerOf(const CharFile& from, CharFile& to) {
  if (from.fd_ < 0 || to.fd_ < 0 || ::geteuid() != 0) return;
  struct stat source, made;
  if (::fstat(from.fd_, &source) != 0 || ::fstat(to.fd_, &made) != 0) return;
  if (source.st_uid == made.st_uid && source.st_gid == made.st_gid) return;
  if (::fchown(to.fd_, source.st_uid, source.st_gid) != 0) return;
  // A change of owner drops the set-id bits: they are set once more. Root
  // without the right over others' files could then neither do that nor
  // give the file its name (protected hard links): it takes the file back.
  if (::fchmod(to.fd_, to.permissions_) != 0) ::fchown(to.fd_, made.st_uid, made.st_gid);
}

void OpenTextOverByteFile(TextFile& text, ByteFile& bytes) {
  if (!bytes.is_open()) throw EInOutError(kFileNotOpen);
  try {
    bytes.Flush();
  } catch (...) {
    bytes.CloseQuietly();
    text.CloseQuietly();
    throw;
  }
  const int fd = bytes.fd_;
  const mode_t permissions = bytes.permissions_;
  const off_t size = bytes.size_;
  bytes.fd_ = -1;
  bytes.mode_ = CharFile::Mode::kClosed;
  bytes.permissions_ = 0;
  bytes.ResetBuffers();
  text.CloseQuietly();
  text.Adopt(fd, CharFile::Mode::kInput, permissions);
  text.known_size_ = size;  // what was written, not a byte more
}

std::error_code GiveName(const CharFile& file, const std::string& name) {
  if (!file.is_open()) return std::error_code(EBADF, std::generic_category());
  // Through /proc any owner may link its own open file; the direct form
  // needs a capability and is the fallback where /proc is missing.
  const std::string self = "/proc/self/fd/" + std::to_string(file.fd_);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return {};
  int failure = errno;
  if (failure == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
    if (::linkat(file.fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return {};
    failure = errno;
  }
  return std::error_code(failure, std::generic_category());
}

}  // namespace pelloran
