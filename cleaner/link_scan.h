#pragma once

// Before a run with link checking on: what the link check will be asked.

#include <span>
#include <string>
#include <vector>

#include "interfaces/options.h"

namespace pelloran {

// Runs the first pass over each page with `options`, writing nothing (no
// working copy, no report, the run's class tables untouched), and returns
// every link value it hands to the link check, each once, in the order first
// met: exactly what the real pass will ask while the pages and options stay
// as they are. A page that cannot be read now is passed over (its own pass
// meets the failure and reports it), and so is a UTF-16 page, which no pass
// reads.
std::vector<std::string> ScanLinkValues(const Options& options,
                                        std::span<const std::string> page_paths);

}  // namespace pelloran
