#include "tools/page_restore.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "charfile/failure_text.h"
#include "charfile/file_moves.h"
#include "cleaner/cleaned_mark.h"
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

// The page is there, is not its backup's second name, and is not what the
// clean made of it: restoring would lose the user's edit or a page of its own.
bool ChangedSinceClean(const std::string& page, const struct stat& page_st) {
  return S_ISREG(page_st.st_mode) && CheckCleaned(page) == CleanedState::kChanged;
}

RestoreResult Changed(const std::string& page, const std::string& backup) {
  return {RestoreOutcome::kChanged,
          "Файл " + Quoted(NamePart(page)) +
              " не восстановлен: он не тот, что оставила очистка (изменён после неё, или копию " +
              Quoted(NamePart(backup)) + " сделала не очистка)."};
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
  if (page_there && !one_file && !force && ChangedSinceClean(page_path, page_st))
    return Changed(page_path, backup);
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
