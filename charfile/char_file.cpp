#include "charfile/char_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "charfile/descriptor_calls.h"

namespace pelloran {

CharFile::~CharFile() { CloseQuietly(); }

void CharFile::OpenDescriptor(int flags, Mode mode) {
  if (is_open()) CloseQuietly();
  if (name_.empty()) throw EInOutError(kFileNotFound);
  if (flags & (O_WRONLY | O_RDWR)) IgnoreFileSizeSignal();
  // Non-blocking so that a FIFO never hangs the open; a regular file ignores it.
  const int fd = OpenRetrying(name_.c_str(), flags | O_NONBLOCK, 0666);
  const FileStep step = (flags & O_CREAT) != 0               ? FileStep::kCreate
                        : (flags & (O_WRONLY | O_RDWR)) != 0 ? FileStep::kWrite
                                                             : FileStep::kOpen;
  if (fd < 0) throw EInOutError::FromErrno(errno).About(name_, step);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    // Say what is in the way: a folder, a FIFO, a device.
    if (S_ISDIR(st.st_mode)) throw EInOutError::FromErrno(EISDIR).About(name_, step);
    throw EInOutError(kFileAccessDenied, kNotARegularFile).About(name_, step);
  }
  Adopt(fd, mode, st.st_mode & 07777);
}

void CharFile::Adopt(int fd, Mode mode, mode_t permissions) {
  fd_ = fd;
  borrowed_ = false;
  mode_ = mode;
  permissions_ = permissions;
  ResetBuffers();
}

void CharFile::CloseQuietly() noexcept {
  if (!is_open()) return;
  try {
    Flush();
  } catch (...) {
    // Closing on a failure path: the failure already being handled wins.
  }
  if (fd_ >= 0 && !borrowed_) ::close(fd_);
  fd_ = -1;
  borrowed_ = false;
  mode_ = Mode::kClosed;
  permissions_ = 0;
  ResetBuffers();
}

void CharFile::WriteAll(const char* data, size_t size) {
  if (discarding()) return;
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR || ClearedNonBlocking(fd_, errno)) continue;
      throw EInOutError::FromErrno(errno).About(name_, FileStep::kWrite);
    }
    if (n == 0) throw EInOutError(kDiskFull).About(name_, FileStep::kWrite);
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void BindFileName(CharFile& file, std::string_view name) {
  file.CloseQuietly();
  file.name_ = std::string(name);
}

void CloseCharFileQuietly(CharFile& file) noexcept { file.CloseQuietly(); }

void CloseCharFileDiscarding(CharFile& file) noexcept {
  file.ResetBuffers();
  file.CloseQuietly();
}

void OpenForDiscarding(CharFile& file) {
  file.CloseQuietly();
  // A text file writes in kOutput; a byte file accepts that too.
  file.mode_ = CharFile::Mode::kOutput;
  file.ResetBuffers();
}

void CloseCharFile(CharFile& file) {
  if (!file.is_open()) throw EInOutError(kFileNotOpen);
  try {
    file.Flush();
  } catch (...) {
    file.CloseQuietly();
    throw;
  }
  const int fd = file.borrowed_ ? -1 : file.fd_;
  file.fd_ = -1;
  file.borrowed_ = false;
  file.mode_ = CharFile::Mode::kClosed;
  file.permissions_ = 0;
  file.ResetBuffers();
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
    throw EInOutError::FromErrno(errno).About(file.name_, FileStep::kClose);
}

}  // namespace pelloran
