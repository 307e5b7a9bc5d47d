#pragma once

// Putting a working copy in a page's place, for the clean run and the advert
// tool alike. Names are bare names in the current directory. Each operation
// either succeeds or leaves the page readable under its own name (or, after a
// failed second pass, the first pass's output there and the original under
// the backup name), deletes the working copy and returns a message in Russian
// that names the page and the reason.

#include <optional>
#include <string>
#include <system_error>

#include "interfaces/path_names.h"

namespace pelloran {

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
std::optional<PageLeft> SwapInWorkingCopy(const std::string& page);

// The same swap in two renames, for file systems without hard links (open to
// tests): between the two the page has only its backup name.
std::optional<PageLeft> SwapByRenames(const std::string& page);

// Replaces the page by the working copy of a second pass in one atomic step.
// nullopt on success; otherwise the message, and the working copy is gone.
std::optional<std::string> ReplaceWithWorkingCopy(const std::string& page);

// Undoes what a run killed halfway through the page's swap left: the backup
// name is only a second name of the page itself, or a file of the page's
// very bytes beside a working copy. The backup name and the working copy go,
// so the page can be cleaned afresh; true when they did. A real backup (other
// bytes than the page's) is never touched.
bool ClearUnfinishedSwap(const std::string& page);

// The message for a page left as it was because its backup name is taken.
std::string BackupExistsMessage(const std::string& page);

// The message for a page left as it was because reading stopped at a byte 26
// that has more bytes after it.
std::string EndMarkInsideMessage(const std::string& page);
// Why a page that starts with a UTF-16 byte-order mark was left as it was.
std::string Utf16PageMessage(const std::string& page);

// The message for a page whose working-copy name would be longer than its
// folder allows (255 bytes on most file systems); nullopt when it fits. The
// page's folder is the current directory.
std::optional<std::string> WorkingCopyNameTooLong(const std::string& page);
// The same against a limit already asked of the folder (LongestNameHere).
std::optional<std::string> WorkingCopyNameTooLong(const std::string& page, long longest);
// The longest name the current directory takes, in bytes.
long LongestNameHere();

// The pieces of the swap for a clean run that gives the page its backup name
// before its cleaned text is written:
// whether a failed hard link means the file system has none for this page
// (the swap then falls back on renames);
bool HardLinksRefused(std::error_code failure);
// the message for a page whose backup name could not be made; a working copy
// of the page left on disk goes too;
PageLeft BackupFailure(const std::string& page, std::error_code failure);
// the message for a page left as it was because its cleaned text could not
// take its name;
std::string NotRenamedMessage(const std::string& page, std::error_code failure);
// the message for a page that holds the first pass's result because the
// second pass's could not take its name; the original is in the backup.
std::string SecondPassNotInPlaceMessage(const std::string& page, std::error_code failure);
// The message for a page that holds the first pass's result, with its size
// now, because the second pass ended for the reason `why`.
std::string FirstPassOnlyMessage(const std::string& page, const std::string& why);

// Why a file operation failed, in Russian.
std::string ReasonInRussian(std::error_code failure);

}  // namespace pelloran
