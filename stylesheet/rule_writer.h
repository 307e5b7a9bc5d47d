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

#include "charfile/byte_file.h"

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

// The layout itself, put into any sink that takes the selectors and
// declarations through PutText(text) and the punctuation through
// PutBytes(bytes).
template <typename Sink, typename Text>
void PutRuleHead(Sink& sink, std::span<const Text> selectors);
template <typename Sink, typename Text>
void PutRuleBlock(Sink& sink, std::span<const Text> declarations);

namespace rule_layout {

// Puts the non-empty texts, `separator` between each two.
template <typename Sink, typename Text>
void PutJoined(Sink& sink, std::span<const Text> texts, std::string_view separator) {
  bool first = true;
  for (const Text& text : texts) {
    if (text.empty()) continue;
    if (!first) sink.PutBytes(separator);
    sink.PutText(text);
    first = false;
  }
}

}  // namespace rule_layout

template <typename Sink, typename Text>
void PutRuleHead(Sink& sink, std::span<const Text> selectors) {
  rule_layout::PutJoined(sink, selectors, ", ");
  sink.PutBytes(" \r\n");
}

template <typename Sink, typename Text>
void PutRuleBlock(Sink& sink, std::span<const Text> declarations) {
  sink.PutBytes("{ ");
  rule_layout::PutJoined(sink, declarations, "; ");
  sink.PutBytes(";}\r\n");
}

}  // namespace pelloran
