#pragma once

#include <QListWidget>
#include <string>

#include "interfaces/file_list.h"

namespace pelloran {

// The file list: the entries of one folder that match the mask, folders among
// them shown as "[name]", sorted without regard to letter case, in bold, with
// several entries selectable and a focused entry independent of the
// selection. No folder is ever made the process's current directory: the
// engine is handed the listed folder and builds its paths from it.
class FileListBox : public QListWidget, public FileList {
  Q_OBJECT

 public:
  static const QString kMask;  // "*.php;*.htm*;*.txt"

  explicit FileListBox(QWidget* parent = nullptr);

  // The folder the list shows (absolute, without a trailing "/" except at the
  // root); empty before the first reading.
  const QString& Folder() const { return folder_; }
  std::string ListedFolder() const override;

  // Lists the folder: selection cleared, no focused entry, Changed() raised.
  // Throws EInOutError when the folder is not there, is no folder or may not
  // be searched; the list then stays as it was.
  void ReadFolder(const QString& folder);

  // FileList
  int Count() const override;
  std::string Entry(int index) const override;
  bool IsSelected(int index) const override;
  bool IsFolder(int index) const override;
  void Focus(int index) override;
  int FocusedIndex() const override;
  std::string CurrentFile() const override;
  void ReadFolder() override;
  void MoveFocusQuietly(int index) override;
  void Select(int index) override;
  bool ShowPageInHand(const std::string& name) override;
  void ShowPageCleaned() override;

 signals:
  // The change notification: after every reading of the folder, every move
  // of the focus by the user, and every Focus().
  void Changed();
  // A change of the selection by the user, with the mouse or the keyboard.
  void SelectionClicked();

 protected:
  // The right button opens the popup menu and leaves selection and focus alone.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  class Quiet;  // marks changes made by the program, not the user
  bool quiet_ = false;
  QString folder_;
};

// The folder and an entry joined by one "/", not doubled at the root.
QString JoinPath(const QString& folder, const QString& entry);

}  // namespace pelloran
