#include "tools/file_list_ops.h"

#include <gtest/gtest.h>

#include <string>

#include "charfile/in_out_error.h"
#include "tests/support/folder_file_list.h"
#include "tests/support/recording_shell.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran {
namespace {

using testing::FileExists;
using testing::FolderFileList;
using testing::ReadFile;
using testing::RecordingShell;
using testing::ScopedCurrentDir;
using testing::TempDir;
using testing::TestMessages;
using testing::WriteFile;

// A folder with `count` pages p00.htm, p01.htm, ... and a list over it, with
// another folder current: the operations go by the listed folder's paths.
class FileListOpsTest : public ::testing::Test {
 protected:
  void MakePages(int count) {
    for (int i = 0; i < count; ++i) {
      WriteFile(dir_ / PageName(i), "page " + std::to_string(i));
    }
  }
  static std::string PageName(int i) { return (i < 10 ? "p0" : "p") + std::to_string(i) + ".htm"; }
  FolderFileList& List() {
    if (!list_) list_.emplace(dir_.path());
    return *list_;
  }
  void SelectAndFocus(std::initializer_list<int> positions) {
    for (int i : positions) List().Select(i);
  }

  TempDir dir_;
  TempDir elsewhere_;
  ScopedCurrentDir in_elsewhere_{elsewhere_.path()};
  TestMessages messages_;
  RecordingShell shell_;
  NoTrash trash_;
  std::optional<FolderFileList> list_;
};

TEST(StatusTexts, PathAndSizeTexts) {
  EXPECT_EQ(PathText("/home/web/a.htm"), "/home/web/a.htm");
  EXPECT_EQ(PathText("/a.htm"), "//a.htm");  // the root keeps its separator
  EXPECT_EQ(PathText(""), "/");
  EXPECT_EQ(PathText("/web/notes:a.htm"), "/web/notes:a.htm");
  EXPECT_EQ(SizeText(1234), "  1234   байт");
  EXPECT_EQ(SizeText(0), "  0   байт");
}

TEST(StatusTexts, NameWithoutTildes) {
  EXPECT_EQ(NameWithoutTildes("page.htm~"), "page.htm");
  EXPECT_EQ(NameWithoutTildes("a~b~.htm"), "ab.htm");
  EXPECT_EQ(NameWithoutTildes("plain.htm"), "plain.htm");
}

TEST_F(FileListOpsTest, StatusReportOfAFile) {
  WriteFile(dir_ / "a.htm", std::string(1234, 'x'));
  const StatusReport report = ReadStatusReport(dir_ / "a.htm");
  EXPECT_EQ(report.path_text, dir_.path().string() + "/a.htm");
  EXPECT_EQ(report.size_text, "  1234   байт");
}

TEST_F(FileListOpsTest, StatusReportWithoutCurrentFile) {
  const StatusReport report = ReadStatusReport("");
  EXPECT_EQ(report.path_text, "/");
  EXPECT_EQ(report.size_text, "  0   байт");
}

TEST_F(FileListOpsTest, StatusReportOfAFileThatCannotBeOpened) {
  try {
    ReadStatusReport(dir_ / "gone.htm");
    FAIL() << "no failure";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.code(), kFileNotFound);
  }
  std::filesystem::create_directory(dir_ / "sub.htm");
  try {
    ReadStatusReport(dir_ / "sub.htm");
    FAIL() << "no failure";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.code(), kFileAccessDenied);
  }
}

TEST(Reselection, AfterDeleteAndAfterTildeRemoval) {
  // 9 entries or fewer: deleting re-selects nothing, "~" removal still does.
  EXPECT_EQ(ReselectionAfterDelete(2, 9).select, -1);
  EXPECT_EQ(ReselectionAfterDelete(2, 9).focus, -1);
  EXPECT_EQ(ReselectionAfterTildeRemoval(2, 9).select, 2);
  EXPECT_EQ(ReselectionAfterTildeRemoval(2, 9).focus, -1);  // 9 is no position of 9 entries
  EXPECT_EQ(ReselectionAfterTildeRemoval(1, 9).focus, 8);
  // Positions that no longer exist are left alone.
  EXPECT_EQ(ReselectionAfterDelete(11, 11).select, -1);
  EXPECT_EQ(ReselectionAfterDelete(11, 11).focus, -1);
  EXPECT_EQ(ReselectionAfterDelete(5, 19).select, 5);
  EXPECT_EQ(ReselectionAfterDelete(5, 19).focus, 12);
}

TEST_F(FileListOpsTest, DeleteTheThreeLastOfTwelveSelectsNothing) {
  MakePages(12);
  SelectAndFocus({9, 10, 11});
  DeleteSelectedFiles(List(), messages_, trash_);
  EXPECT_EQ(List().Count(), 9);
  EXPECT_TRUE(List().SelectedPositions().empty());
  for (int i = 9; i < 12; ++i) EXPECT_FALSE(FileExists(dir_ / PageName(i)));
  EXPECT_TRUE(FileExists(dir_ / PageName(8)));
  EXPECT_TRUE(messages_.information.empty());
}

// A trash that takes nothing, as on a disk where none can be made.
class FullTrash : public Trash {
 public:
  std::error_code Discard(const std::string&) override {
    return std::make_error_code(std::errc::no_space_on_device);
  }
};

TEST_F(FileListOpsTest, AFileTheTrashRefusesGoesForGoodOnlyWhenTheUserSaysSo) {
  MakePages(3);
  FullTrash full;
  for (const bool yes : {false, true}) {
    SelectAndFocus({1});
    messages_.confirm_answer = yes;
    messages_.questions.clear();
    DeleteSelectedFiles(List(), messages_, full);
    EXPECT_EQ(
        messages_.questions,
        std::vector<std::string>{"Файл «" + PageName(1) +
                                 "» не удалось переместить в корзину. Удалить его навсегда?"});
    EXPECT_EQ(FileExists(dir_ / PageName(1)), !yes);
  }
  EXPECT_TRUE(messages_.errors.empty());
}

TEST_F(FileListOpsTest, DeleteTheLastOfTwelveSelectsNothing) {
  MakePages(12);
  SelectAndFocus({11});
  DeleteSelectedFiles(List(), messages_, trash_);
  EXPECT_EQ(List().Count(), 11);
  EXPECT_TRUE(List().SelectedPositions().empty());
}

TEST_F(FileListOpsTest, DeleteInALongListSelectsTheEntryNowAtThatPosition) {
  MakePages(20);
  SelectAndFocus({5});
  const int before = List().notifications;
  DeleteSelectedFiles(List(), messages_, trash_);
  EXPECT_FALSE(FileExists(dir_ / PageName(5)));
  EXPECT_EQ(List().Count(), 19);
  EXPECT_EQ(List().SelectedPositions(), std::vector<int>{5});
  EXPECT_EQ(List().Entry(5), PageName(6));
  EXPECT_EQ(List().FocusedIndex(), 12);
  // One notification for focusing the entry, one for the re-read.
  EXPECT_EQ(List().notifications, before + 2);
}

TEST_F(FileListOpsTest, EntriesButNoSelectionChangeNoFile) {
  MakePages(11);
  WriteFile(dir_ / "z.htm~", "backup");
  List().MoveFocusQuietly(3);
  DeleteSelectedFiles(List(), messages_, trash_);
  EXPECT_EQ(List().Count(), 12);
  EXPECT_TRUE(messages_.information.empty());
  // Re-read and re-selected around the focus the list had.
  EXPECT_EQ(List().SelectedPositions(), std::vector<int>{3});
  EXPECT_EQ(List().FocusedIndex(), 10);

  List().Deselect(3);
  RemoveTildesFromSelected(List(), messages_);
  EXPECT_TRUE(FileExists(dir_ / "z.htm~"));
  EXPECT_FALSE(FileExists(dir_ / "z.htm"));
  EXPECT_EQ(List().Count(), 12);
  EXPECT_EQ(List().SelectedPositions(), std::vector<int>{10});
  EXPECT_TRUE(messages_.information.empty());
}

TEST_F(FileListOpsTest, EmptyListOnlyGetsTheMessage) {
  DeleteSelectedFiles(List(), messages_, trash_);
  RemoveTildesFromSelected(List(), messages_);
  EXPECT_EQ(messages_.information, (std::vector<std::string>(2, std::string(kNoFileChosen))));
}

TEST_F(FileListOpsTest, FolderEntriesAreNeverDeletedOrRenamed) {
  std::filesystem::create_directory(dir_ / "old~");
  WriteFile(dir_ / "old~/inside.htm", "x");
  WriteFile(dir_ / "a.htm", "a");
  List().Select(List().IndexOf("[old~]"));
  List().Select(List().IndexOf("a.htm"));
  RemoveTildesFromSelected(List(), messages_);
  EXPECT_TRUE(FileExists(dir_ / "old~/inside.htm"));
  EXPECT_FALSE(FileExists(dir_ / "old"));
  List().Select(List().IndexOf("[old~]"));
  List().Select(List().IndexOf("a.htm"));
  DeleteSelectedFiles(List(), messages_, trash_);
  EXPECT_TRUE(FileExists(dir_ / "old~/inside.htm"));
  EXPECT_FALSE(FileExists(dir_ / "a.htm"));
}

TEST_F(FileListOpsTest, AColonIsPartOfTheName) {
  WriteFile(dir_ / "a.htm", "keep");
  WriteFile(dir_ / "notes:a.htm", "drop");
  List().Select(List().IndexOf("notes:a.htm"));
  DeleteSelectedFiles(List(), messages_, trash_);
  EXPECT_FALSE(FileExists(dir_ / "notes:a.htm"));
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "keep");
}

TEST_F(FileListOpsTest, ASelectedFileAlreadyGoneEndsTheOperation) {
  MakePages(4);
  SelectAndFocus({1, 2, 3});
  std::filesystem::remove(dir_ / PageName(2));
  const int before = List().Count();
  try {
    DeleteSelectedFiles(List(), messages_, trash_);
    FAIL() << "no failure";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.code(), kFileNotFound);
  }
  EXPECT_FALSE(FileExists(dir_ / PageName(1)));  // done before stays done
  EXPECT_TRUE(FileExists(dir_ / PageName(3)));
  EXPECT_EQ(List().Count(), before);  // not read again
}

TEST_F(FileListOpsTest, TildeRemovalGivesTheNameBackWhenFree) {
  WriteFile(dir_ / "page.htm~", "old page");
  WriteFile(dir_ / "a~b~.htm", "ab");
  List().Select(List().IndexOf("page.htm~"));
  List().Select(List().IndexOf("a~b~.htm"));
  RemoveTildesFromSelected(List(), messages_);
  EXPECT_EQ(ReadFile(dir_ / "page.htm"), "old page");
  EXPECT_EQ(ReadFile(dir_ / "ab.htm"), "ab");
  EXPECT_FALSE(FileExists(dir_ / "page.htm~"));
  EXPECT_FALSE(FileExists(dir_ / "a~b~.htm"));
}

TEST_F(FileListOpsTest, TildeRemovalNeverReplacesTheCleanedPage) {
  WriteFile(dir_ / "page.htm", "cleaned");
  WriteFile(dir_ / "page.htm~", "old page");
  List().Select(List().IndexOf("page.htm~"));
  RemoveTildesFromSelected(List(), messages_);
  EXPECT_EQ(ReadFile(dir_ / "page.htm"), "cleaned");
  EXPECT_EQ(ReadFile(dir_ / "page.htm~"), "old page");
  EXPECT_TRUE(messages_.information.empty());
}

TEST_F(FileListOpsTest, TildeRemovalOverAnExistingNameSaysSoAndGoesOn) {
  WriteFile(dir_ / "a.htm", "cleaned");
  WriteFile(dir_ / "a.htm~", "old a");
  WriteFile(dir_ / "b.htm~", "old b");
  List().Select(List().IndexOf("a.htm~"));
  List().Select(List().IndexOf("b.htm~"));
  RemoveTildesFromSelected(List(), messages_);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "cleaned");
  EXPECT_EQ(ReadFile(dir_ / "a.htm~"), "old a");
  EXPECT_EQ(ReadFile(dir_ / "b.htm"), "old b");
  EXPECT_EQ(messages_.errors,
            std::vector<std::string>{"Файл «a.htm~» не переименован в «a.htm»: файл «a.htm» уже "
                                     "существует."});
}

TEST_F(FileListOpsTest, DeletedFilesGoToTheTrash) {
  struct RecordingTrash : Trash {
    std::error_code Discard(const std::string& path) override {
      taken.push_back(path);
      return {};
    }
    std::vector<std::string> taken;
  } trash;
  MakePages(3);
  SelectAndFocus({0, 2});
  DeleteSelectedFiles(List(), messages_, trash);
  EXPECT_EQ(trash.taken, (std::vector<std::string>{dir_ / "p00.htm", dir_ / "p02.htm"}));
  EXPECT_TRUE(FileExists(dir_ / "p00.htm"));  // the trash decides what becomes of them
}

TEST_F(FileListOpsTest, TildeRemovalReselectsEvenInAShortList) {
  MakePages(3);
  WriteFile(dir_ / "p01.htm~", "x");  // sorts right after p01.htm
  List().Select(List().IndexOf("p01.htm~"));
  RemoveTildesFromSelected(List(), messages_);
  EXPECT_TRUE(FileExists(dir_ / "p01.htm~"));  // p01.htm was taken
  EXPECT_EQ(List().SelectedPositions(), std::vector<int>{2});
}

TEST_F(FileListOpsTest, OpenHandsTheCurrentPathOver) {
  WriteFile(dir_ / "my page 'x'.htm", "x");
  List().Select(0);
  List().Focus(0);
  OpenCurrentFile(List(), shell_);
  OpenCurrentFileInEditor(List(), shell_, messages_);
  ASSERT_EQ(shell_.requests.size(), 2u);
  const std::string path = dir_ / "my page 'x'.htm";
  EXPECT_EQ(shell_.requests[0].routine, "ShellOpenDocument");
  EXPECT_EQ(shell_.requests[0].verb_or_program, "open");
  EXPECT_EQ(shell_.requests[0].path_or_parameters, path);
  EXPECT_EQ(shell_.requests[1].routine, "LaunchProgram");
  EXPECT_EQ(shell_.requests[1].verb_or_program, kTextEditorProgram);
  EXPECT_EQ(shell_.requests[1].path_or_parameters, path);  // unquoted, whole
  EXPECT_EQ(shell_.requests[1].folder, "");                // the home folder
  EXPECT_EQ(shell_.requests[1].show, ShowMode::kNormal);
}

TEST_F(FileListOpsTest, WithoutCurrentFileAnEmptyPathIsHandedOver) {
  WriteFile(dir_ / "a.htm", "x");
  List().Focus(0);  // focused, not selected
  OpenCurrentFile(List(), shell_);
  OpenCurrentFileInEditor(List(), shell_, messages_);
  ASSERT_EQ(shell_.requests.size(), 2u);
  EXPECT_EQ(shell_.requests[0].path_or_parameters, "");
  EXPECT_EQ(shell_.requests[1].path_or_parameters, "");
}

TEST_F(FileListOpsTest, ALongPathIsHandedOverWhole) {
  const std::string name = std::string(150, 'n') + ".htm";
  WriteFile(dir_ / name, "x");
  List().Select(0);
  List().Focus(0);
  OpenCurrentFileInEditor(List(), shell_, messages_);
  ASSERT_EQ(shell_.requests.size(), 1u);
  EXPECT_EQ(shell_.requests[0].path_or_parameters, dir_ / name);
}

}  // namespace
}  // namespace pelloran
