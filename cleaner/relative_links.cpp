#include "cleaner/relative_links.h"

#include <filesystem>
#include <system_error>

#include "interfaces/link_check.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A scheme: a letter, then letters, digits, "+", "-" or ".", then ":".
bool HasScheme(std::string_view value) {
  if (value.empty() || !IsAsciiLetter(value[0])) return false;
  for (size_t i = 1; i < value.size(); ++i) {
    const char c = value[i];
    if (c == ':') return true;
    if (!IsAsciiLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
      return false;
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "%20" and the like as the bytes they stand for; a "%" without two hex
// digits stays as it is.
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

}  // namespace

bool IsRelativeLink(std::string_view value) {
  value = WithoutQuotes(value);
  return !HasScheme(value) && !value.starts_with('#') && !value.starts_with("//");
}

bool RelativeTargetExists(std::string_view folder, std::string_view value) {
  value = WithoutQuotes(value);
  value = value.substr(0, value.find_first_of("?#"));
  // A path from the site's root: where that root lies on this machine is not known.
  if (value.starts_with('/')) return false;
  const std::filesystem::path base = folder.empty() ? std::filesystem::path(".") : folder;
  const std::string name = DecodePercentEscapes(value);
  if (name.find('\0') != std::string::npos) return false;  // no file name holds one
  std::error_code error;
  return std::filesystem::exists(base / name, error);
}

bool IsLinkAvailable(CleanContext& context, const std::string& value) {
  if (context.options.IsLocalLinkCheckingOn() && IsRelativeLink(value))
    return RelativeTargetExists(FolderPart(context.input.name()), value);
  return context.link_check.IsUrlAvailable(value);
}

}  // namespace pelloran
