#pragma once

// The layout in which style rules are written back into a page:
//
//   h1, h2, p <blank> CR LF
//   { font-family: Arial; color: red;} CR LF
//
// Selectors joined by ", ", a blank and a line end, then the block: "{ ",
// declarations joined by "; ", ";}" and a line end. A rule without selectors
// begins with the blank. Other passes that write rules use these too, so that
// every rule in a cleaned page looks alike.
//
// Empty strings stand for free slots and are passed over. Every write goes
// through the byte file and throws EInOutError on failure; what was written
// before the failure stays written.

#include <span>
#include <string>
#include <string_view>

#include "charfile/char_file.h"

namespace pelloran {

// The selectors, the blank and the line end: everything before the "{".
void WriteRuleHead(ByteFile& file, std::span<const std::string> selectors);

// "{ ", the declarations, ";}" and the line end.
void WriteRuleBlock(ByteFile& file, std::span<const std::string> declarations);

// One whole rule: WriteRuleHead, then WriteRuleBlock.
void WriteRule(ByteFile& file, std::span<const std::string> selectors,
               std::span<const std::string> declarations);

// The same for texts held elsewhere.
void WriteRuleHead(ByteFile& file, std::span<const std::string_view> selectors);
void WriteRuleBlock(ByteFile& file, std::span<const std::string_view> declarations);
void WriteRule(ByteFile& file, std::span<const std::string_view> selectors,
               std::span<const std::string_view> declarations);

}  // namespace pelloran
