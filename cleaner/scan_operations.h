#pragma once

// The three small scans the tag filter, the style override pass and the advert
// tool build on. They read the input one character at a time and keep a
// window of at most n characters; none of them ever reads past the end mark.

#include <cstddef>
#include <string>
#include <string_view>

#include "charfile/char_file.h"

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

// Like FindAttribute, but ">" means nothing, and whenever the window restarts
// at letter1 or letter2 the characters gathered so far are written to
// `output` first. The returned window of n characters is not written; the
// caller writes it unless it is the marker it looks for. At the end of the
// input it returns the unwritten rest, shorter than n.
std::string CopyToMarker(TextFile& input, ByteFile& output, size_t n, char letter1, char letter2);
void CopyToMarker(TextFile& input, ByteFile& output, size_t n, char letter1, char letter2,
                  std::string& window);

}  // namespace pelloran
