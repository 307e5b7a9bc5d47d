#pragma once

// The batch command: cleans the files named on its command line exactly as
// Apply cleans the selected pages, through the same clean run, one engine for
// the whole call (so the class tables live as long as in one program run).

#include <ostream>
#include <span>
#include <string>

#include "interfaces/link_check.h"

namespace pelloran {

inline constexpr int kBatchAllCleaned = 0;
inline constexpr int kBatchSomeFailed = 1;
inline constexpr int kBatchUsageError = 2;

// Runs the command with its arguments (without the program name). Messages go
// to `out` (information) and `err` (failures and usage); the answer is the
// exit status. `link_check` answers the link checks of --check-links; with
// `show_progress` (for a terminal) `err` also counts the checks made ahead.
int RunBatchClean(std::span<const std::string> args, LinkCheck& link_check, std::ostream& out,
                  std::ostream& err, bool show_progress = false);

}  // namespace pelloran
