#include "app/file_list_box.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QMouseEvent>
#include <algorithm>
#include <cerrno>
#include <vector>

#include "app/line_height_delegate.h"
#include "app/window_design.h"
#include "charfile/in_out_error.h"

namespace pelloran {
namespace {

constexpr int kFolderRole = Qt::UserRole;

struct ListEntry {
  QString text;
  bool is_folder;
};

// The entries of a folder that match the mask, every kind (hidden, system,
// folders) included, sorted without regard to case; equal names keep a fixed
// order by their exact spelling.
std::vector<ListEntry> MatchingEntries(const QString& folder) {
  const QFileInfoList found = QDir(folder).entryInfoList(
      FileListBox::kMask.split(QLatin1Char(';')),
      QDir::Files | QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
  std::vector<ListEntry> entries;
  entries.reserve(found.size());
  for (const QFileInfo& info : found) {
    if (info.isDir()) {
      entries.push_back({QStringLiteral("[%1]").arg(info.fileName()), true});
    } else {
      entries.push_back({info.fileName(), false});
    }
  }
  std::sort(entries.begin(), entries.end(), [](const ListEntry& a, const ListEntry& b) {
    const int folded = a.text.compare(b.text, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a.text < b.text;
  });
  return entries;
}

// Throws the failure a change into the folder would meet: it is not there, is
// no folder, or may not be searched by this process.
void CheckFolderOpens(const QString& folder) {
  const QByteArray path = QFile::encodeName(folder);
  struct stat st;
  if (::stat(path.constData(), &st) != 0) throw EInOutError::FromErrno(errno);
  if (!S_ISDIR(st.st_mode)) throw EInOutError::FromErrno(ENOTDIR);
  if (::faccessat(AT_FDCWD, path.constData(), X_OK, AT_EACCESS) != 0)
    throw EInOutError::FromErrno(errno);
}

}  // namespace

class FileListBox::Quiet {
 public:
  explicit Quiet(FileListBox& list) : list_(list), was_(list.quiet_) { list_.quiet_ = true; }
  ~Quiet() { list_.quiet_ = was_; }

 private:
  FileListBox& list_;
  bool was_;
};

const QString FileListBox::kMask = QStringLiteral("*.php;*.htm*;*.txt");

QString JoinPath(const QString& folder, const QString& entry) {
  return folder.endsWith(QLatin1Char('/')) ? folder + entry : folder + QLatin1Char('/') + entry;
}

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
  setFont(DesignFont(kDefaultFontPixels, true));
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setUniformItemSizes(true);
  setItemDelegate(new LineHeightDelegate(14, this));
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
    if (!quiet_) emit Changed();
  });
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    if (!quiet_) emit SelectionClicked();
  });
}

void FileListBox::ReadFolder(const QString& folder) {
  const QString path = QDir::cleanPath(QDir(folder).absolutePath());
  CheckFolderOpens(path);
  {
    Quiet quiet(*this);
    clear();
    for (const ListEntry& entry : MatchingEntries(path)) {
      auto* item = new QListWidgetItem(entry.text, this);
      item->setData(kFolderRole, entry.is_folder);
    }
    folder_ = path;
  }
  emit Changed();
}

void FileListBox::ReadFolder() { ReadFolder(folder_); }

int FileListBox::Count() const { return count(); }

std::string FileListBox::ListedFolder() const { return QFile::encodeName(folder_).toStdString(); }

std::string FileListBox::Entry(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry == nullptr ? std::string() : QFile::encodeName(entry->text()).toStdString();
}

bool FileListBox::IsSelected(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry != nullptr && entry->isSelected();
}

bool FileListBox::IsFolder(int index) const {
  const QListWidgetItem* entry = item(index);
  return entry != nullptr && entry->data(kFolderRole).toBool();
}

void FileListBox::Focus(int index) {
  if (index < 0 || index >= count()) return;
  MoveFocusQuietly(index);
  emit Changed();
}

int FileListBox::FocusedIndex() const { return currentRow(); }

std::string FileListBox::CurrentFile() const {
  const QListWidgetItem* entry = currentItem();
  if (entry == nullptr || !entry->isSelected()) return {};
  return QFile::encodeName(JoinPath(folder_, entry->text())).toStdString();
}

void FileListBox::MoveFocusQuietly(int index) {
  if (index < 0 || index >= count()) return;
  Quiet quiet(*this);
  const QModelIndex position = model()->index(index, 0);
  selectionModel()->setCurrentIndex(position, QItemSelectionModel::NoUpdate);
  scrollTo(position);
}

void FileListBox::Select(int index) {
  if (index < 0 || index >= count()) return;
  Quiet quiet(*this);
  item(index)->setSelected(true);
}

bool FileListBox::ShowPageInHand(const std::string& name) {
  for (int i = 0; i < count(); ++i) {
    if (IsFolder(i) || Entry(i) != name) continue;
    MoveFocusQuietly(i);
    if (!IsSelected(i)) Select(i);
    return true;
  }
  return false;
}

void FileListBox::ShowPageCleaned() {
  const int page = currentRow();
  ReadFolder();
  // Focus first, so the page shows with the entries after it; then select it.
  MoveFocusQuietly(page + kFollowingRows);
  Select(page);
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) return;
  QListWidget::mousePressEvent(event);
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) return;
  QListWidget::mouseReleaseEvent(event);
}

}  // namespace pelloran
