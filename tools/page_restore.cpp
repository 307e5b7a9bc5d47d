#include "tools/page_restore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <system_error>

#include "charfile/failure_text.h"
#include "charfile/file_moves.h"
#include "cleaner/cleaned_mark.h"
#include "cleaner/cleaned_record.h"
#include "interfaces/path_names.h"

namespace pelloran {
namespace {

std::string Quoted(std::string_view name) { return "«" + std::string(name) + "»"; }

RestoreResult Failed(const std::string& page, const std::string& backup, int err) {
  return {RestoreOutcome::kFailed,
          "Файл " + Quoted(NamePart(page)) + " не восстановлен из копии " +
              Quoted(NamePart(backup)) + " (" +
              ReasonInRussian(std::error_code(err, std::generic_category())) + ")."};
}

// Why the rename would fail, as far as can be told without doing it; 0 when
// it looks possible.
int ForeseenFailure(const std::string& page) {
  struct stat st;
  if (::lstat(page.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return EISDIR;
  std::string folder(FolderWithSeparator(page));
  if (folder.empty()) folder = ".";
  if (::access(folder.c_str(), W_OK) != 0) return errno;
  return 0;
}

// Is the page still what its clean made? Its own mark says so where it has
// one; where it has none (a file system without marks, a copy made without
// them, an editor that wrote a new file) the folder's record does. A page
// without a mark on a file system that keeps them, and of which the record
// knows nothing, is no clean's work; one that neither can tell about stays
// unknown, and is not guessed at.
CleanedState StateSinceClean(const std::string& page) {
  const CleanedState mark = CheckCleaned(page);
  if (mark == CleanedState::kAsCleaned || mark == CleanedState::kChanged) return mark;
  const CleanedState record = CheckRecorded(page);
  return record != CleanedState::kUnknown ? record : mark;
}

RestoreResult Changed(const std::string& page, const std::string& backup) {
  return {RestoreOutcome::kChanged,
          "Файл " + Quoted(NamePart(page)) +
              " не восстановлен: он не тот, что оставила очистка (изменён после неё, или копию " +
              Quoted(NamePart(backup)) + " сделала не очистка)."};
}

RestoreResult CannotTell(const std::string& page, const std::string& backup) {
  return {RestoreOutcome::kChanged,
          "Файл " + Quoted(NamePart(page)) +
              " не восстановлен: не узнать, тот ли он, что оставила очистка (отметки очистки на "
              "нём нет, в записи папки " +
              Quoted(kCleanedRecordName) + " его нет), и копия " + Quoted(NamePart(backup)) +
              " затёрла бы его."};
}

// Why the page, there and not its backup's second name, is kept from the
// restore: restoring would lose the user's edit or a page of its own.
std::optional<RestoreResult> KeptFromRestore(const std::string& page, const std::string& backup,
                                             const struct stat& page_st) {
  if (!S_ISREG(page_st.st_mode)) return std::nullopt;
  switch (StateSinceClean(page)) {
    case CleanedState::kAsCleaned:
      return std::nullopt;
    case CleanedState::kChanged:
    case CleanedState::kUnmarked:
      return Changed(page, backup);
    case CleanedState::kUnknown:
      break;
  }
  return CannotTell(page, backup);
}

}  // namespace

RestoreResult RestorePage(const std::string& page_path, bool dry_run, bool force) {
  const std::string backup = BackupName(page_path);
  struct stat st;
  if (::lstat(backup.c_str(), &st) != 0) {
    if (errno != ENOENT && errno != ENOTDIR) return Failed(page_path, backup, errno);
    return {RestoreOutcome::kNoBackup, "Файл " + Quoted(NamePart(page_path)) +
                                           " не восстановлен: резервной копии " +
                                           Quoted(NamePart(backup)) + " нет."};
  }
  // Only a file is a backup; a folder of that name is no page's former self.
  if (S_ISDIR(st.st_mode)) return Failed(page_path, backup, EISDIR);
  // A run stopped between naming the backup and swapping leaves the page and
  // its backup as two names of the original; rename() would do nothing there.
  struct stat page_st;
  const bool page_there = ::lstat(page_path.c_str(), &page_st) == 0;
  const bool one_file = page_there && page_st.st_dev == st.st_dev && page_st.st_ino == st.st_ino;
  if (page_there && !one_file && !force) {
    if (std::optional<RestoreResult> kept = KeptFromRestore(page_path, backup, page_st))
      return std::move(*kept);
  }
  if (dry_run) {
    if (const int err = ForeseenFailure(page_path)) return Failed(page_path, backup, err);
    return {RestoreOutcome::kRestored, {}};
  }
  if (const std::error_code failure =
          one_file ? DeleteFile(backup) : ReplaceByRename(backup, page_path))
    return Failed(page_path, backup, failure.value());
  return {RestoreOutcome::kRestored, {}};
}

}  // namespace pelloran
