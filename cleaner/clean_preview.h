#pragma once

// What Apply would make of a page now, for the window's before-and-after
// view, without touching the page or its folder.

#include <string>

#include "interfaces/options.h"

namespace pelloran {

class ClassTables;

struct PagePreview {
  bool cleaned = false;
  std::string text;     // the cleaned text, when cleaned
  std::string message;  // otherwise why not (a file failure in the failure handler's words)
};

// The page cleaned with `options` as they stand into a temporary file of the
// system's temporary folder, which is gone again on return. A copy of
// `tables` is used, so no table of a run changes. Never throws for a file
// failure: the answer carries its message.
PagePreview PreviewCleanPage(const Options& options, const ClassTables& tables,
                             const std::string& page_path);

}  // namespace pelloran
