#pragma once

// The character-file layer: every byte the cleaners read or write passes here.
// A CharFile is the variable both kinds of file share: a name bound to it and
// the descriptor it holds.
//
// Every operation either succeeds or throws EInOutError at once. A variable
// owns its descriptor: binding it anew, opening it again or destroying it
// closes what it held, so no failure path leaks a handle.

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

#include "charfile/in_out_error.h"

namespace pelloran {

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
  friend void CloseCharFileDiscarding(CharFile& file) noexcept;
  friend void OpenTextOverByteFile(TextFile& text, ByteFile& bytes);
  friend std::error_code GiveName(const CharFile& file, const std::string& name);
  friend void OpenForDiscarding(CharFile& file);
  friend void GiveOwnerOf(const CharFile& from, CharFile& to);
  friend void ReadFromDescriptor(TextFile& file, int fd, off_t size);
  friend void WriteToDescriptor(ByteFile& file, int fd);

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
  // The descriptor is someone else's: closing the variable leaves it open.
  bool borrowed_ = false;
  Mode mode_ = Mode::kClosed;
  mode_t permissions_ = 0;
};

// The operations under their design names. A name without a directory
// resolves against the process's current directory.
void BindFileName(CharFile& file, std::string_view name);
// Writes out buffered bytes, then closes. 103 when the variable is not open.
void CloseCharFile(CharFile& file);

// Closes on a failure path: writes what it can, never throws, so the failure
// already in hand is the one reported. A closed variable stays closed.
void CloseCharFileQuietly(CharFile& file) noexcept;
// Closes on a failure path without writing what is still buffered, whose
// descriptor may be gone already.
void CloseCharFileDiscarding(CharFile& file) noexcept;
// Opens a byte file, or a text file for writing, onto nothing: every write
// succeeds and is dropped, and closing succeeds. For a pass that is run only
// to see what it reads.
void OpenForDiscarding(CharFile& file);

}  // namespace pelloran
