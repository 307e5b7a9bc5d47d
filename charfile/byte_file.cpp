#include "charfile/byte_file.h"

#include <fcntl.h>

#include <algorithm>
#include <cstring>

namespace pelloran {

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

}  // namespace pelloran
