#include "cleaner/page_swap.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "charfile/char_file.h"
#include "charfile/file_moves.h"
#include "charfile/working_copy.h"
#include "cleaner/page_messages.h"

namespace pelloran {

// The page stays as it is when no backup can be made; the working copy goes.
PageLeft BackupFailure(const PageFiles& page, std::error_code failure) {
  DeleteFile(page.WorkingCopy());
  if (failure == std::errc::file_exists) return {BackupExistsMessage(page.name), true};
  return {BackupNotMadeMessage(page.name, failure)};
}

bool HardLinksRefused(std::error_code failure) {
  return failure.value() == EPERM || failure.value() == ENOTSUP || failure.value() == EMLINK;
}

std::optional<PageLeft> SwapInWorkingCopy(const PageFiles& page) {
  // The backup is made a second name of the page, then the cleaned text takes
  // the page's name in one step: wherever the program is stopped, the page is
  // whole under its own name. Without hard links, two renames do it.
  const std::error_code failure = AddName(page.Path(), page.Backup());
  if (HardLinksRefused(failure)) return SwapByRenames(page);
  if (failure) return BackupFailure(page, failure);
  if (const std::error_code replace = ReplaceByRename(page.WorkingCopy(), page.Path())) {
    DeleteFile(page.WorkingCopy());
    DeleteFile(page.Backup());  // only a second name of the page as it is
    return PageLeft{NotRenamedMessage(page.name, replace)};
  }
  return std::nullopt;
}

std::optional<PageLeft> SwapByRenames(const PageFiles& page) {
  if (const std::error_code failure = RenameNoReplace(page.Path(), page.Backup()))
    return BackupFailure(page, failure);
  if (const std::error_code failure = RenameNoReplace(page.WorkingCopy(), page.Path())) {
    DeleteFile(page.WorkingCopy());
    std::string message = NotRenamedMessage(page.name, failure);
    if (RenameNoReplace(page.Backup(), page.Path())) message += OriginalLeftInBackupNote(page.name);
    return PageLeft{message};
  }
  return std::nullopt;
}

std::optional<std::string> ReplaceWithWorkingCopy(const PageFiles& page) {
  if (const std::error_code failure = ReplaceByRename(page.WorkingCopy(), page.Path())) {
    DeleteFile(page.WorkingCopy());
    return SecondPassNotInPlaceMessage(page, failure);
  }
  return std::nullopt;
}

bool ClearUnfinishedSwap(const PageFiles& page) {
  const bool second_name = SameFile(page.Path(), page.Backup());
  if (!second_name) {
    struct stat st;
    if (::lstat(page.WorkingCopy().c_str(), &st) != 0 || !SameBytes(page.Path(), page.Backup()))
      return false;
  }
  if (DeleteFile(page.Backup())) return false;
  DeleteFile(page.WorkingCopy());
  return true;
}

bool DropUnchangedWorkingCopy(const PageFiles& page) {
  if (!SameBytes(page.WorkingCopy(), page.Path())) return false;
  DeleteFile(page.WorkingCopy());
  return true;
}

bool FirstPassResultTakesPageName(const PageFiles& page, const CharFile& first_pass_result) {
  if (!GiveName(first_pass_result, page.WorkingCopy())) {
    if (!ReplaceByRename(page.WorkingCopy(), page.Path())) return true;
    DeleteFile(page.WorkingCopy());
  }
  DeleteFile(page.Backup());  // only a second name of the page as it is
  return false;
}

long LongestNameIn(const std::string& folder) {
  const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return longest > 0 ? longest : 255;
}

std::optional<std::string> WorkingCopyNameTooLong(const PageFiles& page, long longest) {
  if (WorkingCopyName(page.name).size() <= static_cast<size_t>(longest)) return std::nullopt;
  return WorkingCopyTooLongMessage(page.name, longest);
}

}  // namespace pelloran
