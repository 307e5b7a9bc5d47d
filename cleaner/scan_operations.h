#pragma once

// The three small scans the tag filter, the style override pass and the advert
// tool build on. They read the input one character at a time and keep a
// window of at most n characters; none of them ever reads past the end mark.

#include <cstddef>
#include <string>
#include <string_view>

#include "charfile/byte_file.h"
#include "charfile/text_file.h"
#include "cleaner/attribute_picker.h"

namespace pelloran {

// Writes the first n characters of `text`, one byte each (all of it when
// `text` is shorter).
void WritePrefix(ByteFile& output, size_t n, std::string_view text);

// Reads and drops characters, keeping a window of n characters that restarts
// at every letter1 or letter2. Returns ">" as soon as it reads a ">"; else the
// n characters from the last letter1/letter2 read (or the first n when none
// came). At the end of the input it returns what the window holds then, which
// is shorter than n (possibly empty) and never holds the end mark.
std::string FindAttribute(TextFile& input, size_t n, char letter1, char letter2);
// The same, filling `window` so that a caller in a loop reuses its storage.
void FindAttribute(TextFile& input, size_t n, char letter1, char letter2, std::string& window);

// Where the scans over one tag stand, carried from one FindAttribute call to
// the next: an attribute name can begin only at the first character read in
// the tag or after a blank, and never inside a quoted value (one that opens
// at a quote after "=", blanks allowed between, and ends at the same quote).
class NamePosition {
 public:
  // Takes in the next character read (never ">" nor the end mark); answers
  // whether it stood where a name can stand.
  bool Step(int c) {
    const bool stands = name_can_stand_ && quote_ == 0;
    last_ = c;
    name_can_stand_ = IsBlank(c) && quote_ == 0;
    if (quote_ != 0) {
      if (c == quote_) quote_ = 0;
    } else if (after_equals_ && (c == '"' || c == '\'')) {
      quote_ = c;
      after_equals_ = false;
    } else if (c == '=') {
      after_equals_ = true;
    } else if (!IsBlank(c)) {
      after_equals_ = false;
    }
    return stands;
  }
  // The last character taken in, or -1 when none was.
  int last_read() const { return last_; }

 private:
  bool name_can_stand_ = true;
  bool after_equals_ = false;
  int quote_ = 0;
  int last_ = -1;
};

// FindAttribute over one tag: the window restarts at letter1 or letter2 only
// where a name can stand (elsewhere they are kept like any other character).
// Answers whether the returned window's first character stood where a name
// can stand; a ">" is returned wherever it comes, as above, but inside a
// quoted value when a `picker` is given. Every other character read also goes
// to `picker`, when one is given.
bool FindAttribute(TextFile& input, size_t n, char letter1, char letter2, std::string& window,
                   NamePosition& position, AttributePicker* picker = nullptr);

// Like FindAttribute, but ">" means nothing, and whenever the window restarts
// at letter1 or letter2 the characters gathered so far are written to
// `output` first. The returned window of n characters is not written; the
// caller writes it unless it is the marker it looks for. At the end of the
// input it returns the unwritten rest, shorter than n.
std::string CopyToMarker(TextFile& input, ByteFile& output, size_t n, char letter1, char letter2);
void CopyToMarker(TextFile& input, ByteFile& output, size_t n, char letter1, char letter2,
                  std::string& window);

}  // namespace pelloran
