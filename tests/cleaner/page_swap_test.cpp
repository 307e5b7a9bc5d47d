#include "cleaner/page_swap.h"

#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "cleaner/cleaned_mark.h"
#include "cleaner/page_lock.h"
#include "cleaner/page_messages.h"
#include "tests/support/fault_env.h"
#include "tests/support/temp_dir.h"

namespace pelloran {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::ScopedCurrentDir;
using testing::TempDir;
using testing::WriteFile;

bool SetImmutable(const std::string& path, bool on) {
  return testing::SetInodeFlag(path, FS_IMMUTABLE_FL, on);
}

const PageFiles kPageA{"", "a.htm"};

// The mark of the text "cleaned".
std::string print_text() {
  PageFingerprint print;
  print.Add(reinterpret_cast<const unsigned char*>("cleaned"), 7);
  return print.Text();
}

class PageSwapTest : public ::testing::Test {
 protected:
  TempDir dir_;
  ScopedCurrentDir here_{dir_.path()};
};

TEST_F(PageSwapTest, ThePageBecomesItsBackupAndTheWorkingCopyThePage) {
  WriteFile(dir_ / "a.htm", "original");
  WriteFile(dir_ / "PL!__a.htm", "cleaned");
  EXPECT_EQ(SwapInWorkingCopy(kPageA), std::nullopt);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "cleaned");
  EXPECT_EQ(ReadFile(dir_ / "a.htm~"), "original");
  EXPECT_FALSE(FileExists(dir_ / "PL!__a.htm"));
}

TEST_F(PageSwapTest, WithoutHardLinksTwoRenamesSwapAlikeAndKeepAnEarlierBackup) {
  WriteFile(dir_ / "a.htm", "original");
  WriteFile(dir_ / "PL!__a.htm", "cleaned");
  EXPECT_EQ(SwapByRenames(kPageA), std::nullopt);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "cleaned");
  EXPECT_EQ(ReadFile(dir_ / "a.htm~"), "original");
  EXPECT_FALSE(FileExists(dir_ / "PL!__a.htm"));

  WriteFile(dir_ / "PL!__a.htm", "cleaned again");
  const auto left = SwapByRenames(kPageA);
  ASSERT_TRUE(left.has_value());
  EXPECT_EQ(left->message, "Файл «a.htm» не изменён: резервная копия «a.htm~» уже существует.");
  EXPECT_TRUE(left->by_rule);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "cleaned");
  EXPECT_EQ(ReadFile(dir_ / "a.htm~"), "original");
  EXPECT_FALSE(FileExists(dir_ / "PL!__a.htm"));
}

TEST_F(PageSwapTest, APageThatCannotMoveIsLeftAloneWithTheReason) {
  WriteFile(dir_ / "a.htm", "original");
  WriteFile(dir_ / "PL!__a.htm", "cleaned");
  if (!SetImmutable(dir_ / "a.htm", true)) GTEST_SKIP() << "no immutable flag here";
  const auto message = SwapInWorkingCopy(kPageA);
  SetImmutable(dir_ / "a.htm", false);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->message,
            "Файл «a.htm» не изменён: не удалось переименовать его в «a.htm~» "
            "(нет доступа).");
  EXPECT_FALSE(message->by_rule);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "original");
  EXPECT_FALSE(FileExists(dir_ / "a.htm~"));
  EXPECT_FALSE(FileExists(dir_ / "PL!__a.htm"));
}

// The commit in each of its ways, against each point where it can fail: a
// backup already there, a killed run's backup, the page written while it
// was read. Whatever the way, a kept page has its backup, its bits, its
// extended attributes and the mark, and a dropped one is as it was.
TEST_F(PageSwapTest, EachWayKeepsOrDropsThePageWhole) {
  struct Way {
    const char* name;
    bool unnamed_files;
    bool hard_links;
  };
  enum class Fault { kNone, kBackupThere, kKilledSwapBackup, kPageRewritten };
  for (const Way way :
       {Way{"unnamed", true, true}, Way{"named", false, true}, Way{"renames", false, false}}) {
    for (const Fault fault :
         {Fault::kNone, Fault::kBackupThere, Fault::kKilledSwapBackup, Fault::kPageRewritten}) {
      // Only where hard links are can a killed run leave one.
      if (!way.hard_links && fault == Fault::kKilledSwapBackup) continue;
      SCOPED_TRACE(std::string(way.name) + " " + std::to_string(static_cast<int>(fault)));
      std::filesystem::remove_all(dir_.path());
      std::filesystem::create_directory(dir_.path());
      WriteFile(dir_ / "a.htm", "original");
      ::chmod((dir_ / "a.htm").c_str(), 0444);
      const bool kept_attribute =
          ::setxattr((dir_ / "a.htm").c_str(), "user.origin", "web", 3, 0) == 0;
      if (fault == Fault::kBackupThere) WriteFile(dir_ / "a.htm~", "older");
      if (fault == Fault::kKilledSwapBackup)
        ::link((dir_ / "a.htm").c_str(), (dir_ / "a.htm~").c_str());
      const PageFiles page{dir_.path().string(), "a.htm"};
      FolderWays ways = FolderWays::Learn(page.folder);
      ways.unnamed_files = way.unnamed_files;
      ways.hard_links = way.hard_links;
      std::optional<PageLeft> left;
      {
        const LockedPage original(page.Path(), LockedPage::Lock::kTake);
        PageCommit commit(page, original, ways);
        ASSERT_EQ(commit.MakeWorkingCopy(), std::nullopt);
        ASSERT_EQ(::write(commit.fd(), "cleaned", 7), 7);
        left = commit.TakeBackupName();
        if (fault == Fault::kPageRewritten) WriteFile(dir_ / "a.htm", "new text!");
        PageFingerprint print;
        print.Add(reinterpret_cast<const unsigned char*>("cleaned"), 7);
        if (!left) left = commit.Keep(print);
      }
      EXPECT_FALSE(FileExists(dir_ / "PL!__a.htm"));
      if (fault == Fault::kNone || fault == Fault::kKilledSwapBackup) {
        EXPECT_EQ(left, std::nullopt);
        EXPECT_EQ(ReadFile(dir_ / "a.htm"), "cleaned");
        EXPECT_EQ(ReadFile(dir_ / "a.htm~"), "original");
        struct stat st;
        ASSERT_EQ(::stat((dir_ / "a.htm").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0444u);
        char value[64] = {};
        if (kept_attribute) {
          EXPECT_EQ(::getxattr((dir_ / "a.htm").c_str(), "user.origin", value, sizeof value), 3);
        }
        const ssize_t marked =
            ::getxattr((dir_ / "a.htm").c_str(), kCleanedMarkName, value, sizeof value);
        if (kept_attribute)
          EXPECT_EQ(std::string(value, std::max<ssize_t>(marked, 0)), print_text());
        continue;
      }
      ASSERT_TRUE(left.has_value());
      if (fault == Fault::kBackupThere) {
        EXPECT_EQ(left->message, BackupExistsMessage("a.htm"));
        EXPECT_TRUE(left->by_rule);
        EXPECT_EQ(ReadFile(dir_ / "a.htm"), "original");
        EXPECT_EQ(ReadFile(dir_ / "a.htm~"), "older");
      } else {
        EXPECT_EQ(left->message, PageChangedMessage("a.htm"));
        EXPECT_FALSE(left->by_rule);
        EXPECT_EQ(ReadFile(dir_ / "a.htm"), "new text!");
        EXPECT_FALSE(FileExists(dir_ / "a.htm~"));
      }
    }
  }
}

// A run killed between the renames of a folder without hard links left the
// backup and a whole working copy, and no page: the page comes back.
TEST_F(PageSwapTest, AKillBetweenTheTwoRenamesIsUndone) {
  WriteFile(dir_ / "a.htm~", "original");
  WriteFile(dir_ / "PL!__a.htm", "cleaned");
  EXPECT_EQ(RestoreAfterKilledRenames(kPageA), Leftover::kRestored);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "original");
  EXPECT_FALSE(FileExists(dir_ / "a.htm~"));
  EXPECT_FALSE(FileExists(dir_ / "PL!__a.htm"));
  EXPECT_EQ(RestoreAfterKilledRenames(kPageA), Leftover::kNone);
}

}  // namespace
}  // namespace pelloran
