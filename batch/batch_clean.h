#pragma once

// The batch command: cleans the pages named on its command line, or found in
// the folders named there, exactly as Apply cleans the selected pages:
// through the same page call (PageCleaner::Clean) that Apply's run makes for
// each page, one cleaner for the whole call (so the class tables live as long
// as in one program run). It also previews a run, prints
// its diff, undoes one and reports on it in JSON.

#include <ostream>
#include <span>
#include <string>

#include "interfaces/link_check.h"

namespace pelloran {

// Exit statuses: every page cleaned; some page not; the command line wrong;
// with --fail-on-broken-links, a checked link broken (whatever became of the
// pages).
inline constexpr int kBatchAllCleaned = 0;
inline constexpr int kBatchSomeFailed = 1;
inline constexpr int kBatchUsageError = 2;
inline constexpr int kBatchBrokenLinks = 3;

// Which of the two streams are terminals: progress is shown only on a
// terminal, and the diff is coloured by default only there.
struct Terminals {
  bool out = false;
  bool err = false;
};

// Runs the command with its arguments (without the program name). Pages,
// diffs and the summary go to `out`, failures, usage errors and progress to
// `err`; the answer is the exit status. `link_check` answers the link checks
// of --check-links.
int RunBatchClean(std::span<const std::string> args, LinkCheck& link_check, std::ostream& out,
                  std::ostream& err, Terminals terminals = {});

}  // namespace pelloran
