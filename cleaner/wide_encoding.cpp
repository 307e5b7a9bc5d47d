#include "cleaner/wide_encoding.h"

namespace pelloran {
namespace {

// Is every byte at a position whose remainder by `step` is not `kept` zero?
// A text in a wide encoding puts zeros there in ASCII.
bool ZerosBeside(std::string_view bytes, size_t step, size_t kept) {
  if (bytes.size() < 2 * step) return false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % step != kept && bytes[i] != '\0') return false;
  }
  return true;
}

bool IsMarkupByte(char c) {
  return c == '<' || c == '>' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Does the text read as markup in units of `width` bytes whose byte `kept`
// holds the character (the others zero)? A unit of zeros alone (the
// character 0) says it is no such text.
bool MarkupInUnits(std::string_view bytes, size_t width, size_t kept) {
  int markup = 0;
  for (size_t start = 0; start + width <= bytes.size(); start += width) {
    const std::string_view unit = bytes.substr(start, width);
    bool others_zero = true;
    for (size_t i = 0; i < width; ++i) others_zero = others_zero && (i == kept || unit[i] == '\0');
    if (!others_zero) continue;
    if (unit[kept] == '\0') return false;
    markup += IsMarkupByte(unit[kept]) ? 1 : 0;
  }
  return markup >= kWideMarkupUnits;
}

}  // namespace

const char* WideEncodingOf(std::string_view first_block) {
  using namespace std::string_view_literals;
  const std::string_view bytes = first_block.substr(0, kWideEncodingBlock);
  if (bytes.starts_with("\xFF\xFE\0\0"sv) || bytes.starts_with("\0\0\xFE\xFF"sv)) return "UTF-32";
  if (bytes.starts_with("\xFF\xFE"sv) || bytes.starts_with("\xFE\xFF"sv)) return "UTF-16";
  if (ZerosBeside(bytes, 4, 0) || ZerosBeside(bytes, 4, 3)) return "UTF-32";
  if (ZerosBeside(bytes, 2, 0) || ZerosBeside(bytes, 2, 1)) return "UTF-16";
  if (MarkupInUnits(bytes, 4, 0) || MarkupInUnits(bytes, 4, 3)) return "UTF-32";
  if (MarkupInUnits(bytes, 2, 0) || MarkupInUnits(bytes, 2, 1)) return "UTF-16";
  return nullptr;
}

}  // namespace pelloran
