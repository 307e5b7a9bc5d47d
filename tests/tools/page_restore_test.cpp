#include "tools/page_restore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cleaner/cleaned_mark.h"
#include "tests/support/temp_dir.h"

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

}  // namespace
}  // namespace pelloran
