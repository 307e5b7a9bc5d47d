#pragma once

// The character-file layer: every byte the cleaners read or write passes here.
//
// A text file is read one character at a time. The end mark, the character 26,
// comes back at the physical end and at any byte 26 in the file, without
// advancing, so reading at the end never fails and nothing after a byte 26 is
// ever read. A byte file is written one byte at a time (the working copy).
//
// Every operation either succeeds or throws EInOutError at once. A variable
// owns its descriptor: binding it anew, opening it again or destroying it
// closes what it held, so no failure path leaks a handle.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

#include "charfile/in_out_error.h"

namespace pelloran {

inline constexpr int kEndMark = 26;

// Blank: any character from 0 to 32. 128..255 (Cyrillic, 160) are not blanks.
inline constexpr bool IsBlank(int c) { return c >= 0 && c <= 32; }

class TextFile;
class ByteFile;

class CharFile {
 public:
  enum class Mode { kClosed, kInput, kOutput, kInputOutput };

  CharFile() = default;
  CharFile(const CharFile&) = delete;
  CharFile& operator=(const CharFile&) = delete;
  virtual ~CharFile();

  const std::string& name() const { return name_; }
  Mode mode() const { return mode_; }
  bool is_open() const { return mode_ != Mode::kClosed; }
  // The permission bits of the open file as it was opened or made; 0 when closed.
  mode_t permissions() const { return permissions_; }

 protected:
  friend void BindFileName(CharFile& file, std::string_view name);
  friend void CloseCharFile(CharFile& file);
  friend void CloseCharFileQuietly(CharFile& file) noexcept;
  friend void OpenTextOverByteFile(TextFile& text, ByteFile& bytes);
  friend std::error_code GiveName(const CharFile& file, const std::string& name);
  friend void OpenForDiscarding(CharFile& file);
  friend void GiveOwnerOf(const CharFile& from, CharFile& to);

  // Opens name_ with the given open(2) flags; refuses anything but a regular
  // file (a FIFO or device could block or swallow the page) with code 5.
  void OpenDescriptor(int flags, Mode mode);
  // Takes a descriptor just made for this variable, known to be a regular file.
  void Adopt(int fd, Mode mode, mode_t permissions);
  // Open for writing with no descriptor behind it: writes are dropped.
  bool discarding() const { return is_open() && fd_ < 0; }
  // Writes out whatever the variable still buffers; throws on failure.
  virtual void Flush() {}
  // Drops buffered state; called whenever the descriptor goes away.
  virtual void ResetBuffers() {}
  // Closes without throwing, after a best-effort flush.
  void CloseQuietly() noexcept;
  void WriteAll(const char* data, size_t size);

  std::string name_;
  int fd_ = -1;
  Mode mode_ = Mode::kClosed;
  mode_t permissions_ = 0;
};

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
  friend void CreateTextForWriting(TextFile& file);
  friend void OpenTextOverByteFile(TextFile& text, ByteFile& bytes);

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

// The operations under their design names. A name without a directory
// resolves against the process's current directory.
void BindFileName(CharFile& file, std::string_view name);
void OpenTextForReading(TextFile& file);
void CreateTextForWriting(TextFile& file);
void CreateByteFile(ByteFile& file, int record_size = 1);
void OpenByteFile(ByteFile& file, int record_size = 1);
inline int NextChar(TextFile& file) { return file.NextChar(); }
bool AtEnd(TextFile& file);
bool SkipBlanksToEnd(TextFile& file);
inline void PutByte(ByteFile& file, unsigned char c) { file.PutByte(c); }
void PutText(TextFile& file, std::string_view text);
void PutLineEnd(TextFile& file);
// Writes out buffered bytes, then closes. 103 when the variable is not open.
void CloseCharFile(CharFile& file);

// A working copy in one open: creates the file bound to `file` (or empties
// the one already there) for writing at position 0, as CreateByteFile and
// OpenByteFile together do, with exactly the permission bits given (the
// page's), whatever the umask.
void CreateWorkingCopy(ByteFile& file, mode_t permissions);
// A working copy without a name, in `folder`: nothing of it is left on disk
// when it is closed or the program is killed, unless GiveName names it. The
// variable keeps the name it was bound to. False, with nothing opened, where
// the folder's file system cannot make such a file; any other failure throws.
bool CreateUnnamedWorkingCopy(ByteFile& file, std::string_view folder, mode_t permissions);
// Reads back from its start what `bytes` has written: its buffer is written
// out and its descriptor passes to `text`, which keeps the name it was bound
// to and reads as after OpenTextForReading; `bytes` is left closed. On a
// failed write both are left closed and EInOutError is thrown.
void OpenTextOverByteFile(TextFile& text, ByteFile& bytes);
// Gives the open file, an unnamed one too, the further name `name`, never
// over an existing file. Failure by its result only.
std::error_code GiveName(const CharFile& file, const std::string& name);

// Gives the open file `to` the owner and group of the open file `from`, so
// that a page cleaned by root stays its owner's. Only root may; for anyone
// else, and where the file system cannot, the new file keeps its maker's.
void GiveOwnerOf(const CharFile& from, CharFile& to);

// Every byte of the file at `path`, byte 26 included, for a diff or a view
// of a whole page. Throws EInOutError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);
// Closes on a failure path: writes what it can, never throws, so the failure
// already in hand is the one reported. A closed variable stays closed.
void CloseCharFileQuietly(CharFile& file) noexcept;
// Opens a byte file, or a text file for writing, onto nothing: every write
// succeeds and is dropped, and closing succeeds. For a pass that is run only
// to see what it reads.
void OpenForDiscarding(CharFile& file);

}  // namespace pelloran
