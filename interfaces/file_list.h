#pragma once

#include <string>
#include <string_view>

namespace pelloran {

// The answer to an operation on an empty list.
inline constexpr std::string_view kNoFileChosen = "Вы не выбрали файл!";

// An entry re-selected after an operation is shown with this many rows below it.
inline constexpr int kFollowingRows = 7;

// The main window's file list as the clean run, the file operations and the
// advert tool see it: entries in list order, each selected or not, and one
// focused entry that is independent of the selection. Positions count from 0;
// a position outside 0 .. Count() - 1 is no entry. The engine reads entries and
// the listed folder and builds paths from them itself; where the focus goes
// and what scrolls into view is the list's own business.
class FileList {
 public:
  virtual ~FileList() = default;

  virtual int Count() const = 0;
  // The entry as the list shows it: a file name, or "[name]" for a folder.
  virtual std::string Entry(int index) const = 0;
  virtual bool IsSelected(int index) const = 0;
  // A folder entry (shown in square brackets) is no file: the file
  // operations pass it over.
  virtual bool IsFolder(int index) const = 0;

  // Makes the entry the focused one as a user's move would, so the list's
  // change notification follows.
  virtual void Focus(int index) = 0;
  // The focused position, or -1 when no entry has the focus.
  virtual int FocusedIndex() const = 0;
  // The folder the list shows, as a path: an entry's file is this folder and
  // the entry's name.
  virtual std::string ListedFolder() const = 0;
  // The full path of the focused entry when that entry is selected; empty
  // when it is not selected or the list is empty.
  virtual std::string CurrentFile() const = 0;

  // Reads the listed folder anew: selection cleared, change notification raised.
  virtual void ReadFolder() = 0;
  // Moves the focus frame and scrolls it into view, without a notification.
  virtual void MoveFocusQuietly(int index) = 0;
  // Adds the entry to the selection, without a notification.
  virtual void Select(int index) = 0;

  // The clean run's page in hand: the file entry of this name focused (in
  // view, without a notification) and selected. False when the list shows no
  // file of that name.
  virtual bool ShowPageInHand(const std::string& name) = 0;
  // After the page in hand was cleaned: the folder read again (it lists the
  // backup now), the page selected with kFollowingRows entries after it in view.
  virtual void ShowPageCleaned() = 0;
};

}  // namespace pelloran
