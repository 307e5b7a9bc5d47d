#pragma once

// Every rename, link and deletion of a page's files: its working copy, its
// "~" backup and the commit that puts the cleaned text in its place. A page
// is committed in one of two ways, chosen once per folder: an unnamed working
// copy linked in under its name and renamed over the page (the backup a
// second name of the page), or, where the file system has no unnamed files,
// a named working copy with renames (and, without hard links, the page
// renamed to its backup). Whatever fails, the page stays readable under its
// own name, the working copy goes, and the message names the page
// (cleaner/page_messages.h).

#include <sys/types.h>

#include <optional>
#include <string>
#include <system_error>

#include "interfaces/path_names.h"

namespace pelloran {

class LockedPage;
class PageFingerprint;

// Why a page was left as it was: the message, and whether a rule of the
// program left it (its backup name was taken) rather than a failure.
struct PageLeft {
  std::string message;
  bool by_rule = false;
};

// What the cleaner knows of a folder, asked when its first page comes.
struct FolderWays {
  std::string folder;
  long longest_name = 255;
  bool unnamed_files = true;  // until the file system says otherwise
  bool hard_links = true;     // the same
  bool default_acl = false;   // new files take their bits from the folder's ACL

  // The folder's facts; tests may refuse unnamed files and hard links
  // through PELLORAN_REFUSE ("unnamed-files", "hard-links") to take the
  // ways of file systems without them.
  static FolderWays Learn(const std::string& folder);
};

// The one step that keeps a page's cleaned text or drops it. Made for a page
// opened and locked (LockedPage); whatever it has not kept when it goes is
// dropped: the working copy and the backup name it made.
class PageCommit {
 public:
  // Into the page itself, by the folder's way.
  PageCommit(const PageFiles& page, const LockedPage& original, FolderWays& ways);
  // Into the file `output` of the caller's instead; the page's backup is
  // only asked for when `backup_rule`.
  PageCommit(const PageFiles& page, const LockedPage& original, std::string output,
             bool backup_rule);
  ~PageCommit();
  PageCommit(const PageCommit&) = delete;
  PageCommit& operator=(const PageCommit&) = delete;

  // The working copy, new, empty, writable as fd(), with the page's bits,
  // ACL, extended attributes and (for root) owner. Throws EInOutError; a
  // working-copy name another run holds leaves the page.
  std::optional<PageLeft> MakeWorkingCopy();
  int fd() const { return fd_; }
  // A file for what one pass hands to the next, unnamed where the folder
  // allows; throws EInOutError.
  int MakeScratchFile() const;
  // The backup's name for the page: a second name of it where the folder
  // has hard links, else only seen to be free (it is renamed at Keep). A
  // taken name leaves the page by rule, unless a killed run left it.
  std::optional<PageLeft> TakeBackupName();
  // Does the working copy, `size` bytes long, hold the page's very bytes?
  bool SameAsPage(off_t size) const;
  // Checks that the page is still the file read, marks the working copy
  // with `print` (or, where no mark is kept, records it: RecordCleaned) and
  // puts it in place. On any failure all is dropped and the page is as it was.
  std::optional<PageLeft> Keep(const PageFingerprint& print);
  // Leaves the file of the caller's as it is (unchanged pages keep it too).
  void KeepOutput() { kept_ = true; }

 private:
  bool IntoPage() const { return output_.empty(); }
  std::optional<PageLeft> MakeNamedCopy();
  bool KilledSwapLeftBackup() const;
  std::optional<PageLeft> PutInPlace();
  void Drop();

  const PageFiles& page_;
  const LockedPage& original_;
  FolderWays* ways_ = nullptr;
  std::string output_;
  bool backup_rule_ = true;
  int fd_ = -1;
  bool named_ = false;             // the working copy has its name
  bool backup_linked_ = false;     // the backup is a second name of the page
  bool backup_by_rename_ = false;  // the page takes its backup name at Keep
  bool kept_ = false;
};

// What a run killed between the two renames of a folder without hard links
// leaves: the backup and a working copy, no page. The backup takes the page's
// name again and the working copy goes, so the page can be cleaned afresh.
enum class Leftover { kNone, kRestored, kBusy };
Leftover RestoreAfterKilledRenames(const PageFiles& page);

// The message for a page whose working-copy name would be longer than its
// folder takes (FolderWays::longest_name); nullopt when it fits.
std::optional<std::string> WorkingCopyNameTooLong(const PageFiles& page, long longest);

}  // namespace pelloran
