#include "app/folder_browser.h"

#include <QDir>
#include <QStyle>

#include "app/line_height_delegate.h"
#include "tools/drives.h"

namespace pelloran {
namespace {

constexpr int kFolderPathRole = Qt::UserRole;
constexpr int kIndentPerLevel = 2;  // blanks

// The folders from the drive's root down to `folder`, both included.
QStringList FoldersOnPath(const QString& drive, const QString& folder) {
  QStringList path{folder};
  QString step = folder;
  while (step != drive && step != QStringLiteral("/")) {
    step = QFileInfo(step).path();
    path.prepend(step);
  }
  return path;
}

}  // namespace

DirectoryListBox::DirectoryListBox(QWidget* parent) : QListWidget(parent) {
  setUniformItemSizes(true);
  setItemDelegate(new LineHeightDelegate(16, this));
  connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    emit FolderChosen(item->data(kFolderPathRole).toString());
  });
}

void DirectoryListBox::ShowFolder(const QString& drive, const QString& folder) {
  clear();
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
  const QStringList path = FoldersOnPath(drive, folder);
  for (int level = 0; level < path.size(); ++level) {
    const QString name = level == 0 ? path[level] : QFileInfo(path[level]).fileName();
    auto* line =
        new QListWidgetItem(open_icon, QString(level * kIndentPerLevel, u' ') + name, this);
    line->setData(kFolderPathRole, path[level]);
  }
  setCurrentRow(static_cast<int>(path.size()) - 1);
  const QString indent(static_cast<int>(path.size()) * kIndentPerLevel, u' ');
  const QStringList subfolders = QDir(folder).entryList(
      QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : subfolders) {
    auto* line = new QListWidgetItem(closed_icon, indent + name, this);
    line->setData(kFolderPathRole, QDir(folder).filePath(name));
  }
}

QString DirectoryListBox::FolderAt(int row) const {
  const QListWidgetItem* line = item(row);
  return line == nullptr ? QString() : line->data(kFolderPathRole).toString();
}

DriveComboBox::DriveComboBox(std::vector<std::string> drives, QWidget* parent)
    : QComboBox(parent), drives_(std::move(drives)) {
  for (const std::string& drive : drives_) addItem(QFile::decodeName(drive.c_str()));
  connect(this, &QComboBox::activated, this, [this](int index) {
    const QString drive = itemText(index);
    auto last = last_folder_.find(drive);
    emit FolderChosen(last == last_folder_.end() ? drive : last->second);
  });
}

QString DriveComboBox::DriveOf(const QString& folder) const {
  return QFile::decodeName(
      pelloran::DriveOf(drives_, QFile::encodeName(folder).toStdString()).c_str());
}

void DriveComboBox::ShowFolder(const QString& folder) {
  const QString drive = DriveOf(folder);
  last_folder_[drive] = folder;
  setCurrentIndex(findText(drive));
}

}  // namespace pelloran
