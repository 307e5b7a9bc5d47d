#pragma once

// The window's before-and-after view of one page: the page against its "~"
// copy when it has one, otherwise against what Apply would make of it now.

#include <cstdint>
#include <string>

#include "interfaces/options.h"

namespace pelloran {

class ClassTables;

struct PageComparison {
  bool from_backup = false;  // "было" is the "~" copy, "стало" the page
  bool ok = false;           // both texts are there
  std::string before;        // "было"
  std::string after;         // "стало"
  std::string diff;          // the unified diff from before to after, "a/NAME" to "b/NAME"
  std::string message;       // when not ok: why, naming the page
};

// Compares the page at `page_path`. Without a backup, the page is cleaned
// with `options` as they stand into a temporary file, with a copy of
// `tables`: nothing beside the page changes, no table of a run either, and
// no link is checked. Never throws for a file failure: the answer says it.
PageComparison ComparePage(const Options& options, const ClassTables& tables,
                           const std::string& page_path);

}  // namespace pelloran
