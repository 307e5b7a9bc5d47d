#include "charfile/byte_file.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>

namespace pelloran {

ByteFile::ByteFile() : buffer_(new unsigned char[kBufferSize]) {}

ByteFile::~ByteFile() { CloseQuietly(); }

void ByteFile::Flush() {
  if (used_ == 0) return;
  if (in_memory()) {
    fd_ = make_file_();
    make_file_ = nullptr;
  }
  if (watcher_) watcher_(buffer_.get(), used_);
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

}  // namespace pelloran

namespace pelloran {

void WriteToDescriptor(ByteFile& file, int fd) {
  file.CloseQuietly();
  file.Adopt(fd, CharFile::Mode::kInputOutput, 0);
  file.borrowed_ = true;
}

void OpenInMemory(ByteFile& file, ByteFile::FileMaker make_file) {
  file.CloseQuietly();
  file.Adopt(-1, CharFile::Mode::kInputOutput, 0);
  file.make_file_ = std::move(make_file);
}

void WatchWrites(ByteFile& file, ByteFile::WriteWatcher watcher) {
  file.watcher_ = std::move(watcher);
}

off_t BytesWritten(const ByteFile& file) { return file.size_ + static_cast<off_t>(file.used_); }

}  // namespace pelloran
