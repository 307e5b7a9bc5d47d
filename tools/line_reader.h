#pragma once

// The lines of one side of a diff, read in order, whether from a text in
// memory or from a file in blocks.

#include <cstddef>
#include <string_view>

namespace pelloran {

// Lines split at LF, each with its LF; the last one without, when the text
// does not end in one. A line returned stays valid until the next is read.
class LineReader {
 public:
  virtual ~LineReader() = default;
  size_t line() const { return line_; }
  // The line reached; the reader moves past it. Not at the end.
  std::string_view Next() {
    ++line_;
    return ReadLine();
  }
  void SkipTo(size_t line) {
    while (line_ < line) Next();
  }
  virtual bool AtEnd() = 0;
  // Back to the first line, for a second pass.
  void Restart() {
    line_ = 0;
    Rewind();
  }
  // Fails (EInOutError) when a second pass may have read other lines than
  // the first; for a file, one that changed in between.
  virtual void CheckUnchanged() {}

 protected:
  virtual std::string_view ReadLine() = 0;
  virtual void Rewind() = 0;

 private:
  size_t line_ = 0;
};

}  // namespace pelloran
