#pragma once

// A text file is read one character at a time. The end mark, the character 26,
// comes back at the physical end and at any byte 26 in the file, without
// advancing, so reading at the end never fails and nothing after a byte 26 is
// ever read.

#include <cstddef>
#include <memory>
#include <span>
#include <string_view>

#include "charfile/char_file.h"

namespace pelloran {

inline constexpr int kEndMark = 26;

// Blank: any character from 0 to 32. 128..255 (Cyrillic, 160) are not blanks.
inline constexpr bool IsBlank(int c) { return c >= 0 && c <= 32; }

class TextFile final : public CharFile {
 public:
  TextFile();
  ~TextFile() override;

  // Returns the next byte and advances past it; 26 at a byte 26 or the end.
  int NextChar() {
    if (pos_ < end_) [[likely]] {
      const unsigned char c = buffer_[pos_];
      if (c != kEndMark) ++pos_;
      return c;
    }
    return NextCharSlow();
  }

  // The character `offset` places ahead of the next one, without consuming
  // anything; 26 when the end mark comes at or before it. Offsets below
  // kMaxLookahead only.
  int Peek(size_t offset = 0);

  // For a scanner that looks for its stop characters in a run rather than
  // calling NextChar for each: the bytes NextChar would return next, as far
  // as they are buffered (empty when none are, even if the file has more:
  // NextChar then refills). A byte 26 in the run is the end mark, and
  // nothing after it may be consumed. Nothing is consumed here.
  std::span<const unsigned char> Buffered() const { return {buffer_.get() + pos_, end_ - pos_}; }
  // Consumes the first `n` bytes of Buffered(), none of them a 26: what n
  // calls of NextChar would do.
  void Consume(size_t n) { pos_ += n; }

  // True when reading stopped at a byte 26 that has more bytes after it in
  // the file (a page cut short), rather than at the physical end or a lone
  // final 26.
  bool StoppedBeforeMoreData();

  static constexpr size_t kMaxLookahead = 64;

 private:
  friend int NextChar(TextFile& file);
  friend bool AtEnd(TextFile& file);
  friend bool SkipBlanksToEnd(TextFile& file);
  friend void PutText(TextFile& file, std::string_view text);
  friend void OpenTextForReading(TextFile& file);
  // Reads the regular file open as `fd` from its start, as after
  // OpenTextForReading, up to `size` bytes (its length when opened); the
  // descriptor stays open when the variable is closed.
  void ReadFromDescriptor(TextFile& file, int fd, off_t size);
  friend void CreateTextForWriting(TextFile& file);
  friend void CreateNewTextForWriting(TextFile& file);
  friend void OpenTextOverByteFile(TextFile& text, ByteFile& bytes);
  friend void ReadFromDescriptor(TextFile& file, int fd, off_t size);

  // Takes `size` bytes as the whole text, to read from memory.
  void TakeText(const unsigned char* bytes, size_t size);
  int NextCharSlow();
  // Reads more bytes after the unread ones; false when the file has no more.
  bool Refill();
  void Flush() override;
  void ResetBuffers() override;

  std::unique_ptr<unsigned char[]> buffer_;
  size_t pos_ = 0;         // reading: next unread byte
  size_t end_ = 0;         // reading: end of the valid bytes
  off_t read_offset_ = 0;  // reading: where the next refill starts in the file
  off_t known_size_ = -1;  // reading: the file's length when known for sure, else -1
  bool physical_end_ = false;
  size_t written_ = 0;  // writing: bytes waiting in the buffer
};

void OpenTextForReading(TextFile& file);
// Reads the regular file open as `fd` from its start, as after
// OpenTextForReading, up to `size` bytes (its length when opened); the
// descriptor stays open when the variable is closed.
void ReadFromDescriptor(TextFile& file, int fd, off_t size);
void CreateTextForWriting(TextFile& file);
// As CreateTextForWriting, but only as a new file: an existing file or a
// symbolic link under the name fails the open (EEXIST) and is left alone.
void CreateNewTextForWriting(TextFile& file);
inline int NextChar(TextFile& file) { return file.NextChar(); }
// The bytes of the first read of a file open for reading, made now if not
// yet: what tells what kind of file it is.
std::string_view FirstBlock(TextFile& file);
bool AtEnd(TextFile& file);
bool SkipBlanksToEnd(TextFile& file);
void PutText(TextFile& file, std::string_view text);
void PutLineEnd(TextFile& file);

}  // namespace pelloran
