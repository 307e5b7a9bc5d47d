#pragma once

// A byte file is written one byte at a time (the working copy).

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string_view>

#include "charfile/char_file.h"

namespace pelloran {

class ByteFile final : public CharFile {
 public:
  ByteFile();
  ~ByteFile() override;

  void PutByte(unsigned char c) {
    if (mode_ != Mode::kOutput && mode_ != Mode::kInputOutput) [[unlikely]]
      throw EInOutError(kFileAccessDenied);
    if (used_ == kBufferSize) [[unlikely]]
      Flush();
    buffer_[used_++] = c;
  }

  // Writes a run of bytes, exactly as PutByte of each in turn would.
  void PutBytes(std::string_view bytes);

  static constexpr size_t kBufferSize = 64 * 1024;

 private:
  friend void CreateByteFile(ByteFile& file, int record_size);
  friend void OpenByteFile(ByteFile& file, int record_size);
  friend void CreateWorkingCopy(ByteFile& file, mode_t permissions);
  friend bool CreateUnnamedWorkingCopy(ByteFile& file, std::string_view folder, mode_t permissions);
  friend void OpenTextOverByteFile(TextFile& text, ByteFile& bytes);

  void Flush() override;
  void ResetBuffers() override {
    used_ = 0;
    size_ = 0;
  }

  std::unique_ptr<unsigned char[]> buffer_;
  size_t used_ = 0;
  off_t size_ = 0;  // bytes written out since the file was opened
};

void CreateByteFile(ByteFile& file, int record_size = 1);
void OpenByteFile(ByteFile& file, int record_size = 1);
inline void PutByte(ByteFile& file, unsigned char c) { file.PutByte(c); }

}  // namespace pelloran
