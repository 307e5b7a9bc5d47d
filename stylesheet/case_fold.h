#pragma once

// Letter case in single-byte text (code page 1251): Latin and Cyrillic
// capitals fold to their small letters, every other byte stays as it is.

#include <cstdint>
#include <string_view>

namespace pelloran {

// The small letter of `c`, or `c` itself when it is no capital.
unsigned char FoldCase(unsigned char c);

// Equal when compared without regard to letter case.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// A hash that is equal for texts that are EqualIgnoringCase.
uint64_t HashIgnoringCase(std::string_view text);

// The same hash for a text followed by at least seven readable bytes (whose
// values do not matter), which it reads a whole word at a time.
uint64_t HashPaddedIgnoringCase(std::string_view text);

// EqualIgnoringCase for texts each followed by at least seven readable bytes.
bool EqualPaddedIgnoringCase(std::string_view a, std::string_view b);

}  // namespace pelloran
