#include "charfile/text_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "charfile/descriptor_calls.h"

namespace pelloran {
namespace {

constexpr size_t kReadBufferSize = 64 * 1024;
// Room for the look-ahead window after the read area.
constexpr size_t kReadAllocation = kReadBufferSize + TextFile::kMaxLookahead;
constexpr size_t kTextWriteBufferSize = 16 * 1024;

}  // namespace

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
  if (n < 0) throw EInOutError::FromErrno(errno).About(name_, FileStep::kRead);
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

void TextFile::TakeText(const unsigned char* bytes, size_t size) {
  std::memcpy(buffer_.get(), bytes, size);
  end_ = size;
  read_offset_ = static_cast<off_t>(size);
  known_size_ = static_cast<off_t>(size);
  physical_end_ = true;
}

void ReadFromDescriptor(TextFile& file, int fd, off_t size) {
  file.CloseQuietly();
  file.Adopt(fd, CharFile::Mode::kInput, 0);
  file.borrowed_ = true;
  file.known_size_ = size;  // the end needs no read to be found
}

void OpenTextForReading(TextFile& file) { file.OpenDescriptor(O_RDONLY, CharFile::Mode::kInput); }

void CreateTextForWriting(TextFile& file) {
  file.OpenDescriptor(O_WRONLY | O_CREAT | O_TRUNC, CharFile::Mode::kOutput);
}

void CreateNewTextForWriting(TextFile& file) {
  file.OpenDescriptor(O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, CharFile::Mode::kOutput);
}

bool AtEnd(TextFile& file) { return file.Peek(0) == kEndMark; }

std::string_view FirstBlock(TextFile& file) {
  file.Peek(0);
  const std::span<const unsigned char> block = file.Buffered();
  return {reinterpret_cast<const char*>(block.data()), block.size()};
}

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

}  // namespace pelloran
