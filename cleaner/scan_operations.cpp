#include "cleaner/scan_operations.h"

namespace pelloran {

void WritePrefix(ByteFile& output, size_t n, std::string_view text) {
  output.PutBytes(text.substr(0, n));
}

void FindAttribute(TextFile& input, size_t n, char letter1, char letter2, std::string& window) {
  window.clear();
  while (window.size() < n) {
    const int c = NextChar(input);
    if (c == kEndMark) return;
    if (c == '>') {
      window.assign(1, '>');
      return;
    }
    if (c == static_cast<unsigned char>(letter1) || c == static_cast<unsigned char>(letter2)) {
      window.clear();
    }
    window.push_back(static_cast<char>(c));
  }
}

bool FindAttribute(TextFile& input, size_t n, char letter1, char letter2, std::string& window,
                   NamePosition& position, AttributePicker* picker) {
  window.clear();
  bool first_stands = false;
  while (window.size() < n) {
    const int c = NextChar(input);
    if (c == kEndMark) break;
    // With a picker, which tells quoted values, a ">" inside one is the
    // value's, as in a browser.
    if (c == '>' && (picker == nullptr || !picker->InQuotes())) {
      window.assign(1, '>');
      return true;
    }
    if (picker != nullptr) picker->Feed(c);
    const bool stands = position.Step(c);
    if (stands &&
        (c == static_cast<unsigned char>(letter1) || c == static_cast<unsigned char>(letter2))) {
      window.clear();
    }
    if (window.empty()) first_stands = stands;
    window.push_back(static_cast<char>(c));
  }
  return first_stands;
}

std::string FindAttribute(TextFile& input, size_t n, char letter1, char letter2) {
  std::string window;
  FindAttribute(input, n, letter1, letter2, window);
  return window;
}

void CopyToMarker(TextFile& input, ByteFile& output, size_t n, char letter1, char letter2,
                  std::string& window) {
  window.clear();
  while (window.size() < n) {
    const int c = NextChar(input);
    if (c == kEndMark) return;
    if (c == static_cast<unsigned char>(letter1) || c == static_cast<unsigned char>(letter2)) {
      output.PutBytes(window);
      window.clear();
    }
    window.push_back(static_cast<char>(c));
  }
}

std::string CopyToMarker(TextFile& input, ByteFile& output, size_t n, char letter1, char letter2) {
  std::string window;
  CopyToMarker(input, output, n, letter1, letter2, window);
  return window;
}

}  // namespace pelloran
