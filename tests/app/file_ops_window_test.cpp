// The main window's file operations and the advert window's "удалить",
// driven through the real windows on real files.

#include <QLabel>
#include <QLineEdit>

#include "tests/app/gui_test_support.h"
#include "tests/support/recording_shell.h"
#include "tools/advert_removal.h"
#include "tools/file_list_ops.h"
#include "tools/freedesktop_trash.h"

namespace pelloran::testing {
namespace {

class FileOpsWindowTest : public ProgramTest {
 protected:
  void MakeStartFolder() override {
    WriteFile(start / "a.htm", std::string(1234, 'a'));
    WriteFile(start / "b page.htm", "b");
    WriteFile(start / "c.htm~", "old c");
    std::filesystem::create_directory(start.path() / "d~.htm");
  }

  MainWindow& Show() {
    MainWindow& form = ShowMainWindow();
    form.UseShell(shell);
    return form;
  }
  FileListBox& list() const { return *Child<FileListBox>(windows->main_window, "fileList"); }
  void ClickEntry(const std::string& entry, Qt::KeyboardModifiers modifiers = {}) {
    const int index = IndexOf(entry);
    ASSERT_GE(index, 0) << entry;
    const QRect place = list().visualItemRect(list().item(index));
    QTest::mouseClick(list().viewport(), Qt::LeftButton, modifiers, place.center());
  }
  int IndexOf(const std::string& entry) const {
    for (int i = 0; i < list().Count(); ++i) {
      if (list().Entry(i) == entry) return i;
    }
    return -1;
  }
  QLabel* Panel(const char* name) const {
    return Child<QStatusBar>(windows->main_window, "statusBar")
        ->findChild<QLabel*>(QString::fromLatin1(name));
  }

  RecordingShell shell;
};

TEST_F(FileOpsWindowTest, StatusBarPanelsComeAtTheFirstClick) {
  MainWindow& form = Show();
  EXPECT_EQ(Panel("pathPanel"), nullptr);
  Child<QPushButton>(form, "applyButton")->setEnabled(false);
  ClickEntry("a.htm");
  QLabel* path = Panel("pathPanel");
  QLabel* size = Panel("sizePanel");
  ASSERT_NE(path, nullptr);
  ASSERT_NE(size, nullptr);
  EXPECT_EQ(path->text().toStdString(), start / "a.htm");
  EXPECT_EQ(size->text(), QStringLiteral("  1234   байт"));
  EXPECT_EQ(size->width(), 100);
  EXPECT_EQ(path->width(), form.frameGeometry().width() - 100);
  EXPECT_TRUE(Child<QPushButton>(form, "applyButton")->isEnabled());

  ClickEntry("a.htm", Qt::ControlModifier);  // deselected: no current file
  EXPECT_EQ(path->text(), QStringLiteral("/"));
  EXPECT_EQ(size->text(), QStringLiteral("  0   байт"));
}

TEST_F(FileOpsWindowTest, AClickOnAVanishedFileReportsItAndKeepsThePanels) {
  MainWindow& form = Show();
  ClickEntry("a.htm");
  std::filesystem::remove(start.path() / "b page.htm");
  ClickEntry("b page.htm");
  EXPECT_EQ(messages.errors, std::vector<std::string>{"File not found."});
  EXPECT_EQ(Panel("pathPanel")->text().toStdString(), start / "a.htm");
  EXPECT_EQ(Child<FileListBox>(form, "fileList")->Count(), 4);
}

TEST_F(FileOpsWindowTest, DeleteByButtonAndByMenuLeavesFoldersAlone) {
  MainWindow& form = Show();
  ClickEntry("a.htm");
  list().Select(IndexOf("[d~.htm]"));
  Child<QToolButton>(form, "deleteFilesButton")->click();
  EXPECT_FALSE(FileExists(start / "a.htm"));
  EXPECT_TRUE(std::filesystem::is_directory(start.path() / "d~.htm"));
  EXPECT_EQ(IndexOf("a.htm"), -1);
  // The status bar keeps the file of the last click.
  EXPECT_EQ(Panel("pathPanel")->text().toStdString(), start / "a.htm");

  ClickEntry("b page.htm");
  Child<QAction>(form, "deleteFileAction")->trigger();
  EXPECT_FALSE(FileExists(start / "b page.htm"));
  EXPECT_TRUE(messages.errors.empty());
}

// Deleting keeps a way back: the file and a note of where it came from go to
// the desktop's trash, as does the script file of a removed advert.
TEST_F(FileOpsWindowTest, DeletedFilesLandInTheDesktopTrash) {
  MainWindow& form = Show();
  ClickEntry("b page.htm");
  Child<QToolButton>(form, "deleteFilesButton")->click();
  EXPECT_FALSE(FileExists(start / "b page.htm"));
  const std::filesystem::path trash = desktop_home.path() / ".local/share/Trash";
  EXPECT_EQ(ReadFile(trash / "files/b page.htm"), "b");
  const std::string note = ReadFile(trash / "info/b page.htm.trashinfo");
  EXPECT_NE(note.find("Path=" + start.path().string() + "/b"), std::string::npos) << note;
}

// A fresh account has no ~/.local/share: the trash is made there. Where it
// cannot be made, nothing lands beside the page and the user is asked first.
TEST_F(FileOpsWindowTest, TrashUnderAnEmptyHomeIsMadeOrTheUserIsAsked) {
  qunsetenv("XDG_DATA_HOME");
  std::filesystem::remove_all(desktop_home.path() / ".local");
  MainWindow& form = Show();
  ClickEntry("b page.htm");
  Child<QToolButton>(form, "deleteFilesButton")->click();
  const std::filesystem::path trash = desktop_home.path() / ".local/share/Trash";
  EXPECT_EQ(ReadFile(trash / "files/b page.htm"), "b");
  const std::string note = ReadFile(trash / "info/b page.htm.trashinfo");
  EXPECT_NE(note.find("\nPath=" + TrashInfoPath((start / "b page.htm")) + "\n"), std::string::npos)
      << note;
  EXPECT_NE(note.find("/b%20page.htm\n"), std::string::npos) << note;
  EXPECT_TRUE(messages.questions.empty());

  std::filesystem::remove_all(desktop_home.path() / ".local");
  WriteFile(desktop_home / ".local", "");  // no folder can be made under it
  messages.confirm_answer = false;
  ClickEntry("a.htm");
  Child<QToolButton>(form, "deleteFilesButton")->click();
  EXPECT_EQ(messages.questions.size(), 1u);
  EXPECT_TRUE(FileExists(start / "a.htm"));
  EXPECT_FALSE(std::filesystem::exists(start.path() / "files"));
  EXPECT_FALSE(std::filesystem::exists(start.path() / "info"));
}

TEST_F(FileOpsWindowTest, TildeRemovalByButtonAndByMenu) {
  MainWindow& form = Show();
  ClickEntry("c.htm~");
  const int position = IndexOf("c.htm~");
  list().Select(IndexOf("[d~.htm]"));
  Child<QAction>(form, "removeTildeAction")->trigger();
  EXPECT_EQ(ReadFile(start / "c.htm"), "old c");
  EXPECT_TRUE(std::filesystem::is_directory(start.path() / "d~.htm"));
  EXPECT_FALSE(FileExists(start / "d.htm"));
  // Re-read and re-selected at the same position, whatever the list's length.
  EXPECT_EQ(list().Entry(position), "c.htm");
  EXPECT_TRUE(list().IsSelected(position));
  EXPECT_EQ(list().selectedItems().size(), 1);

  WriteFile(start / "c.htm~", "older");
  Child<QToolButton>(form, "refreshButton")->click();
  ClickEntry("c.htm~");
  Child<QToolButton>(form, "removeTildeButton")->click();
  EXPECT_EQ(ReadFile(start / "c.htm"), "old c");
  EXPECT_EQ(ReadFile(start / "c.htm~"), "older");
}

TEST_F(FileOpsWindowTest, EmptyListGetsTheMessage) {
  MainWindow& form = Show();
  for (const char* name : {"a.htm", "b page.htm", "c.htm~"}) std::filesystem::remove(start / name);
  std::filesystem::remove(start.path() / "d~.htm");
  Child<QToolButton>(form, "refreshButton")->click();
  ASSERT_EQ(list().Count(), 0);
  Child<QToolButton>(form, "deleteFilesButton")->click();
  Child<QToolButton>(form, "removeTildeButton")->click();
  EXPECT_EQ(messages.information, std::vector<std::string>(2, std::string(kNoFileChosen)));
}

TEST_F(FileOpsWindowTest, OpeningHandsThePathToTheShell) {
  MainWindow& form = Show();
  ClickEntry("b page.htm");
  const QRect place = list().visualItemRect(list().item(IndexOf("b page.htm")));
  QTest::mouseDClick(list().viewport(), Qt::LeftButton, {}, place.center());
  Child<QAction>(form, "openAction")->trigger();
  Child<QToolButton>(form, "openInEditorButton")->click();
  Child<QAction>(form, "openInEditorAction")->trigger();
  ASSERT_EQ(shell.requests.size(), 4u);
  const std::string path = start / "b page.htm";
  for (int i : {0, 1}) {
    EXPECT_EQ(shell.requests[i].routine, "ShellOpenDocument");
    EXPECT_EQ(shell.requests[i].verb_or_program, "open");
    EXPECT_EQ(shell.requests[i].path_or_parameters, path);
  }
  for (int i : {2, 3}) {
    EXPECT_EQ(shell.requests[i].routine, "LaunchProgram");
    EXPECT_EQ(shell.requests[i].verb_or_program, kTextEditorProgram);
    EXPECT_EQ(shell.requests[i].path_or_parameters, path);
    EXPECT_EQ(shell.requests[i].folder, "");
  }
  EXPECT_TRUE(messages.errors.empty());
  shell.programs_start = false;  // no editor on this desktop: the user is told
  Child<QAction>(form, "openInEditorAction")->trigger();
  EXPECT_EQ(messages.errors, std::vector<std::string>{kNoTextEditor});
}

TEST_F(FileOpsWindowTest, AdvertWindowRemovesTheBlockFromTheSelectedPages) {
  const std::string page = "A<" + std::string(kDefaultAdvertStartText) +
                           "><script src=\"ad.js\"></script><" +
                           std::string(kDefaultAdvertEndText) + ">C";
  WriteFile(start / "a.htm", page);
  WriteFile(start / "ad.js", "ad");
  MainWindow& form = Show();
  ClickEntry("a.htm");
  Child<QToolButton>(form, "advertButton")->click();
  AdvertWindow& advert = windows->advert_window;
  EXPECT_EQ(Child<QLineEdit>(advert, "startTextEdit")->text().toStdString(),
            kDefaultAdvertStartText);
  EXPECT_EQ(Child<QLineEdit>(advert, "endTextEdit")->text().toStdString(), kDefaultAdvertEndText);
  Child<QPushButton>(advert, "removeAdvertButton")->click();
  EXPECT_EQ(ReadFile(start / "a.htm"), "AC");
  EXPECT_EQ(ReadFile(start / "a.htm~"), page);
  EXPECT_FALSE(FileExists(start / "ad.js"));
  EXPECT_EQ(ReadFile(desktop_home.path() / ".local/share/Trash/files/ad.js"), "ad");
  EXPECT_EQ(messages.information, std::vector<std::string>{std::string(kAdvertRemoved)});

  // The texts are read as they stand when the button is pressed.
  Child<QLineEdit>(advert, "startTextEdit")->setText(QStringLiteral("!-- other"));
  Child<QPushButton>(advert, "removeAdvertButton")->click();
  EXPECT_EQ(messages.errors, std::vector<std::string>{std::string(kAdvertInputError)});
  EXPECT_TRUE(advert.isVisible());
}

TEST_F(FileOpsWindowTest, AdvertWindowFileFailureReachesTheFailureHandler) {
  MainWindow& form = Show();
  ClickEntry("a.htm");
  std::filesystem::remove(start / "a.htm");
  Child<QToolButton>(form, "advertButton")->click();
  Child<QPushButton>(windows->advert_window, "removeAdvertButton")->click();
  EXPECT_EQ(messages.errors, std::vector<std::string>{"File not found."});
  EXPECT_FALSE(form.clean_context().input.is_open());
}

}  // namespace
}  // namespace pelloran::testing
