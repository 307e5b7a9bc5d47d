#include "cleaner/page_targets.h"

#include <fstream>
#include <iterator>

#include "charfile/text_file.h"
#include "cleaner/link_address.h"
#include "stylesheet/case_fold.h"

namespace pelloran {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsNameCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
// The position after the end tag "</name" (any letter case) from `from` on,
// or the page's end: script and style text is not markup.
size_t AfterRawText(std::string_view page, size_t from, std::string_view name) {
  for (size_t i = from; (i = page.find("</", i)) != std::string_view::npos; i += 2) {
    if (EqualIgnoringCase(page.substr(i + 2, name.size()), name)) return i + 2 + name.size();
  }
  return page.size();
}

// One attribute's value from just after its "=": quoted or unquoted.
std::string_view ReadValue(std::string_view page, size_t& i) {
  while (i < page.size() && IsSpace(page[i])) ++i;
  if (i < page.size() && (page[i] == '"' || page[i] == '\'')) {
    const size_t close = page.find(page[i], i + 1);
    const size_t start = i + 1;
    i = close == std::string_view::npos ? page.size() : close + 1;
    return page.substr(start, (close == std::string_view::npos ? page.size() : close) - start);
  }
  const size_t start = i;
  while (i < page.size() && !IsSpace(page[i]) && page[i] != '>') ++i;
  return page.substr(start, i - start);
}

// A tag's attributes from just after its name through its ">": an id of any
// tag and the name of an anchor go into `targets`. Answers where the tag ends.
size_t ReadAttributes(std::string_view page, size_t i, bool anchor,
                      std::unordered_set<std::string>& targets) {
  for (;;) {
    while (i < page.size() && (IsSpace(page[i]) || page[i] == '/')) ++i;
    if (i >= page.size()) return i;
    if (page[i] == '>') return i + 1;
    const size_t name_start = i++;  // a first "=" belongs to the name
    while (i < page.size() && !IsSpace(page[i]) && page[i] != '/' && page[i] != '>' &&
           page[i] != '=')
      ++i;
    const std::string_view name = page.substr(name_start, i - name_start);
    while (i < page.size() && IsSpace(page[i])) ++i;
    if (i >= page.size() || page[i] != '=') continue;
    const std::string_view value = ReadValue(page, ++i);
    if (!value.empty() &&
        (EqualIgnoringCase(name, "id") || (anchor && EqualIgnoringCase(name, "name"))))
      targets.insert(DecodeCharacterReferences(value));
  }
}

}  // namespace

std::unordered_set<std::string> FindPageTargets(std::string_view page) {
  std::unordered_set<std::string> targets;
  for (size_t i = 0; (i = page.find('<', i)) != std::string_view::npos;) {
    ++i;
    if (page.substr(i).starts_with("!--")) {
      const size_t close = page.find("-->", i + 3);
      i = close == std::string_view::npos ? page.size() : close + 3;
      continue;
    }
    const size_t name_start = i;
    while (i < page.size() && IsNameCharacter(page[i])) ++i;
    const std::string_view name = page.substr(name_start, i - name_start);
    if (name.empty()) continue;  // an end tag, a declaration, a "<" in text
    i = ReadAttributes(page, i, EqualIgnoringCase(name, "a"), targets);
    for (const std::string_view raw_text : {"script", "style"}) {
      if (EqualIgnoringCase(name, raw_text)) i = AfterRawText(page, i, raw_text);
    }
  }
  return targets;
}

bool PageTargets::Leads(std::string_view fragment) {
  if (!targets_) {
    std::ifstream in(path_, std::ios::binary);
    const std::string page{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // The page ends for the cleaner at its first end mark, and so for its targets.
    targets_ = FindPageTargets(std::string_view(page).substr(0, page.find(char{kEndMark})));
  }
  if (targets_->contains(std::string(fragment))) return true;
  return targets_->contains(DecodePercentEscapes(fragment));
}

}  // namespace pelloran
