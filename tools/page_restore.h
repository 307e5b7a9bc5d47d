#pragma once

// Undoing a clean: the page's "~" backup takes the page's name again. Shared
// by the batch command's --restore and the window's "восстановить из копии".

#include <string>

namespace pelloran {

enum class RestoreOutcome {
  kRestored,  // done (or, in a dry run, would be done)
  kNoBackup,  // the page has no "~" backup
  kFailed,    // the backup is there, but cannot take the page's name
  kChanged,   // the page is not known to be what a clean made: edited since, never
              // cleaned, or nothing tells (no mark, no line in the folder's record)
};

struct RestoreResult {
  RestoreOutcome outcome;
  std::string message;  // empty when restored; otherwise why not, in Russian, naming the page
};

// Renames `page_path` + "~" to `page_path` in one atomic step, over the
// cleaned page, which is gone afterwards (a missing page is no obstacle).
// A page that is no longer what the clean made of it, by its mark
// (cleaned_mark.h) or, where it has none, by its folder's record
// (cleaned_record.h), is kept, answering kChanged, unless `force`; so is a
// page of which neither can tell. Nothing changes unless the answer is
// kRestored. With `dry_run`, changes nothing and answers what the rename
// would answer, as far as can be told beforehand: the backup is a file, the
// page is no folder, and the folder may be written.
RestoreResult RestorePage(const std::string& page_path, bool dry_run = false, bool force = false);

}  // namespace pelloran
