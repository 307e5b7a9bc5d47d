#pragma once

// Texts of pages and names, whose bytes may be UTF-8 or a single-byte code
// page, put into files that are read as UTF-8.

#include <string>
#include <string_view>

namespace pelloran {

// Is `text` well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF)?
bool IsUtf8(std::string_view text);

// Appends the character `code` in UTF-8; a surrogate or a code past U+10FFFF,
// which UTF-8 cannot hold, as U+FFFD.
void AppendUtf8(std::string& text, char32_t code);

// `text` as UTF-8: unchanged when it is UTF-8 already, else read as
// windows-1251, the single-byte code page the program's pages are written in
// (its one unassigned byte, 0x98, becomes U+FFFD).
std::string AsUtf8(std::string_view text);

}  // namespace pelloran
