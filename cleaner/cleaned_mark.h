#pragma once

// What a clean left under a page's name, kept on the page itself (an extended
// attribute holding its length and a hash of its bytes), so that undoing the
// clean can tell the page it made from one edited since, or from a page
// whose "~" file no clean ever made.

#include <string>

namespace pelloran {

// Marks the file at `path` as what a clean made of its page. Where the file
// system keeps no extended attributes, nothing is marked.
void MarkCleaned(const std::string& path);

enum class CleanedState {
  kAsCleaned,  // the page is what the clean made of it
  kChanged,    // edited since, or never cleaned: it has no mark, or another
  kUnknown,    // the file system keeps no marks, or the page cannot be read
};

// Is the file at `path` still what the clean that marked it made?
CleanedState CheckCleaned(const std::string& path);

}  // namespace pelloran
