#pragma once

// The targets of a page's in-page links: every element's id and every
// anchor's name, as a browser finds them when it follows "#x".

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

namespace pelloran {

// The ids of all elements and the names of the "a" elements in `page`, their
// character references decoded. Comments, script and style text hold none.
std::unordered_set<std::string> FindPageTargets(std::string_view page);

// The targets of the page at one path, read from disk once, when the first
// in-page link asks (most pages have none).
class PageTargets {
 public:
  explicit PageTargets(std::string path) : path_(std::move(path)) {}

  // Does "#fragment" lead somewhere on the page: to an element of that id or
  // an anchor of that name (as written or %-decoded)? A page that cannot be
  // read has no targets.
  bool Leads(std::string_view fragment);

 private:
  std::string path_;
  std::optional<std::unordered_set<std::string>> targets_;
};

}  // namespace pelloran
