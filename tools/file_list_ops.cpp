#include "tools/file_list_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "charfile/char_file.h"
#include "charfile/failure_text.h"
#include "charfile/file_moves.h"
#include "charfile/text_file.h"
#include "interfaces/path_names.h"
#include "tools/page_restore.h"

namespace pelloran {
namespace {

constexpr int kShortListEntries = 9;  // deleting leaves lists this short unselected

std::uintmax_t SizeOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw EInOutError::FromErrno(errno);
  struct stat st;
  const bool ok = ::fstat(fd, &st) == 0;
  const int err = errno;
  ::close(fd);
  if (!ok) throw EInOutError::FromErrno(err);
  return static_cast<std::uintmax_t>(st.st_size);
}

void ApplyReselection(FileList& list, Reselection where) {
  // Focus first, so the list scrolls the re-selected entry into view with
  // the entries after it; then the selection.
  if (where.focus >= 0) list.MoveFocusQuietly(where.focus);
  if (where.select >= 0) list.Select(where.select);
}

// Focuses each selected file entry in list order and hands its file, in the
// listed folder, to `act`; a file that is gone ends the operation with "file
// not found".
template <typename Act>
void ForEachSelectedFile(FileList& list, Act act) {
  const std::string folder = list.ListedFolder();
  const int count = list.Count();
  for (int i = 0; i < count; ++i) {
    if (!list.IsSelected(i) || list.IsFolder(i)) continue;
    list.Focus(i);
    const PageFiles file{folder, list.Entry(i)};
    struct stat st;
    if (::lstat(file.Path().c_str(), &st) != 0) throw EInOutError::FromErrno(errno);
    act(file);
  }
}

}  // namespace

std::string NameWithoutTildes(std::string_view name) {
  std::string result;
  result.reserve(name.size());
  for (const char c : name) {
    if (c != '~') result += c;
  }
  return result;
}

std::string PathText(std::string_view current_file) {
  if (current_file.empty()) return "/";
  std::string text(FolderPart(current_file));
  text += '/';
  text += NamePart(current_file);
  return text;
}

std::string TildeRemovalFailure(const std::string& name, const std::string& new_name,
                                std::error_code failure) {
  std::string text = "Файл «" + name + "» не переименован в «" + new_name + "»: ";
  if (failure == std::errc::file_exists) return text + "файл «" + new_name + "» уже существует.";
  return text + ReasonInRussian(failure) + ".";
}

std::string SizeText(std::uintmax_t bytes) { return "  " + std::to_string(bytes) + "   байт"; }

StatusReport ReadStatusReport(const std::string& current_file) {
  if (current_file.empty()) return {PathText(current_file), SizeText(0)};
  // A file that cannot be opened for reading fails here, before any panel changes.
  TextFile probe;
  BindFileName(probe, current_file);
  OpenTextForReading(probe);
  CloseCharFile(probe);
  return {PathText(current_file), SizeText(SizeOf(current_file))};
}

Reselection ReselectionAfterDelete(int focused, int count) {
  if (count <= kShortListEntries) return {};
  return ReselectionAfterTildeRemoval(focused, count);
}

Reselection ReselectionAfterTildeRemoval(int focused, int count) {
  Reselection where;
  const int below = focused + kFollowingRows;
  if (below >= 0 && below < count) where.focus = below;
  if (focused >= 0 && focused < count) where.select = focused;
  return where;
}

void DeleteSelectedFiles(FileList& list, Messages& messages, Trash& trash) {
  if (list.Count() == 0) {
    messages.ShowInformation(kNoFileChosen);
    return;
  }
  ForEachSelectedFile(list, [&](const PageFiles& file) {
    if (!trash.Discard(file.Path())) return;
    // Gone for good cannot be undone: only when the user says so.
    if (!messages.Confirm("Файл «" + file.name +
                          "» не удалось переместить в корзину. Удалить его навсегда?"))
      return;
    if (const std::error_code failure = DeleteFile(file.Path()))
      messages.ShowError("Файл «" + file.name + "» не удалён (" + ReasonInRussian(failure) + ").");
  });
  const int focused = list.FocusedIndex();
  list.ReadFolder();
  ApplyReselection(list, ReselectionAfterDelete(focused, list.Count()));
}

void RemoveTildesFromSelected(FileList& list, Messages& messages) {
  if (list.Count() == 0) {
    messages.ShowInformation(kNoFileChosen);
    return;
  }
  ForEachSelectedFile(list, [&messages](const PageFiles& file) {
    const std::string new_name = NameWithoutTildes(file.name);
    if (new_name.empty() || new_name == file.name) return;
    // page.htm~ must never overwrite the cleaned page.htm.
    if (const std::error_code failure = RenameNoReplace(file.Path(), file.In(new_name)))
      messages.ShowError(TildeRemovalFailure(file.name, new_name, failure));
  });
  const int focused = list.FocusedIndex();
  list.ReadFolder();
  ApplyReselection(list, ReselectionAfterTildeRemoval(focused, list.Count()));
}

constexpr char kRestoreChangedQuestion[] =
    "Их нынешний текст пропадёт. Всё равно восстановить эти страницы из копий?";

std::string RestoreQuestion(int count) {
  return "Страниц, которые получат обратно текст из копии «~»: " + std::to_string(count) +
         ".\nОчищенный текст этих страниц пропадёт. Восстановить?";
}

void RestoreSelectedFromBackups(FileList& list, Messages& messages) {
  if (list.Count() == 0) {
    messages.ShowInformation(kNoFileChosen);
    return;
  }
  const std::string folder = list.ListedFolder();
  std::vector<std::string> selected;
  std::vector<std::string> restorable;
  std::vector<std::string> changed;  // not what their clean made: asked about apart
  std::string changed_text;
  std::string left;  // why each page that stays as it is stays so
  for (int i = 0; i < list.Count(); ++i) {
    if (!list.IsSelected(i) || list.IsFolder(i)) continue;
    // A selected "~" file stands for its page, which it gives back.
    std::string page = list.Entry(i);
    if (page.ends_with('~')) page.pop_back();
    if (std::find(selected.begin(), selected.end(), page) != selected.end()) continue;
    selected.push_back(page);
    const RestoreResult foreseen =
        RestorePage(PageFiles{folder, selected.back()}.Path(), /*dry_run=*/true);
    if (foreseen.outcome == RestoreOutcome::kRestored) {
      restorable.push_back(selected.back());
    } else if (foreseen.outcome == RestoreOutcome::kChanged) {
      changed.push_back(selected.back());
      changed_text += foreseen.message + "\n";
    } else {
      left += (left.empty() ? "" : "\n") + foreseen.message;
    }
  }
  // "Нет" is the user's own answer: nothing happens and nothing is reported.
  if (!restorable.empty() &&
      !messages.Confirm(RestoreQuestion(static_cast<int>(restorable.size()))))
    return;
  // An edit made since the clean is lost only when the user says so; pages
  // declined stay as they are without another word.
  if (!changed.empty() && !messages.Confirm(changed_text + kRestoreChangedQuestion))
    changed.clear();
  const auto restore = [&left, &folder](const std::string& name, bool force) {
    const RestoreResult result =
        RestorePage(PageFiles{folder, name}.Path(), /*dry_run=*/false, force);
    if (result.outcome != RestoreOutcome::kRestored)
      left += (left.empty() ? "" : "\n") + result.message;
  };
  if (!restorable.empty() || !changed.empty()) {
    for (const std::string& name : restorable) restore(name, false);
    for (const std::string& name : changed) restore(name, true);
    list.ReadFolder();
    for (int i = 0; i < list.Count(); ++i) {
      if (std::find(selected.begin(), selected.end(), list.Entry(i)) != selected.end())
        list.Select(i);
    }
  }
  if (!left.empty()) messages.ShowError(left);
}

void OpenCurrentFile(const FileList& list, ShellRoutines& shell) {
  shell.ShellOpenDocument("open", list.CurrentFile());
}

void OpenCurrentFileInEditor(const FileList& list, ShellRoutines& shell, Messages& messages) {
  if (!shell.LaunchProgram(kTextEditorProgram, list.CurrentFile(), "", ShowMode::kNormal))
    messages.ShowError(kNoTextEditor);
}

}  // namespace pelloran
