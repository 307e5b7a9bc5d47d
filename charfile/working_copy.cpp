#include "charfile/working_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "charfile/descriptor_calls.h"

namespace pelloran {
namespace {

// A file just made with `permissions` as its creation mode may have lost bits
// to the umask or to the folder's default ACL, and set-id and sticky bits
// need not survive creation: they are set once more on the descriptor.
void CompletePermissions(int fd, mode_t permissions) {
  ::fchmod(fd, permissions);  // as before: a page whose bits cannot be copied is still cleaned
}

// The process's umask, read once without changing it (umask() would, for a
// moment, for every thread); nullopt when it cannot be told.
int UmaskOnce() {
  static const int mask = [] {
    FILE* status = std::fopen("/proc/self/status", "re");
    if (status == nullptr) return -1;
    char line[256];
    unsigned value = 0;
    int found = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
      if (std::sscanf(line, "Umask: %o", &value) == 1) found = static_cast<int>(value);
    }
    std::fclose(status);
    return found;
  }();
  return mask;
}

// Would a file made with `permissions` lack some of them? The umask takes
// bits, creation drops set-id and sticky bits, and a folder's default ACL
// sets the bits by itself.
bool CreationLosesBits(mode_t permissions, bool folder_has_default_acl) {
  const int mask = UmaskOnce();
  return folder_has_default_acl || mask < 0 || (permissions & static_cast<mode_t>(mask)) != 0 ||
         (permissions & 07000) != 0;
}

// The extended attributes of `from` (ACLs among them) on `to`, but `except`.
void CopyExtendedAttributes(int from, int to, const char* except) {
  std::array<char, 4096> names;
  const ssize_t listed = ::flistxattr(from, names.data(), names.size());
  if (listed <= 0) return;  // none, none kept here, or too many to copy
  std::vector<char> value(64 * 1024);
  for (const char* name = names.data(); name < names.data() + listed;
       name += std::strlen(name) + 1) {
    if (std::strcmp(name, except) == 0) continue;
    const ssize_t size = ::fgetxattr(from, name, value.data(), value.size());
    if (size >= 0) ::fsetxattr(to, name, value.data(), static_cast<size_t>(size), 0);
  }
}

}  // namespace

bool RunByRoot() {
  static const bool root = ::geteuid() == 0;
  return root;
}

bool OwnedByRunner(const struct stat& status) {
  static const uid_t user = ::geteuid();
  return status.st_uid == user;
}

namespace {
gid_t OwnGroup() {
  static const gid_t group = ::getegid();
  return group;
}
}  // namespace

int CreateUnnamedFile(const std::string& folder, mode_t permissions) {
  IgnoreFileSizeSignal();
  return OpenRetrying(folder.c_str(), O_RDWR | O_TMPFILE, permissions);
}

bool UnnamedFilesRefused(int err) { return err == EOPNOTSUPP || err == EISDIR || err == EINVAL; }

int CreateNewFile(const std::string& path, mode_t permissions) {
  IgnoreFileSizeSignal();
  return OpenRetrying(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, permissions);
}

std::error_code LinkDescriptor(int fd, const std::string& name) {
  // Through /proc any owner may link its own open file; the direct form
  // needs a capability and is the fallback where /proc is missing.
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return {};
  int failure = errno;
  if (failure == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
    if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return {};
    failure = errno;
  }
  return std::error_code(failure, std::generic_category());
}

void GiveAttributes(int from, const struct stat& from_status, int to, const char* except,
                    bool folder_has_default_acl) {
  const mode_t permissions = from_status.st_mode & 07777;
  if (RunByRoot() && (from_status.st_uid != 0 || from_status.st_gid != OwnGroup())) {
    // A change of owner drops the set-id bits: the bits come after it. Root
    // without the right over others' files could then neither set them nor
    // give the file its name (protected hard links): it takes the file back.
    if (::fchown(to, from_status.st_uid, from_status.st_gid) == 0 && ::fchmod(to, permissions) != 0)
      ::fchown(to, 0, OwnGroup());
  } else if (!RunByRoot() && from_status.st_gid != OwnGroup()) {
    ::fchown(to, static_cast<uid_t>(-1), from_status.st_gid);  // where the maker is in the group
  }
  if (CreationLosesBits(permissions, folder_has_default_acl)) ::fchmod(to, permissions);
  CopyExtendedAttributes(from, to, except);
}

bool SameBytes(int a, int b, off_t size) {
  std::vector<char> block_a(1 << 16), block_b(1 << 16);
  for (off_t at = 0; at < size;) {
    const ssize_t got_a = ::pread(a, block_a.data(), block_a.size(), at);
    const ssize_t got_b = ::pread(b, block_b.data(), block_b.size(), at);
    if (got_a <= 0 || got_a != got_b) return false;
    if (std::memcmp(block_a.data(), block_b.data(), static_cast<size_t>(got_a)) != 0) return false;
    at += got_a;
  }
  return true;
}

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
  if (bytes.in_memory()) {
    // Never written out: the text is read from memory, and no file is made.
    text.CloseQuietly();
    text.Adopt(-1, CharFile::Mode::kInput, 0);
    text.TakeText(bytes.buffer_.get(), bytes.used_);
    bytes.used_ = 0;
    bytes.CloseQuietly();
    return;
  }
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
  if (!file.is_open() || file.fd_ < 0) return std::error_code(EBADF, std::generic_category());
  return LinkDescriptor(file.fd_, name);
}

}  // namespace pelloran
