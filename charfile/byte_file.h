#pragma once

// A byte file is written one byte at a time (the working copy).

#include <sys/types.h>

#include <cstddef>
#include <functional>
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

  // Sees every run of bytes just before it is written out.
  using WriteWatcher = std::function<void(const unsigned char* bytes, size_t size)>;
  // Gives the descriptor an in-memory file spills into; throws EInOutError.
  using FileMaker = std::function<int()>;

 private:
  friend void CreateByteFile(ByteFile& file, int record_size);
  friend void OpenByteFile(ByteFile& file, int record_size);
  friend void CreateWorkingCopy(ByteFile& file, mode_t permissions);
  friend bool CreateUnnamedWorkingCopy(ByteFile& file, std::string_view folder, mode_t permissions);
  friend void OpenTextOverByteFile(TextFile& text, ByteFile& bytes);
  friend void WriteToDescriptor(ByteFile& file, int fd);
  friend void OpenInMemory(ByteFile& file, FileMaker make_file);
  friend void WatchWrites(ByteFile& file, WriteWatcher watcher);
  friend off_t BytesWritten(const ByteFile& file);

  bool in_memory() const { return fd_ < 0 && make_file_ != nullptr; }
  void Flush() override;
  void ResetBuffers() override {
    used_ = 0;
    size_ = 0;
    make_file_ = nullptr;
    watcher_ = nullptr;
  }

  std::unique_ptr<unsigned char[]> buffer_;
  size_t used_ = 0;
  off_t size_ = 0;  // bytes written out since the file was opened
  FileMaker make_file_;
  WriteWatcher watcher_;
};

void CreateByteFile(ByteFile& file, int record_size = 1);
void OpenByteFile(ByteFile& file, int record_size = 1);
inline void PutByte(ByteFile& file, unsigned char c) { file.PutByte(c); }

// Writes to `fd`, an open regular file at its start, which stays open when
// the variable is closed: its owner puts it in place or drops it.
void WriteToDescriptor(ByteFile& file, int fd);
// Keeps what is written in memory while it fits the buffer; only a longer
// text goes to the file `make_file` then makes, which the variable owns.
// OpenTextOverByteFile reads either back.
void OpenInMemory(ByteFile& file, ByteFile::FileMaker make_file);
// Has `watcher` see every byte the open file writes from now on, in order.
void WatchWrites(ByteFile& file, ByteFile::WriteWatcher watcher);
// How many bytes the open file holds so far, written out or buffered.
off_t BytesWritten(const ByteFile& file);

}  // namespace pelloran
