#pragma once

// Every rename, link and deletion of a page's files: its working copy, its
// "~" backup and the swap that puts the cleaned text in its place, for the
// clean of a page and the advert tool alike. Each operation either succeeds
// or leaves the page readable under its own name (or, after a failed second
// pass, the first pass's output there and the original under the backup
// name), deletes the working copy and says why in a message that names the
// page (cleaner/page_messages.h).

#include <optional>
#include <string>
#include <system_error>

#include "interfaces/path_names.h"

namespace pelloran {

class CharFile;

// Why a page was left as it was: the message, and whether a rule of the
// program left it (its backup name was taken) rather than a failure.
struct PageLeft {
  std::string message;
  bool by_rule = false;
};

// Gives the page its backup name as well, never over an earlier backup, then
// puts the working copy in the page's place in one atomic step, so the page
// never lacks its own name; if that step fails the backup name goes again.
// The working copy was made with the page's permission bits
// (CreateWorkingCopy). nullopt on success; otherwise the message, and the
// working copy is gone.
std::optional<PageLeft> SwapInWorkingCopy(const PageFiles& page);

// The same swap in two renames, for file systems without hard links (open to
// tests): between the two the page has only its backup name.
std::optional<PageLeft> SwapByRenames(const PageFiles& page);

// Replaces the page by the working copy of a second pass in one atomic step.
// nullopt on success; otherwise the message, and the working copy is gone.
std::optional<std::string> ReplaceWithWorkingCopy(const PageFiles& page);

// Undoes what a run killed halfway through the page's swap left: the backup
// name is only a second name of the page itself, or a file of the page's
// very bytes beside a working copy. The backup name and the working copy go,
// so the page can be cleaned afresh; true when they did. A real backup (other
// bytes than the page's) is never touched.
bool ClearUnfinishedSwap(const PageFiles& page);

// Is the working copy the page's very bytes? It is then deleted: the page
// stays as it was, with no backup and no new time stamp.
bool DropUnchangedWorkingCopy(const PageFiles& page);

// The message for a page whose working-copy name would be longer than its
// folder takes (LongestNameIn); nullopt when it fits.
std::optional<std::string> WorkingCopyNameTooLong(const PageFiles& page, long longest);
// The longest name the folder takes, in bytes.
long LongestNameIn(const std::string& folder);

// Whether a failed hard link means the file system has none for this page
// (the swap then falls back on renames).
bool HardLinksRefused(std::error_code failure);
// Why the page is left when its backup name could not be made; a working
// copy of the page left on disk goes too.
PageLeft BackupFailure(const PageFiles& page, std::error_code failure);
// After the second pass failed with the backup name made: the first pass's
// result, open as `first_pass_result`, takes the page's name. False when it
// cannot; the backup name then goes again and the page is as it was.
bool FirstPassResultTakesPageName(const PageFiles& page, const CharFile& first_pass_result);

}  // namespace pelloran
