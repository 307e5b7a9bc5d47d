#include "charfile/char_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

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

}  // namespace

CharFile::~CharFile() { CloseQuietly(); }

void CharFile::OpenDescriptor(int flags, Mode mode) {
  if (is_open()) CloseQuietly();
  if (name_.empty()) throw EInOutError(kFileNotFound);
  if (flags & (O_WRONLY | O_RDWR)) IgnoreFileSizeSignal();
  // Non-blocking so that a FIFO never hangs the open; cleared again below.
  int fd;
  do {
    fd = ::open(name_.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw EInOutError::FromErrno(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw EInOutError(kFileAccessDenied);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  fd_ = fd;
  mode_ = mode;
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
  ResetBuffers();
}

void CharFile::WriteAll(const char* data, size_t size) {
  if (discarding()) return;
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw EInOutError::FromErrno(errno);
    }
    if (n == 0) throw EInOutError(kDiskFull);
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void CharFile::Sync() {
  if (!is_open()) throw EInOutError(kFileNotOpen);
  Flush();
  if (!discarding() && ::fsync(fd_) != 0) throw EInOutError::FromErrno(errno);
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
  file.ResetBuffers();
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) throw EInOutError::FromErrno(errno);
}

// ---- text files ----

TextFile::TextFile() : buffer_(new unsigned char[kReadAllocation]) {}

TextFile::~TextFile() { CloseQuietly(); }

void TextFile::ResetBuffers() {
  pos_ = 0;
  end_ = 0;
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
  const size_t room = kReadAllocation - end_;
  ssize_t n;
  do {
    n = ::read(fd_, buffer_.get() + end_, room);
  } while (n < 0 && errno == EINTR);
  if (n < 0) throw EInOutError::FromErrno(errno);
  if (n == 0) {
    physical_end_ = true;
    return false;
  }
  end_ += static_cast<size_t>(n);
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

}  // namespace pelloran
