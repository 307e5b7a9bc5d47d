#include "cleaner/page_eligibility.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <string_view>

#include "cleaner/page_messages.h"
#include "cleaner/wide_encoding.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

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

std::optional<std::string> WhyNotAPage(const std::string& path) {
  const std::string name(NamePart(path));
  if (name.ends_with('~')) return BackupFileMessage(name);
  // Not blocking: a FIFO without a writer must not hold the run.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st = {};
  std::array<char, kWideEncodingBlock> buffer;
  ssize_t got = -1;
  std::optional<std::string> odd;
  if (::fstat(fd, &st) == 0) odd = NotARegularFile(name, st.st_mode);
  if (!odd) got = ::read(fd, buffer.data(), buffer.size());
  ::close(fd);
  if (odd || got < 0 || S_ISDIR(st.st_mode)) return odd;
  const std::string_view start(buffer.data(), static_cast<size_t>(got));
  if (const char* encoding = WideEncodingOf(start)) return WideEncodingMessage(name, encoding);
  if (HasPageName(name) || OpensWithMarkup(start)) return std::nullopt;
  return NotAWebPageMessage(name);
}

}  // namespace pelloran
