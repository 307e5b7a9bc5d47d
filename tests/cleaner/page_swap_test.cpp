#include "cleaner/page_swap.h"

#include <gtest/gtest.h>
#include <linux/fs.h>
#include <unistd.h>

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

}  // namespace
}  // namespace pelloran
