#pragma once

#include <stdexcept>
#include <string>

namespace pelloran {

// Failure codes of the character-file layer. 2 to 5 and 101 are also what
// platform errors map onto (see CodeForErrno); the rest are the layer's own.
enum InOutCode : int {
  kFileNotFound = 2,
  kInvalidFilename = 3,
  kTooManyOpenFiles = 4,
  kFileAccessDenied = 5,
  kReadBeyondEnd = 100,
  kDiskFull = 101,
  kFileNotOpen = 103,
  kFileNotOpenForInput = 104,
  kFileNotOpenForOutput = 105,
  kInvalidNumericInput = 106,
};

// The message of a failure to open something that is no regular file.
inline constexpr char kNotARegularFile[] = "File access denied: not a regular file";

// The message shown for a failure code: "File not found", "I/O error 32", ...
std::string InOutMessage(int code);

// Maps a Linux errno onto the layer's codes by meaning; any errno without a
// counterpart is passed through as its own number ("I/O error <errno>").
int CodeForErrno(int err);

// What a file step was doing when it failed, for the sentence shown.
// kCreateInFolder: a file without a name made in the folder given as path.
enum class FileStep { kUnknown, kOpen, kCreate, kCreateInFolder, kRead, kWrite, kClose };

// The failure of a character-file operation. Carries the numeric code; what()
// is the message of the code, without a final full stop. Where known, it also
// carries the file, the step and the platform's error number, from which the
// failure handler words its sentence (failure_text.h).
class EInOutError : public std::runtime_error {
 public:
  explicit EInOutError(int code) : std::runtime_error(InOutMessage(code)), code_(code) {}
  EInOutError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }
  // The platform's error number behind the failure; 0 for the layer's own.
  int error_number() const { return error_number_; }
  const std::string& path() const { return path_; }
  FileStep step() const { return step_; }
  // Names the file and the step, unless a deeper call named them already.
  EInOutError& About(const std::string& path, FileStep step) {
    if (path_.empty()) {
      path_ = path;
      step_ = step;
    }
    return *this;
  }

  // The failure for a platform error. An errno without a counterpart keeps
  // "I/O error <errno>" even where its number equals one of the table's codes
  // (EIO is 5, yet it is no "File access denied").
  static EInOutError FromErrno(int err);

 private:
  int code_;
  int error_number_ = 0;
  std::string path_;
  FileStep step_ = FileStep::kUnknown;
};

// A failed conversion of text to a number; the failure handler shows only an
// apology for it, never its own message.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace pelloran
