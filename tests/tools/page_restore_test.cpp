#include "tools/page_restore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cleaner/cleaned_mark.h"
#include "cleaner/cleaned_record.h"
#include "tests/support/fault_env.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_cleaner.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;
using testing::FileExists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Every folder state a restore meets, run for real and as a dry run: the dry
// run foresees the outcome and changes nothing; the real one leaves either the
// backup's bytes under the page's name and no backup, or everything as it was.
TEST(PageRestoreTest, TheBackupTakesThePageNameOrNothingChanges) {
  struct Case {
    const char* name;
    bool page_file;    // "a.htm" holds "cleaned"
    bool page_folder;  // "a.htm" is a folder
    bool backup_file;  // "a.htm~" holds "original"
    bool backup_folder;
    bool one_file;  // "a.htm" is a second name of "a.htm~", as a stopped run leaves them
    RestoreOutcome outcome;
    const char* message;
    bool edited = false;  // the page is not what a clean made of it
  };
  const std::vector<Case> cases = {
      {"cleaned page and backup", true, false, true, false, false, RestoreOutcome::kRestored, ""},
      {"backup only", false, false, true, false, false, RestoreOutcome::kRestored, ""},
      {"no backup", true, false, false, false, false, RestoreOutcome::kNoBackup,
       "Файл «a.htm» не восстановлен: резервной копии «a.htm~» нет."},
      {"backup is a folder", true, false, false, true, false, RestoreOutcome::kFailed,
       "Файл «a.htm» не восстановлен из копии «a.htm~» (это папка)."},
      {"page and backup one file", false, false, true, false, true, RestoreOutcome::kRestored, ""},
      {"page is a folder", false, true, true, false, false, RestoreOutcome::kFailed,
       "Файл «a.htm» не восстановлен из копии «a.htm~» (это папка)."},
      {"page edited since its clean", true, false, true, false, false, RestoreOutcome::kChanged,
       "Файл «a.htm» не восстановлен: он не тот, что оставила очистка (изменён после неё, или "
       "копию «a.htm~» сделала не очистка).",
       true},
  };
  for (const Case& c : cases) {
    for (const bool dry_run : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (dry_run ? ", dry run" : ""));
      TempDir dir;
      fs::create_directory(dir / "site");
      const std::string page = dir / "site/a.htm";
      if (c.page_file) WriteFile(page, "cleaned");
      if (c.page_file && !c.edited) MarkCleaned(page);
      if (c.page_folder) fs::create_directory(page);
      if (c.backup_file) WriteFile(page + "~", "original");
      if (c.backup_folder) fs::create_directory(page + "~");
      if (c.one_file) fs::create_hard_link(page + "~", page);

      const RestoreResult result = RestorePage(page, dry_run);
      EXPECT_EQ(result.outcome, c.outcome);
      EXPECT_EQ(result.message, c.message);
      if (c.outcome == RestoreOutcome::kRestored && !dry_run) {
        EXPECT_EQ(ReadFile(page), "original");
        EXPECT_FALSE(FileExists(page + "~"));
      } else {
        EXPECT_EQ(c.page_file || c.one_file, fs::is_regular_file(page));
        if (c.page_file || c.one_file) {
          EXPECT_EQ(ReadFile(page), c.one_file ? "original" : "cleaned");
        }
        EXPECT_EQ(c.backup_file, fs::is_regular_file(page + "~"));
        if (c.backup_file) {
          EXPECT_EQ(ReadFile(page + "~"), "original");
        }
      }
    }
  }
}

TEST(PageRestoreTest, ABareNameIsRestoredInTheCurrentFolder) {
  TempDir dir;
  WriteFile(dir / "b c.htm", "cleaned");
  MarkCleaned(dir / "b c.htm");
  WriteFile(dir / "b c.htm~", "original");
  testing::ScopedCurrentDir here(dir.path());
  EXPECT_EQ(RestorePage("b c.htm").outcome, RestoreOutcome::kRestored);
  EXPECT_EQ(ReadFile(dir / "b c.htm"), "original");
}

// Where pages carry no mark (a ramfs, and a copy of its folder made
// elsewhere), the folder's record tells the page its clean made from one
// edited since; a page neither knows of, beside an editor's "~" file, is
// not guessed at. Only --force restores those two.
TEST(PageRestoreTest, WithoutMarksTheFolderRecordTellsAndNothingIsGuessed) {
  // A file system that keeps no extended attributes, so no page can carry its mark.
  const testing::MountedFolder ramfs("ramfs", "mode=0755");
  if (!ramfs.mounted()) GTEST_SKIP() << "no ramfs here (mounting needs root)";
  const std::string page = "<p class=a style=\"color:red\">text</p>";
  const std::string edit = "<p>my own edit</p>";
  const std::string stranger = "<p>a page never cleaned</p>";
  const std::string editors_backup = "<p>the editor's backup</p>";
  WriteFile(ramfs.path() / "same.htm", page);
  WriteFile(ramfs.path() / "edited.htm", page);
  testing::TestCleaner cleaner;  // both passes, as a run cleans
  for (const char* name : {"same.htm", "edited.htm"})
    ASSERT_EQ(cleaner.Clean(PageFiles::At(ramfs / name)).end, PageEnd::kCleaned) << name;
  ASSERT_FALSE(MarkText(ramfs.path() / "same.htm").has_value());
  TempDir copy;  // on a disk that keeps marks, but the copy has none
  fs::copy(ramfs.path(), copy.path());
  for (const fs::path& folder : {ramfs.path(), copy.path()}) {
    SCOPED_TRACE(folder);
    WriteFile(folder / "edited.htm", edit);
    WriteFile(folder / "stranger.htm", stranger);
    WriteFile(folder / "stranger.htm~", editors_backup);
    for (const bool dry_run : {true, false}) {
      EXPECT_EQ(RestorePage(folder / "same.htm", dry_run).outcome, RestoreOutcome::kRestored);
      const RestoreResult edited = RestorePage(folder / "edited.htm", dry_run);
      EXPECT_EQ(edited.outcome, RestoreOutcome::kChanged);
      EXPECT_NE(edited.message.find("изменён после неё"), std::string::npos);
      // Where marks are kept, a page without one and without a line in the
      // record was left by no clean; on the ramfs nothing can tell.
      const RestoreResult unknown = RestorePage(folder / "stranger.htm", dry_run);
      EXPECT_EQ(unknown.outcome, RestoreOutcome::kChanged);
      EXPECT_EQ(unknown.message,
                folder == copy.path()
                    ? "Файл «stranger.htm» не восстановлен: он не тот, что оставила очистка "
                      "(изменён после неё, или копию «stranger.htm~» сделала не очистка)."
                    : "Файл «stranger.htm» не восстановлен: не узнать, тот ли он, что оставила "
                      "очистка (отметки очистки на нём нет, в записи папки «.pelloran-cleaned» "
                      "его нет), и копия «stranger.htm~» затёрла бы его.");
    }
    EXPECT_EQ(ReadFile(folder / "same.htm"), page);
    EXPECT_EQ(ReadFile(folder / "edited.htm"), edit);
    EXPECT_EQ(ReadFile(folder / "edited.htm~"), page);
    EXPECT_EQ(ReadFile(folder / "stranger.htm"), stranger);
    EXPECT_EQ(ReadFile(folder / "stranger.htm~"), editors_backup);
    EXPECT_EQ(RestorePage(folder / "stranger.htm", false, /*force=*/true).outcome,
              RestoreOutcome::kRestored);
    EXPECT_EQ(ReadFile(folder / "stranger.htm"), editors_backup);
  }
}

// A page that kept its mark gets no line, so a folder on a disk with marks
// gets no file of ours. The record's lines: the last one of a name counts, a
// name with a line feed or a backslash reads back as written, a line cut
// short by a failed write is passed over, and a link planted under the
// record's name is not followed.
TEST(PageRestoreTest, TheFolderRecordReadsBackEveryNameAndFollowsNoLink) {
  TempDir marked;
  WriteFile(marked / "a.htm", "page");
  MarkCleaned(marked / "a.htm");
  RecordCleaned(marked / "a.htm");
  EXPECT_FALSE(FileExists(marked / kCleanedRecordName));

  // The records below are written by pages without a mark, as on a ramfs.
  TempDir dir;
  const std::vector<std::string> names = {"a.htm", "line\nfeed.htm", "back\\slash.htm"};
  for (const std::string& name : names) {
    WriteFile(dir / name, "first");
    RecordCleaned(dir / name);
    WriteFile(dir / name, "second " + name);
    RecordCleaned(dir / name);
  }
  std::ofstream(dir / kCleanedRecordName, std::ios::app) << "5 123 a.htm";  // no line end
  for (const std::string& name : names) {
    EXPECT_EQ(CheckRecorded(dir / name), CleanedState::kAsCleaned) << name;
    WriteFile(dir / name, "first");
    EXPECT_EQ(CheckRecorded(dir / name), CleanedState::kChanged) << name;
  }
  EXPECT_EQ(CheckRecorded(dir / "other.htm"), CleanedState::kUnknown);

  TempDir linked;
  const std::string outside = dir / "outside.txt";
  WriteFile(outside, "untouched");
  fs::create_symlink(outside, linked / kCleanedRecordName);
  WriteFile(linked / "a.htm", "page");
  RecordCleaned(linked / "a.htm");
  EXPECT_EQ(ReadFile(outside), "untouched");
  EXPECT_EQ(CheckRecorded(linked / "a.htm"), CleanedState::kUnknown);
}

}  // namespace
}  // namespace pelloran
