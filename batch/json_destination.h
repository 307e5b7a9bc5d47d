#pragma once

// Where the JSON report may go. The report takes its file's name at the end
// of the run, in one rename: over a page, a page's backup or its working copy
// it would wipe what the run keeps, so such a destination is refused before
// any page is touched.

#include <optional>
#include <string>
#include <vector>

#include "batch/page_walk.h"

namespace pelloran {

// Why the report may not be written to `destination`, or nothing when it may.
// Refused: one of `pages` (as the walk found them, relative to the current
// folder or absolute), a page's "~" or "PL!__" name, and any existing file
// whose name the filter's patterns take (as a page, a "~" or a "PL!__" name),
// unless that file is an earlier JSON report, which the new one replaces.
std::optional<std::string> WhyJsonDestinationRefused(const std::string& destination,
                                                     const std::vector<std::string>& pages,
                                                     const PageFilter& filter);

}  // namespace pelloran
