#include "stylesheet/rule_writer.h"

namespace pelloran {

namespace {

// Writes the non-empty texts, `separator` between each two.
template <typename Text>
void WriteJoined(ByteFile& file, std::span<const Text> texts, std::string_view separator) {
  bool first = true;
  for (const Text& text : texts) {
    if (text.empty()) continue;
    if (!first) file.PutBytes(separator);
    file.PutBytes(text);
    first = false;
  }
}

template <typename Text>
void WriteHead(ByteFile& file, std::span<const Text> selectors) {
  WriteJoined(file, selectors, ", ");
  file.PutBytes(" \r\n");
}

template <typename Text>
void WriteBlock(ByteFile& file, std::span<const Text> declarations) {
  file.PutBytes("{ ");
  WriteJoined(file, declarations, "; ");
  file.PutBytes(";}\r\n");
}

}  // namespace

void WriteRuleHead(ByteFile& file, std::span<const std::string> selectors) {
  WriteHead(file, selectors);
}

void WriteRuleBlock(ByteFile& file, std::span<const std::string> declarations) {
  WriteBlock(file, declarations);
}

void WriteRule(ByteFile& file, std::span<const std::string> selectors,
               std::span<const std::string> declarations) {
  WriteHead(file, selectors);
  WriteBlock(file, declarations);
}

void WriteRuleHead(ByteFile& file, std::span<const std::string_view> selectors) {
  WriteHead(file, selectors);
}

void WriteRuleBlock(ByteFile& file, std::span<const std::string_view> declarations) {
  WriteBlock(file, declarations);
}

void WriteRule(ByteFile& file, std::span<const std::string_view> selectors,
               std::span<const std::string_view> declarations) {
  WriteHead(file, selectors);
  WriteBlock(file, declarations);
}

}  // namespace pelloran
