#include "tools/advert_removal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>
#include <string>

#include "charfile/in_out_error.h"
#include "tests/support/fault_env.h"
#include "tests/support/folder_file_list.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran {
namespace {

using testing::FileExists;
using testing::FolderFileList;
using testing::ReadFile;
using testing::ScopedCurrentDir;
using testing::SmallTmpfs;
using testing::TempDir;
using testing::TestGauge;
using testing::TestLinkCheck;
using testing::TestMessages;
using testing::TestOptions;
using testing::WriteFile;

const std::string kStart = "<" + std::string(kDefaultAdvertStartText) + ">";
const std::string kEnd = "<" + std::string(kDefaultAdvertEndText) + ">";

// An advert block whose script is named by `src_attribute`.
std::string Block(const std::string& src_attribute) {
  return kStart + "\r\n<div>ad</div><script " + src_attribute + "></script>\r\n" + kEnd;
}

class AdvertRemovalTest : public ::testing::Test {
 protected:
  void Page(const std::string& name, const std::string& text) { WriteFile(Path(name), text); }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  std::string Read(const std::string& name) const { return ReadFile(Path(name)); }
  bool Exists(const std::string& name) const { return FileExists(Path(name)); }

  // Selects the named entries and runs the removal over the folder's list.
  void Run(std::initializer_list<std::string> selected) {
    list_.emplace(folder_);
    for (const auto& name : selected) {
      const int index = list_->IndexOf(name);
      ASSERT_GE(index, 0) << name;
      list_->Select(index);
    }
    RemoveAdverts(context_, *list_, messages_, texts_, trash_);
  }

  // No "PL!__" file anywhere in the folder.
  bool NoWorkingCopyLeft() const {
    for (const auto& item : std::filesystem::directory_iterator(folder_)) {
      if (item.path().filename().string().rfind("PL!__", 0) == 0) return false;
    }
    return true;
  }

  TempDir dir_;
  std::filesystem::path folder_ = dir_.path();
  std::optional<ScopedCurrentDir> in_folder_{std::in_place, folder_};
  TestOptions options_;
  TestGauge gauge_;
  TestLinkCheck link_check_;
  CleanContext context_{options_, gauge_, link_check_};
  TestMessages messages_;
  NoTrash trash_;
  AdvertTexts texts_;
  std::optional<FolderFileList> list_;
};

TEST_F(AdvertRemovalTest, RemovesTheBlockAndItsScript) {
  const std::string original = "A" + Block("src=\"js/c.js\"") + "C\r\n";
  Page("a.htm", original);
  std::filesystem::create_directory(folder_ / "js");
  Page("js/c.js", "advert();");
  Run({"a.htm"});
  EXPECT_EQ(Read("a.htm"), "AC\r\n");
  EXPECT_EQ(Read("a.htm~"), original);
  EXPECT_FALSE(Exists("js/c.js"));
  EXPECT_TRUE(NoWorkingCopyLeft());
  EXPECT_TRUE(messages_.errors.empty());
  EXPECT_EQ(messages_.information, std::vector<std::string>{std::string(kAdvertRemoved)});
}

TEST_F(AdvertRemovalTest, ScriptNamedWithBackslashesInsideTheFolderIsDeleted) {
  Page("a.htm", "A" + Block("SRC='js\\c.js'") + "C");
  std::filesystem::create_directory(folder_ / "js");
  Page("js/c.js", "advert();");
  Run({"a.htm"});
  EXPECT_EQ(Read("a.htm"), "AC");
  EXPECT_FALSE(Exists("js/c.js"));
}

TEST_F(AdvertRemovalTest, MarkersInAnotherLetterCaseGiveTheInputError) {
  std::string upper = Block("src=\"c.js\"");
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string original = "A" + upper + "C";
  Page("a.htm", original);
  Page("c.js", "x");
  Run({"a.htm"});
  EXPECT_EQ(messages_.errors, std::vector<std::string>{std::string(kAdvertInputError)});
  EXPECT_TRUE(messages_.information.empty());  // no final message
  EXPECT_EQ(Read("a.htm"), original);
  EXPECT_FALSE(Exists("a.htm~"));
  EXPECT_TRUE(Exists("c.js"));
  EXPECT_TRUE(NoWorkingCopyLeft());
  EXPECT_FALSE(context_.input.is_open());
  EXPECT_FALSE(context_.working_copy.is_open());
}

TEST_F(AdvertRemovalTest, MixedCaseSrcIsPassedOver) {
  Page("a.htm", "A" + kStart + "<img Src=\"pic.gif\"><script src=\"c.js\"></script>" + kEnd + "C");
  Page("pic.gif", "gif");
  Page("c.js", "js");
  Run({"a.htm"});
  EXPECT_EQ(Read("a.htm"), "AC");
  EXPECT_TRUE(Exists("pic.gif"));
  EXPECT_FALSE(Exists("c.js"));
}

TEST_F(AdvertRemovalTest, SrcInsideAnotherValueIsPassedOver) {
  Page("a.htm", "A" + kStart + "<script title=\"src='no.js'\" src=\"c.js\"></script>" + kEnd + "C");
  Page("no.js", "js");
  Page("c.js", "js");
  Run({"a.htm"});
  EXPECT_EQ(Read("a.htm"), "AC");
  EXPECT_TRUE(Exists("no.js"));
  EXPECT_FALSE(Exists("c.js"));
}

TEST_F(AdvertRemovalTest, AValueInApostrophesEndsAtEitherQuote) {
  Page("a.htm", "A" + Block("src='c.js\"x.js'") + "C");
  Page("c.js", "js");
  Page("c.js\"x.js", "other");
  Run({"a.htm"});
  EXPECT_EQ(Read("a.htm"), "AC");
  EXPECT_FALSE(Exists("c.js"));
  EXPECT_TRUE(Exists("c.js\"x.js"));
}

TEST_F(AdvertRemovalTest, AnEmptyStartTextStartsAtTheFirstBracket) {
  texts_.start_text.clear();
  Page("a.htm", "A<p>B<script src=\"c.js\"></script>" + kEnd + "C");
  Run({"a.htm"});
  EXPECT_EQ(Read("a.htm"), "AC");
}

TEST_F(AdvertRemovalTest, AStartTextHoldingABracketCanNeverMatch) {
  texts_.start_text = "!-- <x";
  const std::string original = "A<!-- <x" + Block("src=\"c.js\"") + "C";
  Page("a.htm", original);
  Run({"a.htm"});
  EXPECT_EQ(messages_.errors, std::vector<std::string>{std::string(kAdvertInputError)});
  EXPECT_EQ(Read("a.htm"), original);
}

TEST_F(AdvertRemovalTest, AMarkerAtTheVeryEndGivesTheInputError) {
  const std::string original =
      "A" + kStart + "<script src=\"c.js\"></script><" + std::string(kDefaultAdvertEndText);
  Page("a.htm", original);
  Run({"a.htm"});
  EXPECT_EQ(messages_.errors, std::vector<std::string>{std::string(kAdvertInputError)});
  EXPECT_EQ(Read("a.htm"), original);
  EXPECT_TRUE(NoWorkingCopyLeft());
}

TEST_F(AdvertRemovalTest, TheFirstPageWithoutMarkersStopsTheRun) {
  Page("a.htm", "no advert here");
  const std::string second = "A" + Block("src=\"c.js\"") + "C";
  Page("b.htm", second);
  Page("c.js", "js");
  Run({"a.htm", "b.htm"});
  EXPECT_EQ(messages_.errors, std::vector<std::string>{std::string(kAdvertInputError)});
  EXPECT_TRUE(messages_.information.empty());
  EXPECT_EQ(Read("a.htm"), "no advert here");
  EXPECT_EQ(Read("b.htm"), second);
  EXPECT_FALSE(Exists("a.htm~"));
  EXPECT_FALSE(Exists("b.htm~"));
  EXPECT_TRUE(Exists("c.js"));
  EXPECT_TRUE(NoWorkingCopyLeft());
}

TEST_F(AdvertRemovalTest, PagesDoneBeforeTheInputErrorStayCleaned) {
  Page("a.htm", "A" + Block("src=\"c.js\"") + "C");
  Page("b.htm", "no advert here");
  Run({"a.htm", "b.htm"});
  EXPECT_EQ(Read("a.htm"), "AC");
  EXPECT_EQ(Read("b.htm"), "no advert here");
  EXPECT_EQ(messages_.errors, std::vector<std::string>{std::string(kAdvertInputError)});
  EXPECT_TRUE(NoWorkingCopyLeft());
}

TEST_F(AdvertRemovalTest, ABackupAlreadyThereLeavesThePageAndGoesOn) {
  const std::string first = "A" + Block("src=\"c.js\"") + "C";
  Page("a.htm", first);
  Page("a.htm~", "older backup");
  Page("c.js", "js");
  Page("b.htm", "B" + Block("src=\"d.js\"") + "D");
  Page("d.js", "js");
  Run({"a.htm", "b.htm"});
  EXPECT_EQ(Read("a.htm"), first);
  EXPECT_EQ(Read("a.htm~"), "older backup");
  EXPECT_TRUE(Exists("c.js"));  // the page still uses it
  ASSERT_EQ(messages_.errors.size(), 1u);
  EXPECT_NE(messages_.errors[0].find("«a.htm»"), std::string::npos);
  EXPECT_NE(messages_.errors[0].find("a.htm~"), std::string::npos);
  EXPECT_EQ(Read("b.htm"), "BD");
  EXPECT_FALSE(Exists("d.js"));
  EXPECT_TRUE(NoWorkingCopyLeft());
  EXPECT_EQ(messages_.information, std::vector<std::string>{std::string(kAdvertRemoved)});
}

TEST_F(AdvertRemovalTest, ANameTooLongForItsWorkingCopyLeavesThePageAndGoesOn) {
  const std::string long_name = std::string(251, 'n') + ".htm";
  const std::string page = "A" + Block("src=\"c.js\"") + "C";
  Page(long_name, page);
  Page("c.js", "js");
  Page("b.htm", "B" + Block("src=\"d.js\"") + "D");
  Run({long_name, "b.htm"});
  EXPECT_EQ(Read(long_name), page);
  EXPECT_FALSE(Exists(long_name + "~"));
  EXPECT_TRUE(Exists("c.js"));
  ASSERT_EQ(messages_.errors.size(), 1u);
  EXPECT_NE(messages_.errors[0].find("длиннее 255 байт"), std::string::npos);
  EXPECT_EQ(Read("b.htm"), "BD");
}

TEST_F(AdvertRemovalTest, NoSelectionTouchesNothingAndStillReports) {
  const std::string original = "A" + Block("src=\"c.js\"") + "C";
  Page("a.htm", original);
  Page("c.js", "js");
  Run({});
  EXPECT_EQ(Read("a.htm"), original);
  EXPECT_TRUE(Exists("c.js"));
  EXPECT_FALSE(Exists("a.htm~"));
  EXPECT_EQ(messages_.information, std::vector<std::string>{std::string(kAdvertRemoved)});
}

TEST_F(AdvertRemovalTest, AnEmptyListOnlyGetsTheMessage) {
  Run({});
  EXPECT_EQ(messages_.information, std::vector<std::string>{std::string(kNoFileChosen)});
}

TEST_F(AdvertRemovalTest, ScriptsOutsideThePagesFolderSurvive) {
  TempDir outside;
  WriteFile(outside / "notes.doc", "keep");
  std::filesystem::create_directory(folder_ / "site");
  std::filesystem::create_directory_symlink(outside.path(), folder_ / "site/linked");
  const std::string relative_out =
      std::filesystem::relative(outside.path() / "notes.doc", folder_ / "site").string();
  const std::vector<std::string> values = {
      relative_out,       "..\\" + relative_out.substr(3),   outside / "notes.doc",
      "linked/notes.doc", "file:" + (outside / "notes.doc"), "js/../" + relative_out};
  for (size_t i = 0; i < values.size(); ++i) {
    const std::string name = "site/p" + std::to_string(i) + ".htm";
    Page(name, "A" + Block("src=\"" + values[i] + "\"") + "C");
  }
  in_folder_.reset();
  in_folder_.emplace(folder_ / "site");
  folder_ /= "site";
  list_.emplace(folder_);
  for (int i = 0; i < list_->Count(); ++i) {
    if (!list_->IsFolder(i)) list_->Select(i);
  }
  RemoveAdverts(context_, *list_, messages_, texts_, trash_);
  EXPECT_TRUE(messages_.errors.empty());
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(Read("p" + std::to_string(i) + ".htm"), "AC") << values[i];
  }
  EXPECT_EQ(ReadFile(outside / "notes.doc"), "keep");
}

TEST(ScriptFileInside, OnlyRegularFilesBelowTheFolder) {
  TempDir dir;
  NoTrash trash_;
  std::filesystem::create_directories(dir.path() / "js/sub");
  WriteFile(dir / "js/sub/a.js", "a");
  const std::string folder = dir.path().string() + "/";
  EXPECT_FALSE(DeleteScriptFileInside(folder, "js", trash_));  // a folder
  EXPECT_FALSE(DeleteScriptFileInside(folder, "js/sub/missing.js", trash_));
  EXPECT_FALSE(DeleteScriptFileInside(folder, "js/sub/../sub/a.js", trash_));
  EXPECT_FALSE(DeleteScriptFileInside(folder, "", trash_));
  EXPECT_TRUE(FileExists(dir / "js/sub/a.js"));
  EXPECT_TRUE(DeleteScriptFileInside(folder, "js\\sub/a.js", trash_));
  EXPECT_FALSE(FileExists(dir / "js/sub/a.js"));
}

TEST_F(AdvertRemovalTest, APageEndingInsideTheValueGivesTheInputError) {
  for (const std::string& cut : {kStart + "<script src=\"js/c", kStart + "<script src=js/c.js>"}) {
    Page("a.htm", "A" + cut);
    messages_.errors.clear();
    Run({"a.htm"});
    EXPECT_EQ(messages_.errors, std::vector<std::string>{std::string(kAdvertInputError)}) << cut;
    EXPECT_EQ(Read("a.htm"), "A" + cut);
    EXPECT_FALSE(Exists("a.htm~"));
    EXPECT_TRUE(NoWorkingCopyLeft());
  }
}

TEST_F(AdvertRemovalTest, AByte26WithMoreTextLeavesThePageAndGoesOn) {
  const std::string cut = "A" + Block("src=\"c.js\"") + "C\x1a" + "more text";
  Page("a.htm", cut);
  Page("c.js", "js");
  Page("b.htm", "B" + Block("src=\"d.js\"") + "D\x1a");  // a lone final 26 is harmless
  Run({"a.htm", "b.htm"});
  EXPECT_EQ(Read("a.htm"), cut);
  EXPECT_FALSE(Exists("a.htm~"));
  EXPECT_TRUE(Exists("c.js"));
  ASSERT_EQ(messages_.errors.size(), 1u);
  EXPECT_NE(messages_.errors[0].find("«a.htm»"), std::string::npos);
  EXPECT_NE(messages_.errors[0].find("26"), std::string::npos);
  EXPECT_EQ(Read("b.htm"), "BD");
  EXPECT_TRUE(NoWorkingCopyLeft());
  EXPECT_EQ(messages_.information, std::vector<std::string>{std::string(kAdvertRemoved)});
}

TEST_F(AdvertRemovalTest, AFileFailureClosesBothAndDeletesTheWorkingCopy) {
  SmallTmpfs disk("96k");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
  folder_ = disk.path();
  in_folder_.reset();
  in_folder_.emplace(folder_);
  const std::string original = std::string(70 * 1024, 'x') + Block("src=\"c.js\"") + "C";
  Page("a.htm", original);
  Page("c.js", "js");
  try {
    Run({"a.htm"});
    FAIL() << "no failure";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.code(), kDiskFull);
  }
  EXPECT_FALSE(context_.input.is_open());
  EXPECT_FALSE(context_.working_copy.is_open());
  EXPECT_TRUE(NoWorkingCopyLeft());
  EXPECT_EQ(Read("a.htm"), original);
  EXPECT_TRUE(Exists("c.js"));
  EXPECT_TRUE(messages_.information.empty());
}

}  // namespace
}  // namespace pelloran
