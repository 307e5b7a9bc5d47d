#include "cleaner/page_eligibility.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <string_view>

#include "cleaner/page_messages.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

// How much of a file is looked at to tell what it holds.
constexpr size_t kSniffBytes = 1024;

// Is every byte at a position whose remainder by `step` is not `kept` zero?
// A text in a wide encoding puts zeros there in ASCII.
bool ZerosBeside(std::string_view bytes, size_t step, size_t kept) {
  if (bytes.size() < 2 * step) return false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % step != kept && bytes[i] != '\0') return false;
  }
  return true;
}

bool StartsWith(std::string_view bytes, std::string_view mark) { return bytes.starts_with(mark); }

// What wide encoding the first bytes show, or nullptr.
const char* WideEncoding(std::string_view bytes) {
  using namespace std::string_view_literals;
  if (StartsWith(bytes, "\xFF\xFE\0\0"sv) || StartsWith(bytes, "\0\0\xFE\xFF"sv)) return "UTF-32";
  if (StartsWith(bytes, "\xFF\xFE"sv) || StartsWith(bytes, "\xFE\xFF"sv)) return "UTF-16";
  if (ZerosBeside(bytes, 4, 0) || ZerosBeside(bytes, 4, 3)) return "UTF-32";
  if (ZerosBeside(bytes, 2, 0) || ZerosBeside(bytes, 2, 1)) return "UTF-16";
  return nullptr;
}

// Does the text open with markup, after blanks and a UTF-8 byte-order mark?
bool OpensWithMarkup(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  const auto first = std::find_if(bytes.begin(), bytes.end(),
                                  [](char c) { return static_cast<unsigned char>(c) > ' '; });
  return first != bytes.end() && *first == '<';
}

std::optional<std::string> NotARegularFile(const std::string& name, mode_t mode) {
  // A folder where the page was is a failure of the run, as a page gone is.
  if (S_ISREG(mode) || S_ISDIR(mode)) return std::nullopt;
  if (S_ISFIFO(mode)) return NamedPipeMessage(name);
  return NotARegularFileMessage(name);
}

}  // namespace

const std::vector<std::string> kPageNamePatterns = {"*.htm", "*.html", "*.shtml", "*.xhtml"};

bool HasPageName(const std::string& name) {
  return std::any_of(kPageNamePatterns.begin(), kPageNamePatterns.end(),
                     [&name](const std::string& glob) {
                       return ::fnmatch(glob.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
                     });
}

std::optional<std::string> WhyNotAPage(const std::string& name, mode_t mode,
                                       std::string_view first_block) {
  if (name.ends_with('~')) return BackupFileMessage(name);
  if (auto odd = NotARegularFile(name, mode)) return odd;
  const std::string_view start = first_block.substr(0, kSniffBytes);
  if (const char* encoding = WideEncoding(start)) return WideEncodingMessage(name, encoding);
  if (HasPageName(name) || OpensWithMarkup(start)) return std::nullopt;
  return NotAWebPageMessage(name);
}

}  // namespace pelloran
