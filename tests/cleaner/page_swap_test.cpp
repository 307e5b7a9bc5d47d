#include "cleaner/page_swap.h"

#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <functional>

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

PageFingerprint PrintOf(std::string_view text) {
  PageFingerprint print;
  print.Add(reinterpret_cast<const unsigned char*>(text.data()), text.size());
  return print;
}

// Commits `text` for a.htm (in the current folder) the way `unnamed_files`
// and `hard_links` choose; `meanwhile` runs after the backup's name is taken.
std::optional<PageLeft> Commit(std::string_view text, bool unnamed_files, bool hard_links,
                               const std::function<void()>& meanwhile = {}) {
  FolderWays ways = FolderWays::Learn(kPageA.folder);
  ways.unnamed_files = unnamed_files;
  ways.hard_links = hard_links;
  const LockedPage original(kPageA.Path(), LockedPage::Lock::kTake);
  PageCommit commit(kPageA, original, ways);
  if (auto busy = commit.MakeWorkingCopy()) return busy;
  EXPECT_EQ(::write(commit.fd(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
  std::optional<PageLeft> left = commit.TakeBackupName();
  if (meanwhile) meanwhile();
  if (!left) left = commit.Keep(PrintOf(text));
  return left;
}

class PageSwapTest : public ::testing::Test {
 protected:
  TempDir dir_;
  ScopedCurrentDir here_{dir_.path()};
};

TEST_F(PageSwapTest, ThePageBecomesItsBackupAndTheWorkingCopyThePage) {
  WriteFile(dir_ / "a.htm", "original");
  EXPECT_EQ(Commit("cleaned", false, true), std::nullopt);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "cleaned");
  EXPECT_EQ(ReadFile(dir_ / "a.htm~"), "original");
  EXPECT_FALSE(FileExists(dir_ / "PL!__a.htm"));
}

TEST_F(PageSwapTest, WithoutHardLinksTwoRenamesSwapAlikeAndKeepAnEarlierBackup) {
  WriteFile(dir_ / "a.htm", "original");
  EXPECT_EQ(Commit("cleaned", false, false), std::nullopt);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "cleaned");
  EXPECT_EQ(ReadFile(dir_ / "a.htm~"), "original");
  EXPECT_FALSE(FileExists(dir_ / "PL!__a.htm"));

  const auto left = Commit("cleaned again", false, false);
  ASSERT_TRUE(left.has_value());
  EXPECT_EQ(left->message, "Файл «a.htm» не изменён: резервная копия «a.htm~» уже существует.");
  EXPECT_TRUE(left->by_rule);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "cleaned");
  EXPECT_EQ(ReadFile(dir_ / "a.htm~"), "original");
  EXPECT_FALSE(FileExists(dir_ / "PL!__a.htm"));
}

TEST_F(PageSwapTest, APageThatCannotMoveIsLeftAloneWithTheReason) {
  WriteFile(dir_ / "a.htm", "original");
  if (!SetImmutable(dir_ / "a.htm", true)) GTEST_SKIP() << "no immutable flag here";
  const auto message = Commit("cleaned", false, true);
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
  enum class Fault { kNone, kBackupThere, kKilledSwapBackup, kPageRewritten };
  struct Expected {
    Fault fault;
    const char* message;  // none: kept
    bool by_rule;
    const char* page;
    const char* backup;  // none: no backup
  };
  const std::string exists = BackupExistsMessage("a.htm"), changed = PageChangedMessage("a.htm");
  const Expected cases[] = {
      {Fault::kNone, nullptr, false, "cleaned", "original"},
      {Fault::kBackupThere, exists.c_str(), true, "original", "older"},
      {Fault::kKilledSwapBackup, nullptr, false, "cleaned", "original"},
      {Fault::kPageRewritten, changed.c_str(), false, "new text!", nullptr},
  };
  const std::string page = dir_ / "a.htm";
  const std::pair<bool, bool> ways[] = {{true, true}, {false, true}, {false, false}};
  for (const auto& [unnamed_files, hard_links] : ways) {
    for (const Expected& c : cases) {
      // Only where hard links are can a killed run leave one.
      if (!hard_links && c.fault == Fault::kKilledSwapBackup) continue;
      SCOPED_TRACE(::testing::Message()
                   << unnamed_files << hard_links << static_cast<int>(c.fault));
      for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
        std::filesystem::remove(entry);
      WriteFile(page, "original");
      ::chmod(page.c_str(), 0444);
      const bool kept_attribute = ::setxattr(page.c_str(), "user.origin", "web", 3, 0) == 0;
      if (c.fault == Fault::kBackupThere) WriteFile(dir_ / "a.htm~", "older");
      if (c.fault == Fault::kKilledSwapBackup) ::link(page.c_str(), (dir_ / "a.htm~").c_str());
      const auto left = Commit("cleaned", unnamed_files, hard_links, [&] {
        if (c.fault == Fault::kPageRewritten) WriteFile(page, "new text!");
      });
      EXPECT_FALSE(FileExists(dir_ / "PL!__a.htm"));
      EXPECT_EQ(ReadFile(page), c.page);
      if (c.backup != nullptr) EXPECT_EQ(ReadFile(dir_ / "a.htm~"), c.backup);
      if (c.backup == nullptr) EXPECT_FALSE(FileExists(dir_ / "a.htm~"));
      if (c.message != nullptr) {
        ASSERT_TRUE(left.has_value());
        EXPECT_EQ(left->message, c.message);
        EXPECT_EQ(left->by_rule, c.by_rule);
        continue;
      }
      EXPECT_EQ(left, std::nullopt);
      struct stat st;
      ASSERT_EQ(::stat(page.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, 0444u);
      if (!kept_attribute) continue;
      char value[64] = {};
      EXPECT_EQ(::getxattr(page.c_str(), "user.origin", value, sizeof value), 3);
      EXPECT_EQ(MarkText(page), PrintOf("cleaned").Text());
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
