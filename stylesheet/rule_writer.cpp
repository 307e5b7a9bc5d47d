#include "stylesheet/rule_writer.h"

namespace pelloran {

namespace {

// The byte file as a sink of the layout.
struct FileSink {
  ByteFile& file;
  void PutText(std::string_view text) { file.PutBytes(text); }
  void PutBytes(std::string_view bytes) { file.PutBytes(bytes); }
};

template <typename Text>
void WriteHead(ByteFile& file, std::span<const Text> selectors) {
  FileSink sink{file};
  PutRuleHead(sink, selectors);
}

template <typename Text>
void WriteBlock(ByteFile& file, std::span<const Text> declarations) {
  FileSink sink{file};
  PutRuleBlock(sink, declarations);
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
