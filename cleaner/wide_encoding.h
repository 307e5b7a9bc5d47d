#pragma once

// Telling a page in a wide encoding (UTF-16, UTF-32) from its first block of
// bytes, with or without a byte-order mark, before any pass reads it as
// single bytes and mangles it.

#include <string_view>

namespace pelloran {

// How much of a file's start the check looks at.
inline constexpr size_t kWideEncodingBlock = 1024;

// "UTF-32" or "UTF-16" when `first_block` (the file's first bytes, up to
// kWideEncodingBlock) is written so, else nullptr. Told by a byte-order mark;
// by zeros at every other (every fourth) place, as ASCII text has them; or by
// markup: at least kWideMarkupUnits of "<", ">" or a Latin letter, each with
// zeros beside it in its own unit, all at the even or all at the odd places,
// and no unit of zeros alone, which no wide text holds. So a page of Chinese,
// Russian or Greek text, where few bytes are zero, is known by its tags.
const char* WideEncodingOf(std::string_view first_block);

inline constexpr int kWideMarkupUnits = 3;

}  // namespace pelloran
