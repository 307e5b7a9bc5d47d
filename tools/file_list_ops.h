#pragma once

// The file list's own operations: the status-bar report, deleting the
// selected files, taking "~" out of their names, and handing the current file
// to the desktop. No Qt here: the main window's handlers call these with its
// list, its messages and its shell.

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

#include "interfaces/file_list.h"
#include "interfaces/messages.h"
#include "interfaces/shell_routines.h"
#include "interfaces/trash.h"

namespace pelloran {

// The name with every "~" taken out ("a~b~.htm" gives "ab.htm").
std::string NameWithoutTildes(std::string_view name);

// The status bar's path text: the folder part, "/", the name part. In the
// root folder the separator shows twice ("//a.htm"); no current file gives "/".
std::string PathText(std::string_view current_file);

// The status bar's size text: "  1234   байт".
std::string SizeText(std::uintmax_t bytes);

struct StatusReport {
  std::string path_text;
  std::string size_text;
};

// Checks that the current file opens for reading and takes its size; no
// current file gives the bare separator and size 0. Throws EInOutError when
// the file cannot be opened or its size cannot be read.
StatusReport ReadStatusReport(const std::string& current_file);

// Where the list's focus and selection go after a re-read; -1 means nowhere.
struct Reselection {
  int focus = -1;
  int select = -1;
};

// `focused` is the position focused before the re-read, `count` the number of
// entries after it. After deleting, short lists of 9 entries or fewer get no
// re-selection; after "~" removal every list does.
Reselection ReselectionAfterDelete(int focused, int count);
Reselection ReselectionAfterTildeRemoval(int focused, int count);

// Hands the file of every selected entry (folder entries are passed over) to
// the trash without asking, then re-reads and re-selects. A file the trash
// does not take is deleted for good only when the user confirms it, and a
// failed deletion is reported; a selected file that is gone when reached throws
// EInOutError (file not found) and leaves the list as it is. An empty list
// only gets the message.
void DeleteSelectedFiles(FileList& list, Messages& messages, Trash& trash);

// Renames every selected file to its name without "~", never replacing an
// existing file, then re-reads and re-selects. A rename that fails (the plain
// name exists) gets a message naming both files, and the next file follows;
// a file gone when reached ends the operation as for deleting.
void RemoveTildesFromSelected(FileList& list, Messages& messages);

// "восстановить из копии": every selected page whose "~" copy exists gets
// it back under its own name in one rename (the cleaned text is gone), after
// one question that says how many pages (answered "Нет", nothing changes and
// nothing more is said); pages edited since their clean (or whose copy no
// clean made) are named in a second question and restored only on "yes";
// pages without a copy, or whose copy cannot take the name, are named in one
// message. A selected "~" file stands for its page. Then the list is read
// again with the same pages selected. An empty list only gets the message.
void RestoreSelectedFromBackups(FileList& list, Messages& messages);

// The question before restoring `count` pages.
std::string RestoreQuestion(int count);

// The message for a "~" removal that failed.
std::string TildeRemovalFailure(const std::string& name, const std::string& new_name,
                                std::error_code failure);

// The current file to the desktop: opened with its associated application,
// or in the plain-text editor, which says kNoTextEditor when no editor
// starts. Without a current file the path is empty.
void OpenCurrentFile(const FileList& list, ShellRoutines& shell);
void OpenCurrentFileInEditor(const FileList& list, ShellRoutines& shell, Messages& messages);
inline constexpr char kNoTextEditor[] =
    "Текстовый редактор не запущен: не найден ни редактор для text/plain, ни один из обычных "
    "(gedit, kate, mousepad и другие).";

}  // namespace pelloran
