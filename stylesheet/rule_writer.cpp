#include "stylesheet/rule_writer.h"

#include <string_view>

namespace pelloran {

namespace {

// Writes the non-empty texts, `separator` between each two.
void WriteJoined(ByteFile& file, std::span<const std::string> texts, std::string_view separator) {
  bool first = true;
  for (const std::string& text : texts) {
    if (text.empty()) continue;
    if (!first) file.PutBytes(separator);
    file.PutBytes(text);
    first = false;
  }
}

}  // namespace

void WriteRuleHead(ByteFile& file, std::span<const std::string> selectors) {
  WriteJoined(file, selectors, ", ");
  file.PutBytes(" \r\n");
}

void WriteRuleBlock(ByteFile& file, std::span<const std::string> declarations) {
  file.PutBytes("{ ");
  WriteJoined(file, declarations, "; ");
  file.PutBytes(";}\r\n");
}

void WriteRule(ByteFile& file, std::span<const std::string> selectors,
               std::span<const std::string> declarations) {
  WriteRuleHead(file, selectors);
  WriteRuleBlock(file, declarations);
}

}  // namespace pelloran
