// The file browser: what the file list shows, its focus and selection, the
// current file, and how folders and drives are chosen.

#include <QDir>
#include <QSignalSpy>

#include "tests/app/gui_test_support.h"
#include "tools/drives.h"

namespace pelloran::testing {
namespace {

class FileListTest : public ProgramTest {
 protected:
  void MakeStartFolder() override {
    for (const char* name : {"a.htm", "B.htm", "c.HTML", "d.php", "e.TXT", "f.htm~", ".hidden.htm",
                             "g.doc", "h.php~", "page.htm.bak"}) {
      WriteFile(start / name, "x");
    }
    std::filesystem::create_directory(start.path() / "site.html");
    std::filesystem::create_directory(start.path() / "sub");
    WriteFile(start / "sub/inner.htm", "x");
  }

  QStringList Shown() const {
    QStringList texts;
    for (int i = 0; i < list().count(); ++i) texts << list().item(i)->text();
    return texts;
  }
  FileListBox& list() const { return *Child<FileListBox>(windows->main_window, "fileList"); }

  void ClickEntry(int index, Qt::KeyboardModifiers modifiers = {},
                  Qt::MouseButton button = Qt::LeftButton) {
    const QRect place = list().visualItemRect(list().item(index));
    QTest::mouseClick(list().viewport(), button, modifiers, place.center());
  }
};

TEST_F(FileListTest, ShowsMatchingEntriesOfEveryKindSortedWithoutRegardToCase) {
  ShowMainWindow();
  EXPECT_EQ(Shown(), (QStringList{".hidden.htm", "[site.html]", "a.htm", "B.htm", "c.HTML", "d.php",
                                  "e.TXT", "f.htm~", "page.htm.bak"}));
  EXPECT_TRUE(list().IsFolder(1));
  EXPECT_FALSE(list().IsFolder(2));
  EXPECT_EQ(list().Entry(1), "[site.html]");
  EXPECT_TRUE(list().font().bold());
}

TEST_F(FileListTest, CurrentFileIsTheFocusedEntryOnlyWhileItIsSelected) {
  ShowMainWindow();
  EXPECT_EQ(list().CurrentFile(), "");

  ClickEntry(2);
  EXPECT_EQ(list().CurrentFile(), start / "a.htm");

  ClickEntry(4, Qt::ControlModifier);  // adds c.HTML and focuses it
  EXPECT_TRUE(list().IsSelected(2));
  EXPECT_TRUE(list().IsSelected(4));
  EXPECT_EQ(list().CurrentFile(), start / "c.HTML");

  ClickEntry(4, Qt::ControlModifier);  // takes it out again: focused but not selected
  EXPECT_EQ(list().FocusedIndex(), 4);
  EXPECT_FALSE(list().IsSelected(4));
  EXPECT_EQ(list().CurrentFile(), "");

  ClickEntry(2);
  ClickEntry(6, Qt::ShiftModifier);  // a range from the last plain click
  EXPECT_FALSE(list().IsSelected(1));
  EXPECT_FALSE(list().IsSelected(7));
  for (int i = 2; i <= 6; ++i) EXPECT_TRUE(list().IsSelected(i)) << i;
  EXPECT_EQ(list().CurrentFile(), start / "e.TXT");
}

TEST_F(FileListTest, RightClickLeavesSelectionAndFocusAlone) {
  ShowMainWindow();
  ClickEntry(2);
  ClickEntry(5, {}, Qt::RightButton);
  EXPECT_EQ(list().FocusedIndex(), 2);
  EXPECT_TRUE(list().IsSelected(2));
  EXPECT_FALSE(list().IsSelected(5));
}

TEST_F(FileListTest, ChangeNotificationOnReadingUserMovesAndFocusButNotQuietMoves) {
  ShowMainWindow();
  QSignalSpy changes(&list(), &FileListBox::Changed);

  list().ReadFolder();
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(list().selectedItems().size(), 0);

  ClickEntry(3);  // the user moves the focus
  EXPECT_EQ(changes.count(), 2);
  ClickEntry(3, Qt::ControlModifier);  // same entry: no move
  EXPECT_EQ(changes.count(), 2);

  list().Focus(5);
  EXPECT_EQ(changes.count(), 3);
  EXPECT_EQ(list().FocusedIndex(), 5);
  EXPECT_FALSE(list().IsSelected(5));  // focusing selects nothing

  list().MoveFocusQuietly(7);
  list().Select(7);
  EXPECT_EQ(changes.count(), 3);
  EXPECT_EQ(list().CurrentFile(), start / "f.htm~");
}

TEST_F(FileListTest, ChoosingAFolderListsItAndLeavesTheCurrentFolderAlone) {
  MainWindow& form = ShowMainWindow();
  DirectoryListBox& folders = *Child<DirectoryListBox>(form, "folderList");
  int sub_line = -1;
  for (int i = 0; i < folders.count(); ++i) {
    if (folders.FolderAt(i) == QDir(StartFolder()).filePath("sub")) sub_line = i;
  }
  ASSERT_GE(sub_line, 0);
  Child<QPushButton>(form, "applyButton")->setEnabled(false);
  emit folders.itemActivated(folders.item(sub_line));

  const QString sub = QDir(StartFolder()).filePath("sub");
  EXPECT_EQ(Child<FileListBox>(form, "fileList")->Folder(), sub);
  EXPECT_EQ(QDir::currentPath(), StartFolder());
  EXPECT_EQ(Shown(), QStringList{"inner.htm"});
  EXPECT_TRUE(Child<QPushButton>(form, "applyButton")->isEnabled());
  EXPECT_EQ(folders.FolderAt(folders.currentRow()), sub);
  EXPECT_EQ(folders.FolderAt(0), Child<DriveComboBox>(form, "driveSelector")->DriveOf(sub));

  // The line above the current folder leads back up.
  emit folders.itemActivated(folders.item(folders.currentRow() - 1));
  EXPECT_EQ(Child<FileListBox>(form, "fileList")->Folder(), StartFolder());
}

TEST_F(FileListTest, ChoosingADriveGoesToTheFolderLastUsedOnIt) {
  MainWindow& form = ShowMainWindow();
  DriveComboBox& drives = *Child<DriveComboBox>(form, "driveSelector");
  ASSERT_EQ(drives.itemText(0), "/");
  const int here = drives.currentIndex();
  EXPECT_EQ(drives.itemText(here), drives.DriveOf(StartFolder()));

  emit drives.activated(here);
  EXPECT_EQ(Child<FileListBox>(form, "fileList")->Folder(), StartFolder());
}

TEST(FilePaths, JoinedByOneSeparatorEvenAtTheRoot) {
  EXPECT_EQ(JoinPath("/", "a.htm"), "/a.htm");
  EXPECT_EQ(JoinPath("/home/u", "a.htm"), "/home/u/a.htm");
}

}  // namespace
}  // namespace pelloran::testing
