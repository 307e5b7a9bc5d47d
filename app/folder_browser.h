#pragma once

#include <QComboBox>
#include <QListWidget>
#include <map>
#include <string>
#include <vector>

namespace pelloran {

// The folder list: the drive's root, each folder on the path down to the
// current folder, the current folder itself, then its subfolders in sorted
// order. Double-click or Enter on a line chooses that folder.
class DirectoryListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit DirectoryListBox(QWidget* parent = nullptr);

  // Shows `folder`, which lies on the drive `drive` (both absolute).
  void ShowFolder(const QString& drive, const QString& folder);
  // The folder a line stands for.
  QString FolderAt(int row) const;

 signals:
  void FolderChosen(const QString& folder);
};

// The drive selector: "/" and the mount points of real file systems. Each
// drive remembers the folder last used on it; choosing a drive goes there
// (at first to the drive's root).
class DriveComboBox : public QComboBox {
  Q_OBJECT

 public:
  DriveComboBox(std::vector<std::string> drives, QWidget* parent = nullptr);

  // The drive that holds a folder.
  QString DriveOf(const QString& folder) const;
  // Selects the folder's drive and remembers the folder as its last one.
  void ShowFolder(const QString& folder);

 signals:
  // The user chose a drive: the folder to go to.
  void FolderChosen(const QString& folder);

 private:
  std::vector<std::string> drives_;
  std::map<QString, QString> last_folder_;
};

}  // namespace pelloran
