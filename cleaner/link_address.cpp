#include "cleaner/link_address.h"

#include <cstdint>

#include "cleaner/text_encoding.h"
#include "interfaces/link_check.h"

namespace pelloran {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiAlnum(char c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
// What a URL parser drops at either end: controls and the blank.
bool IsTrimmed(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// "&#38;", "&#x26;" at the start of `text` (the ";" may be missing): appends
// the character and answers how much was read, or 0 when it is none.
size_t DecodeNumeric(std::string_view text, std::string& out) {
  const bool hex = text.size() > 2 && (text[2] == 'x' || text[2] == 'X');
  size_t i = hex ? 3 : 2;
  const size_t digits_start = i;
  uint32_t code = 0;
  for (; i < text.size(); ++i) {
    const char c = Lower(text[i]);
    int digit = -1;
    if (IsAsciiDigit(c)) digit = c - '0';
    if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit < 0) break;
    if (code <= 0x10FFFF) code = code * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
  }
  if (i == digits_start) return 0;
  if (i < text.size() && text[i] == ';') ++i;
  AppendUtf8(out, code == 0 ? 0xFFFD : code);  // a browser's rule for the character 0
  return i;
}

// "&amp;" and the other named references links hold; the first four also
// without ";" unless a letter, digit or "=" follows (a browser's rule in
// attribute values).
size_t DecodeNamed(std::string_view text, std::string& out) {
  static constexpr struct {
    std::string_view name;
    uint32_t code;
    bool legacy;
  } kNames[] = {{"amp", '&', true},  {"lt", '<', true},     {"gt", '>', true},
                {"quot", '"', true}, {"apos", '\'', false}, {"nbsp", 0xA0, false}};
  for (const auto& named : kNames) {
    if (!text.substr(1).starts_with(named.name)) continue;
    const size_t end = 1 + named.name.size();
    const bool semicolon = end < text.size() && text[end] == ';';
    const bool stands_alone = end == text.size() || (!IsAsciiAlnum(text[end]) && text[end] != '=');
    if (!semicolon && !(named.legacy && stands_alone)) continue;
    AppendUtf8(out, named.code);
    return semicolon ? end + 1 : end;
  }
  return 0;
}

// A scheme: a letter, then letters, digits, "+", "-" or ".", then ":".
// Answers the length of the scheme, 0 when there is none.
size_t SchemeLength(std::string_view value) {
  if (value.empty() || !IsAsciiLetter(value[0])) return 0;
  for (size_t i = 1; i < value.size(); ++i) {
    const char c = value[i];
    if (c == ':') return i;
    if (!IsAsciiAlnum(c) && c != '+' && c != '-' && c != '.') return 0;
  }
  return 0;
}

bool NeedsEscape(unsigned char c) {
  static constexpr std::string_view kUnsafe = "\"<>\\^`{|}";
  return c <= 0x20 || c >= 0x7F || kUnsafe.find(static_cast<char>(c)) != std::string_view::npos;
}

void AppendEscaped(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\t' || c == '\n' || c == '\r') continue;  // a URL parser drops them
    if (!NeedsEscape(byte)) {
      out.push_back(c);
      continue;
    }
    out.push_back('%');
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 15]);
  }
}

// "http" or "https" and what follows the ":", in the form sent.
std::string WebAddress(std::string_view scheme, std::string_view rest) {
  rest = rest.substr(0, rest.find('#'));
  // Any number of slashes, either way round, lead to the host.
  while (!rest.empty() && (rest.front() == '/' || rest.front() == '\\')) rest.remove_prefix(1);
  const size_t authority_end = rest.find_first_of("/\\?");
  std::string_view authority = rest.substr(0, authority_end);
  std::string_view tail = authority_end == std::string_view::npos ? "" : rest.substr(authority_end);
  std::string address(scheme);
  address += "://";
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    AppendEscaped(address, authority.substr(0, at + 1));
    authority.remove_prefix(at + 1);
  }
  for (const char c : authority)
    address.push_back(Lower(c));  // bytes beyond ASCII: a name to look up
  const size_t query = tail.find('?');
  std::string path(tail.substr(0, query));
  for (char& c : path) c = c == '\\' ? '/' : c;
  if (path.empty()) path.push_back('/');
  AppendEscaped(address, path);
  if (query != std::string_view::npos) AppendEscaped(address, tail.substr(query));
  return address;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string DecodePercentEscapes(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = HexDigit(text[i + 1]);
      const int low = HexDigit(text[i + 2]);
      if (high >= 0 && low >= 0) {
        decoded.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    decoded.push_back(text[i]);
  }
  return decoded;
}

std::string DecodeCharacterReferences(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '&') {
      out.push_back(text[i++]);
      continue;
    }
    const std::string_view rest = text.substr(i);
    const size_t used =
        rest.size() > 1 && rest[1] == '#' ? DecodeNumeric(rest, out) : DecodeNamed(rest, out);
    if (used == 0) out.push_back(text[i]);
    i += used == 0 ? 1 : used;
  }
  return out;
}

std::string ReadLinkValue(std::string_view value) {
  const std::string decoded = DecodeCharacterReferences(WithoutQuotes(value));
  std::string_view read = decoded;
  while (!read.empty() && IsTrimmed(read.front())) read.remove_prefix(1);
  while (!read.empty() && IsTrimmed(read.back())) read.remove_suffix(1);
  return std::string(read);
}

LinkAddress ResolveLinkAddress(std::string_view read_value) {
  if (read_value.empty()) return {LinkKind::kEmpty, {}};
  if (read_value.front() == '#') return {LinkKind::kInPage, std::string(read_value.substr(1))};
  if (read_value.starts_with("//") || read_value.starts_with("\\\\"))
    return {LinkKind::kWeb, WebAddress("http", read_value)};
  if (read_value.front() == '/') return {LinkKind::kFromSiteRoot, std::string(read_value)};
  const size_t scheme_length = SchemeLength(read_value);
  if (scheme_length == 0) return {LinkKind::kRelative, std::string(read_value)};
  std::string scheme;
  for (const char c : read_value.substr(0, scheme_length)) scheme.push_back(Lower(c));
  if (scheme != "http" && scheme != "https") return {LinkKind::kOtherScheme, scheme};
  return {LinkKind::kWeb, WebAddress(scheme, read_value.substr(scheme_length + 1))};
}

}  // namespace pelloran
