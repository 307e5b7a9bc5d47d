#include "charfile/char_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>

namespace pelloran {
namespace {

constexpr size_t kReadBufferSize = 64 * 1024;
// Room for the look-ahead window after the read area.
constexpr size_t kReadAllocation = kReadBufferSize + TextFile::kMaxLookahead;
constexpr size_t kTextWriteBufferSize = 16 * 1024;

// A write past RLIMIT_FSIZE would kill the process with SIGXFSZ; ignored, the
// write fails with EFBIG instead and is reported as "Disk full".
void IgnoreFileSizeSignal() {
  static std::once_flag once;
  std::call_once(once, [] { signal(SIGXFSZ, SIG_IGN); });
}

// Pages are opened non-blocking so that a FIFO cannot hang the open. A
// regular file ignores the flag; should one answer EAGAIN all the same, the
// flag goes and the call is made again.
bool ClearedNonBlocking(int fd, int err) {
  if (err != EAGAIN) return false;
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && (flags & O_NONBLOCK) != 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// A file just made with `permissions` as its creation mode may have lost bits
// to the umask or to the folder's default ACL, and set-id and sticky bits
// need not survive creation: they are set once more on the descriptor.
void CompletePermissions(int fd, mode_t permissions) {
  ::fchmod(fd, permissions);  // as before: a page whose bits cannot be copied is still cleaned
}

int OpenRetrying(const char* path, int flags, mode_t mode) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

CharFile::~CharFile() { CloseQuietly(); }

void CharFile::OpenDescriptor(int flags, Mode mode) {
  if (is_open()) CloseQuietly();
  if (name_.empty()) throw EInOutError(kFileNotFound);
  if (flags & (O_WRONLY | O_RDWR)) IgnoreFileSizeSignal();
  // Non-blocking so that a FIFO never hangs the open; a regular file ignores it.
  const int fd = OpenRetrying(name_.c_str(), flags | O_NONBLOCK, 0666);
  if (fd < 0) throw EInOutError::FromErrno(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    // Say what is in the way: a folder, a FIFO, a device.
    if (S_ISDIR(st.st_mode)) throw EInOutError::FromErrno(EISDIR);
    throw EInOutError(kFileAccessDenied, "File access denied: not a regular file");
  }
  Adopt(fd, mode, st.st_mode & 07777);
}

void CharFile::Adopt(int fd, Mode mode, mode_t permissions) {
  fd_ = fd;
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
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
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
      throw EInOutError::FromErrno(errno);
    }
    if (n == 0) throw EInOutError(kDiskFull);
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void BindFileName(CharFile& file, std::string_view name) {
  file.CloseQuietly();
  file.name_ = std::string(name);
}

void CloseCharFileQuietly(CharFile& file) noexcept { file.CloseQuietly(); }

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
  const int fd = file.fd_;
  file.fd_ = -1;
  file.mode_ = CharFile::Mode::kClosed;
  file.permissions_ = 0;
  file.ResetBuffers();
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throw EInOutError::FromErrno(errno);
}

// ---- text files ----

TextFile::TextFile() : buffer_(new unsigned char[kReadAllocation]) {}

TextFile::~TextFile() { CloseQuietly(); }

void TextFile::ResetBuffers() {
  pos_ = 0;
  end_ = 0;
  read_offset_ = 0;
  known_size_ = -1;
  physical_end_ = false;
  written_ = 0;
}

bool TextFile::Refill() {
  if (physical_end_) return false;
  // Keep the unread bytes (the look-ahead window) at the front.
  if (pos_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  // A file of known length needs no read to find its end.
  if (known_size_ >= 0 && read_offset_ >= known_size_) {
    physical_end_ = true;
    return false;
  }
  const size_t room = kReadAllocation - end_;
  // By offset, so that a descriptor handed over after writing reads from its
  // start without a seek.
  ssize_t n;
  do {
    n = ::pread(fd_, buffer_.get() + end_, room, read_offset_);
  } while (n < 0 && (errno == EINTR || ClearedNonBlocking(fd_, errno)));
  if (n < 0) throw EInOutError::FromErrno(errno);
  if (n == 0) {
    physical_end_ = true;
    return false;
  }
  end_ += static_cast<size_t>(n);
  read_offset_ += n;
  return true;
}

int TextFile::NextCharSlow() {
  if (mode_ != Mode::kInput) throw EInOutError(kFileNotOpenForInput);
  if (!Refill()) return kEndMark;
  return NextChar();
}

int TextFile::Peek(size_t offset) {
  if (mode_ != Mode::kInput) throw EInOutError(kFileNotOpenForInput);
  for (size_t i = 0; i <= offset; ++i) {
    while (pos_ + i >= end_) {
      if (!Refill()) return kEndMark;
    }
    if (buffer_[pos_ + i] == kEndMark) return kEndMark;
  }
  return buffer_[pos_ + offset];
}

bool TextFile::StoppedBeforeMoreData() {
  if (mode_ != Mode::kInput) return false;
  if (Peek(0) != kEndMark || pos_ >= end_) return false;  // at the physical end
  // A byte 26 stands at pos_: is anything after it?
  while (pos_ + 1 >= end_) {
    if (!Refill()) return false;
  }
  return true;
}

void TextFile::Flush() {
  if (mode_ != Mode::kOutput || written_ == 0) return;
  const size_t size = written_;
  written_ = 0;
  WriteAll(reinterpret_cast<const char*>(buffer_.get()), size);
}

void OpenTextForReading(TextFile& file) { file.OpenDescriptor(O_RDONLY, CharFile::Mode::kInput); }

void CreateTextForWriting(TextFile& file) {
  file.OpenDescriptor(O_WRONLY | O_CREAT | O_TRUNC, CharFile::Mode::kOutput);
}

bool AtEnd(TextFile& file) { return file.Peek(0) == kEndMark; }

bool SkipBlanksToEnd(TextFile& file) {
  for (;;) {
    const int c = file.Peek(0);
    if (c == kEndMark) return true;
    if (!IsBlank(c)) return false;
    file.NextChar();
  }
}

void PutText(TextFile& file, std::string_view text) {
  if (file.mode_ != CharFile::Mode::kOutput) throw EInOutError(kFileNotOpenForOutput);
  while (!text.empty()) {
    if (file.written_ == kTextWriteBufferSize) file.Flush();
    const size_t n = std::min(text.size(), kTextWriteBufferSize - file.written_);
    std::memcpy(file.buffer_.get() + file.written_, text.data(), n);
    file.written_ += n;
    text.remove_prefix(n);
  }
}

void PutLineEnd(TextFile& file) { PutText(file, "\r\n"); }

// ---- byte files ----

ByteFile::ByteFile() : buffer_(new unsigned char[kBufferSize]) {}

ByteFile::~ByteFile() { CloseQuietly(); }

void ByteFile::Flush() {
  if (used_ == 0) return;
  const size_t size = used_;
  used_ = 0;
  WriteAll(reinterpret_cast<const char*>(buffer_.get()), size);
  size_ += static_cast<off_t>(size);
}

void ByteFile::PutBytes(std::string_view bytes) {
  if (bytes.empty()) return;
  if (mode_ != Mode::kOutput && mode_ != Mode::kInputOutput) throw EInOutError(kFileAccessDenied);
  // A run at a time, flushing where PutByte would: when the buffer is full
  // and another byte comes.
  for (;;) {
    const size_t n = std::min(bytes.size(), kBufferSize - used_);
    std::memcpy(buffer_.get() + used_, bytes.data(), n);
    used_ += n;
    bytes.remove_prefix(n);
    if (bytes.empty()) return;
    Flush();
  }
}

void CreateByteFile(ByteFile& file, int /*record_size*/) {
  file.OpenDescriptor(O_RDWR | O_CREAT | O_TRUNC, CharFile::Mode::kInputOutput);
}

void OpenByteFile(ByteFile& file, int /*record_size*/) {
  file.OpenDescriptor(O_RDWR, CharFile::Mode::kInputOutput);
}

std::string ReadWholeFile(const std::string& path) {
  const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_NONBLOCK, 0);
  if (fd < 0) throw EInOutError::FromErrno(errno);
  std::string text;
  // Sized once from the start: growing by doubling would hold up to three
  // times a large page while it is moved.
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) text.reserve(static_cast<size_t>(st.st_size));
  char block[65536];
  for (;;) {
    const ssize_t n = ::read(fd, block, sizeof block);
    if (n < 0 && (errno == EINTR || ClearedNonBlocking(fd, errno))) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      throw EInOutError::FromErrno(err);
    }
    if (n == 0) break;
    text.append(block, static_cast<size_t>(n));
  }
  ::close(fd);
  return text;
}

// ---- working copies ----

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
  if (errno != EEXIST) throw EInOutError::FromErrno(errno);
  // A working copy left by an earlier run goes: it may carry a read-only
  // page's bits, or be a link that would lead the writes elsewhere.
  if (::unlink(file.name_.c_str()) != 0 && errno != ENOENT) throw EInOutError::FromErrno(errno);
  fd = OpenRetrying(file.name_.c_str(), O_RDWR | O_CREAT | O_EXCL, permissions);
  if (fd < 0) throw EInOutError::FromErrno(errno);
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
    throw EInOutError::FromErrno(errno);
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
