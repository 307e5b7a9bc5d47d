#include "charfile/file_moves.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/fault_env.h"
#include "tests/support/temp_dir.h"

namespace pelloran {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::SmallTmpfs;
using testing::TempDir;
using testing::WriteFile;

using RenameFunction = std::error_code (*)(const std::string&, const std::string&);

// Every way of renaming without replacing must keep the same promise.
class NoReplaceRenameTest : public ::testing::TestWithParam<RenameFunction> {
 protected:
  std::error_code Rename(const std::string& from, const std::string& to) {
    return GetParam()(dir_ / from, dir_ / to);
  }
  TempDir dir_;
};

TEST_P(NoReplaceRenameTest, MovesToAFreeName) {
  WriteFile(dir_ / "страница.htm", "page");
  EXPECT_FALSE(Rename("страница.htm", "страница.htm~"));
  EXPECT_FALSE(FileExists(dir_ / "страница.htm"));
  EXPECT_EQ(ReadFile(dir_ / "страница.htm~"), "page");
}

TEST_P(NoReplaceRenameTest, NeverReplacesAnExistingFile) {
  WriteFile(dir_ / "a.htm", "new");
  WriteFile(dir_ / "a.htm~", "old backup");
  EXPECT_EQ(Rename("a.htm", "a.htm~"), std::errc::file_exists);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "new");
  EXPECT_EQ(ReadFile(dir_ / "a.htm~"), "old backup");
}

TEST_P(NoReplaceRenameTest, NeverReplacesAFolderOrALink) {
  WriteFile(dir_ / "a.htm", "new");
  std::filesystem::create_directory(dir_ / "folder");
  std::filesystem::create_symlink(dir_ / "nowhere", dir_ / "dangling");
  EXPECT_EQ(Rename("a.htm", "folder"), std::errc::file_exists);
  EXPECT_EQ(Rename("a.htm", "dangling"), std::errc::file_exists);
  EXPECT_EQ(ReadFile(dir_ / "a.htm"), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "dangling"));
}

TEST_P(NoReplaceRenameTest, AMissingSourceChangesNothing) {
  EXPECT_EQ(Rename("missing.htm", "missing.htm~"), std::errc::no_such_file_or_directory);
  EXPECT_FALSE(FileExists(dir_ / "missing.htm~"));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, NoReplaceRenameTest,
                         ::testing::Values(&RenameNoReplace, &RenameByLink, &RenameAfterLooking),
                         [](const ::testing::TestParamInfo<RenameFunction>& info) {
                           if (info.param == &RenameByLink) return std::string("ByLink");
                           if (info.param == &RenameAfterLooking)
                             return std::string("AfterLooking");
                           return std::string("WithTheFlag");
                         });

TEST(ReplaceByRenameTest, PutsTheNewFileInTheOldOnesPlace) {
  TempDir dir;
  WriteFile(dir / "PL!__a.htm", "cleaned");
  WriteFile(dir / "a.htm", "first pass");
  EXPECT_FALSE(ReplaceByRename(dir / "PL!__a.htm", dir / "a.htm"));
  EXPECT_EQ(ReadFile(dir / "a.htm"), "cleaned");
  EXPECT_FALSE(FileExists(dir / "PL!__a.htm"));
}

TEST(ReplaceByRenameTest, AFailureLeavesTheTargetAsItWas) {
  TempDir dir;
  WriteFile(dir / "a.htm", "first pass");
  EXPECT_EQ(ReplaceByRename(dir / "PL!__a.htm", dir / "a.htm"),
            std::errc::no_such_file_or_directory);
  EXPECT_EQ(ReadFile(dir / "a.htm"), "first pass");
}

TEST(FileMovesFaultTest, AReadOnlyFileSystemRefusesEveryChange) {
  SmallTmpfs disk("1m");
  ASSERT_TRUE(disk.mounted());
  WriteFile(disk / "a.htm", "page");
  WriteFile(disk / "PL!__a.htm", "cleaned");
  ASSERT_TRUE(disk.RemountReadOnly());
  EXPECT_EQ(RenameNoReplace(disk / "a.htm", disk / "a.htm~"), std::errc::read_only_file_system);
  EXPECT_EQ(ReplaceByRename(disk / "PL!__a.htm", disk / "a.htm"), std::errc::read_only_file_system);
  EXPECT_EQ(DeleteFile(disk / "a.htm"), std::errc::read_only_file_system);
  EXPECT_EQ(ReadFile(disk / "a.htm"), "page");
  EXPECT_EQ(ReadFile(disk / "PL!__a.htm"), "cleaned");
}

TEST(DeleteFileTest, DeletesFilesButNeverFolders) {
  TempDir dir;
  WriteFile(dir / "PL!__a.htm", "x");
  std::filesystem::create_directory(dir / "folder");
  EXPECT_FALSE(DeleteFile(dir / "PL!__a.htm"));
  EXPECT_FALSE(FileExists(dir / "PL!__a.htm"));
  EXPECT_EQ(DeleteFile(dir / "PL!__a.htm"), std::errc::no_such_file_or_directory);
  EXPECT_TRUE(DeleteFile(dir / "folder"));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "folder"));
}

TEST(FileMovesTest, BareNamesResolveInTheCurrentFolder) {
  TempDir dir;
  testing::ScopedCurrentDir here(dir.path());
  WriteFile(dir / "a.htm", "page");
  EXPECT_FALSE(RenameNoReplace("a.htm", "a.htm~"));
  EXPECT_EQ(ReadFile(dir / "a.htm~"), "page");
}

}  // namespace
}  // namespace pelloran
