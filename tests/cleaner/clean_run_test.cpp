#include "cleaner/clean_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "cleaner/class_tables.h"
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
using testing::TempDir;
using testing::TestGauge;
using testing::TestLinkCheck;
using testing::TestMessages;
using testing::TestOptions;
using testing::WriteFile;

// What the stand-in first pass does: letters into capitals, a visible trace.
void UpperCase(CleanContext& context) {
  for (int c = NextChar(context.input); c != kEndMark; c = NextChar(context.input))
    PutByte(context.working_copy, static_cast<unsigned char>(std::toupper(c)));
}

class CleanRunTest : public ::testing::Test {
 protected:
  // Writes the pages, lists the folder and selects the named ones.
  void Pages(std::initializer_list<std::pair<const char*, const char*>> pages,
             std::initializer_list<const char*> selected) {
    for (const auto& [name, text] : pages) WriteFile(dir_ / name, text);
    files_.ReadFolder();
    for (const char* name : selected) files_.Select(files_.IndexOf(name));
  }
  bool Run() { return RunClean(context_, tables_, files_, messages_, passes_); }
  std::string Read(const char* name) { return ReadFile(dir_ / name); }
  bool Exists(const std::string& name) { return FileExists(dir_ / name); }
  int Count(const std::vector<std::string>& texts, const std::string& text) {
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
  }

  TempDir dir_;
  // Another folder is current: the run finds its pages by the listed folder.
  TempDir elsewhere_;
  ScopedCurrentDir here_{elsewhere_.path()};
  TestOptions options_;
  TestGauge gauge_;
  TestLinkCheck link_check_;
  CleanContext context_{options_, gauge_, link_check_};
  ClassTables tables_;
  TestMessages messages_;
  FolderFileList files_{dir_.path()};
  // Stand-in passes: each records the file it read and leaves a visible trace.
  CleanPasses passes_{[this](CleanContext& context, ClassTables&, RunState&) {
                        first_seen_.push_back(context.input.name());
                        UpperCase(context);
                        if (first_extra_) first_extra_(context);
                      },
                      [this](CleanContext& context, ClassTables&, RunState&) {
                        second_seen_.push_back(context.input.name());
                        for (int c = NextChar(context.input); c != kEndMark;
                             c = NextChar(context.input))
                          PutByte(context.working_copy, static_cast<unsigned char>(c));
                        context.working_copy.PutBytes("+second");
                        if (second_extra_) second_extra_(context);
                      }};
  std::function<void(CleanContext&)> first_extra_;
  std::function<void(CleanContext&)> second_extra_;
  std::vector<std::string> first_seen_;
  std::vector<std::string> second_seen_;
};

TEST_F(CleanRunTest, CleansTheSelectedPagesInListOrderAndKeepsBackups) {
  Pages({{"b.htm", "page b"}, {"a.htm", "page a"}, {"c.htm", "page c"}}, {"b.htm", "a.htm"});
  EXPECT_TRUE(Run());
  EXPECT_EQ(first_seen_, (std::vector<std::string>{dir_ / "a.htm", dir_ / "b.htm"}));
  EXPECT_TRUE(second_seen_.empty());
  EXPECT_EQ(Read("a.htm"), "PAGE A");
  EXPECT_EQ(Read("a.htm~"), "page a");
  EXPECT_EQ(Read("b.htm"), "PAGE B");
  EXPECT_EQ(Read("b.htm~"), "page b");
  EXPECT_EQ(Read("c.htm"), "page c");
  EXPECT_FALSE(Exists("c.htm~"));
  EXPECT_FALSE(Exists("PL!__a.htm"));
  EXPECT_FALSE(Exists("PL!__b.htm"));
  EXPECT_EQ(messages_.information, (std::vector<std::string>(2, "Операция выполнена!")));
  EXPECT_TRUE(messages_.errors.empty());
  // Each page shows 100 while its message is up, then 0; the run ends at 0.
  EXPECT_EQ(gauge_.history, (std::vector<int>{100, 0, 100, 0, 0}));
  EXPECT_EQ(files_.SelectedPositions(), std::vector<int>{files_.IndexOf("b.htm")});
  EXPECT_FALSE(Exists("Ссылки.txt"));
}

TEST_F(CleanRunTest, AnEmptyListOnlySaysSo) {
  options_.SetLinkChecking(true);
  EXPECT_FALSE(Run());
  EXPECT_EQ(messages_.information, std::vector<std::string>{"Вы не выбрали файл!"});
  EXPECT_TRUE(gauge_.history.empty());
  EXPECT_FALSE(Exists("Ссылки.txt"));
  EXPECT_EQ(files_.notifications, 0);
}

TEST_F(CleanRunTest, NothingSelectedTouchesNoPageButWritesAnEmptyReport) {
  options_.SetLinkChecking(true);
  link_check_.connected = false;
  Pages({{"a.htm", "page a"}}, {});
  EXPECT_TRUE(Run());
  EXPECT_TRUE(first_seen_.empty());
  EXPECT_EQ(Read("a.htm"), "page a");
  EXPECT_FALSE(Exists("a.htm~"));
  EXPECT_TRUE(messages_.information.empty());     // no link to check: no connection asked about
  EXPECT_EQ(Read("Ссылки.txt"), "\xEF\xBB\xBF");  // only the mark of UTF-8
  EXPECT_FALSE(context_.link_report.is_open());
  EXPECT_EQ(gauge_.history, std::vector<int>{0});
}

TEST_F(CleanRunTest, ASelectedFolderEntryIsPassedOver) {
  // The folder's entry reads "[sub.htm]", and so does the file's.
  std::filesystem::create_directory(dir_ / "sub.htm");
  WriteFile(dir_ / "[sub.htm]", "a file whose name looks like a folder entry");
  Pages({{"a.htm", "page a"}}, {"a.htm"});
  for (int i = 0; i < files_.Count(); ++i) {
    if (files_.IsFolder(i)) files_.Select(i);
  }
  EXPECT_TRUE(Run());
  EXPECT_EQ(first_seen_, std::vector<std::string>{dir_ / "a.htm"});
  EXPECT_FALSE(Exists("[sub.htm]~"));
}

TEST_F(CleanRunTest, WithOverridingTheSecondPassReplacesTheFirstPassOutput) {
  for (int box : {17, 5}) {
    SCOPED_TRACE(box);
    TempDir dir;
    FolderFileList files(dir.path());
    TestOptions options{box};
    CleanContext context(options, gauge_, link_check_);
    WriteFile(dir / "a.htm", "page a");
    files.ReadFolder();
    files.Select(files.IndexOf("a.htm"));
    second_seen_.clear();
    EXPECT_TRUE(RunClean(context, tables_, files, messages_, passes_));
    // The second pass reads the page itself, by its path.
    EXPECT_EQ(second_seen_, std::vector<std::string>{dir / "a.htm"});
    EXPECT_EQ(ReadFile(dir / "a.htm"), "PAGE A+second");
    EXPECT_EQ(ReadFile(dir / "a.htm~"), "page a");
    EXPECT_FALSE(FileExists(dir / "PL!__a.htm"));
  }
}

TEST_F(CleanRunTest, AnEarlierBackupIsNeverOverwrittenAndThePageStaysAsItWas) {
  for (bool overriding : {false, true}) {
    SCOPED_TRACE(overriding);
    TempDir dir;
    FolderFileList files(dir.path());
    TestOptions options;
    if (overriding) options.Tick(17);
    TestMessages messages;
    TestGauge gauge;
    CleanContext context(options, gauge, link_check_);
    WriteFile(dir / "a.htm", "page a");
    WriteFile(dir / "a.htm~", "old backup");
    WriteFile(dir / "b.htm", "page b");
    files.ReadFolder();
    files.Select(files.IndexOf("a.htm"));
    files.Select(files.IndexOf("b.htm"));
    second_seen_.clear();
    EXPECT_TRUE(RunClean(context, tables_, files, messages, passes_));
    EXPECT_EQ(ReadFile(dir / "a.htm"), "page a");
    EXPECT_EQ(ReadFile(dir / "a.htm~"), "old backup");
    EXPECT_FALSE(FileExists(dir / "PL!__a.htm"));
    ASSERT_EQ(messages.errors.size(), 1u);
    EXPECT_EQ(messages.errors[0],
              "Файл «a.htm» не изменён: резервная копия «a.htm~» уже существует.");
    // The next page is cleaned as usual, and only it is reported done.
    EXPECT_EQ(ReadFile(dir / "b.htm"), overriding ? "PAGE B+second" : "PAGE B");
    EXPECT_EQ(messages.information, std::vector<std::string>{"Операция выполнена!"});
    EXPECT_EQ(second_seen_.size(), overriding ? 1u : 0u);
    EXPECT_EQ(gauge.history, (std::vector<int>{0, 100, 0, 0}));
  }
}

// Ticking the offer at the first box keeps the run quiet: no box per page,
// cleaned or not, and one summary at the end; and when a file failure stops
// a quiet run, the summary still comes before the failure goes on.
TEST_F(CleanRunTest, AQuietRunEndsWithOneSummary) {
  Pages({{"a.htm", "a"}, {"b.htm", "b"}, {"c.htm", "c"}, {"c.htm~", "old c"}, {"d.htm", "d"}},
        {"a.htm", "b.htm", "c.htm", "d.htm"});
  messages_.offer_taken_at = 1;
  EXPECT_TRUE(Run());
  EXPECT_EQ(messages_.offers, std::vector<std::string>{"не показывать до конца прогона"});
  EXPECT_TRUE(messages_.errors.empty());
  EXPECT_EQ(messages_.information,
            (std::vector<std::string>{
                "Операция выполнена!",
                "Очищено страниц: 3 из 4.\nНе очищены:\nФайл «c.htm» не изменён: резервная "
                "копия «c.htm~» уже существует."}));
  EXPECT_EQ(Read("d.htm"), "D");

  TestMessages stopped;
  stopped.offer_taken_at = 1;
  WriteFile(dir_ / "e.htm", "e");
  WriteFile(dir_ / "f.htm", "f");
  WriteFile(dir_ / "g.htm", "g");
  files_.ReadFolder();
  for (const char* name : {"e.htm", "f.htm", "g.htm"}) files_.Select(files_.IndexOf(name));
  first_extra_ = [](CleanContext& context) {
    if (context.input.name().ends_with("g.htm")) throw EInOutError(kDiskFull);
  };
  EXPECT_THROW(RunClean(context_, tables_, files_, stopped, passes_), EInOutError);
  EXPECT_EQ(stopped.information,
            (std::vector<std::string>{"Операция выполнена!", "Очищено страниц: 2 из 3."}));
}

// A stop asked for while b.htm is read: a.htm stays cleaned, b.htm and
// c.htm stay as they were, and no working copy is left, with one pass or two.
TEST_F(CleanRunTest, AStoppedRunLeavesThePageInHandAndTheRestUntouched) {
  struct Stop : StopRequest {
    bool IsStopRequested() override { return asked = true, requested; }
    bool requested = false;
    bool asked = false;
  } stop;
  context_.stop = &stop;
  first_extra_ = [&stop](CleanContext& context) {
    if (context.input.name().ends_with("b.htm")) stop.requested = true;
  };
  for (const bool overriding : {false, true}) {
    SCOPED_TRACE(overriding);
    options_.Tick(17, overriding);
    stop.requested = false;
    for (const char* name : {"a.htm~", "b.htm~", "c.htm~"}) std::filesystem::remove(dir_ / name);
    messages_.information.clear();
    Pages({{"a.htm", "a"}, {"b.htm", "b"}, {"c.htm", "c"}}, {"a.htm", "b.htm", "c.htm"});
    EXPECT_TRUE(Run());
    EXPECT_EQ(Read("a.htm"), overriding ? "A+second" : "A");
    EXPECT_EQ(Read("b.htm"), "b");
    EXPECT_EQ(Read("c.htm"), "c");
    EXPECT_FALSE(Exists("b.htm~"));
    EXPECT_FALSE(Exists("c.htm~"));
    EXPECT_EQ(testing::Snapshot(dir_.path()).size(), 4u);  // a, a~, b, c: no working copy
    EXPECT_EQ(messages_.information.back(), "Прогон остановлен.\nОчищено страниц: 1 из 3.");
    EXPECT_TRUE(messages_.errors.empty());
  }
  EXPECT_EQ(first_seen_.size(), 4u);  // c.htm was never opened
}

TEST_F(CleanRunTest, AByteTwentySixWithTextAfterItLeavesThePageAlone) {
  Pages({{"a.htm",
          "before\x1A"
          "after"},
         {"b.htm", "page b\x1A"}},
        {"a.htm", "b.htm"});
  EXPECT_TRUE(Run());
  EXPECT_EQ(Read("a.htm"),
            "before\x1A"
            "after");
  EXPECT_FALSE(Exists("a.htm~"));
  EXPECT_FALSE(Exists("PL!__a.htm"));
  ASSERT_EQ(messages_.errors.size(), 1u);
  EXPECT_NE(messages_.errors[0].find("«a.htm»"), std::string::npos);
  EXPECT_NE(messages_.errors[0].find("символ с кодом 26"), std::string::npos);
  // A lone final byte 26 is the old end-of-file mark: that page is cleaned.
  EXPECT_EQ(Read("b.htm"), "PAGE B");
  EXPECT_EQ(Read("b.htm~"), "page b\x1A");
  EXPECT_EQ(messages_.information, std::vector<std::string>{"Операция выполнена!"});
}

TEST_F(CleanRunTest, AUtf16PageIsLeftAloneBeforeAnyPassReadsIt) {
  options_.Tick(17);
  // "<pК" little-endian: its 26 is half a letter, not the end of the page.
  const std::string little("\xFF\xFE<\0p\0\x1A\x04", 8);
  const std::string big("\xFE\xFF\0<\0p", 6);
  WriteFile(dir_ / "be.htm", big);
  WriteFile(dir_ / "le.htm", little);
  WriteFile(dir_ / "one.htm", "\xFE<p>");  // one byte of a mark is no mark
  Pages({}, {"be.htm", "le.htm", "one.htm"});
  EXPECT_TRUE(Run());
  EXPECT_EQ(Read("be.htm"), big);
  EXPECT_EQ(Read("le.htm"), little);
  for (const char* name : {"be.htm~", "le.htm~", "PL!__be.htm", "PL!__le.htm"})
    EXPECT_FALSE(Exists(name)) << name;
  EXPECT_EQ(messages_.errors,
            (std::vector<std::string>{
                "Файл «be.htm» не изменён: он записан в UTF-16, а программа читает страницы в "
                "однобайтовых кодировках.",
                "Файл «le.htm» не изменён: он записан в UTF-16, а программа читает страницы в "
                "однобайтовых кодировках."}));
  ASSERT_EQ(first_seen_.size(), 1u);  // no pass read the UTF-16 pages
  EXPECT_EQ(Read("one.htm"), "\xFE<P>+second");
}

// Only the page says how it is written: a first pass's result that happens to
// start with the bytes of a UTF-16 mark still goes through the second pass.
TEST_F(CleanRunTest, AFirstPassResultIsNeverTakenForUtf16) {
  options_.Tick(17);
  passes_.first = [](CleanContext& context, ClassTables&, RunState&) {
    context.working_copy.PutBytes("\xFF\xFE");
    UpperCase(context);
  };
  Pages({{"a.htm", "<p>"}}, {"a.htm"});
  EXPECT_TRUE(Run());
  EXPECT_EQ(Read("a.htm"), "\xFF\xFE<P>+second");
  EXPECT_EQ(Read("a.htm~"), "<p>");
  EXPECT_TRUE(messages_.errors.empty());
}

TEST_F(CleanRunTest, AFailureInsideAPageLeavesItUntouchedAndEndsTheRun) {
  options_.SetLinkChecking(true);
  Pages({{"a.htm", "page a"}, {"b.htm", "page b"}, {"c.htm", "page c"}},
        {"a.htm", "b.htm", "c.htm"});
  first_extra_ = [](CleanContext& context) {
    if (context.input.name().ends_with("b.htm")) throw EInOutError(kDiskFull);
  };
  try {
    Run();
    FAIL() << "the failure must reach the caller";
  } catch (const EInOutError& failure) {
    EXPECT_EQ(failure.code(), kDiskFull);
  }
  EXPECT_EQ(Read("a.htm"), "PAGE A");  // cleaned before the failure: stays cleaned
  EXPECT_EQ(Read("b.htm"), "page b");
  EXPECT_FALSE(Exists("b.htm~"));
  EXPECT_FALSE(Exists("PL!__b.htm"));
  EXPECT_EQ(Read("c.htm"), "page c");
  EXPECT_EQ(Count(messages_.information, "Операция выполнена!"), 1);
  EXPECT_FALSE(context_.input.is_open());
  EXPECT_FALSE(context_.working_copy.is_open());
  EXPECT_FALSE(context_.link_report.is_open());
  // A run that did not finish leaves no report, not half a one, and no file of its own.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            4);
  EXPECT_FALSE(Exists("Ссылки.txt"));
}

// Both passes come before the commit: a failure in the second leaves the
// page as it was, with no backup and no working copy.
TEST_F(CleanRunTest, AFailureInTheSecondPassLeavesThePageAsItWas) {
  options_.Tick(17);
  Pages({{"a.htm", "page a"}}, {"a.htm"});
  second_extra_ = [](CleanContext&) { throw EInOutError(kDiskFull); };
  EXPECT_THROW(Run(), EInOutError);
  EXPECT_EQ(Read("a.htm"), "page a");
  EXPECT_FALSE(Exists("a.htm~"));
  EXPECT_FALSE(Exists("PL!__a.htm"));
}

TEST_F(CleanRunTest, APageGoneSinceTheListingIsAFileNotFound) {
  Pages({{"a.htm", "page a"}}, {"a.htm"});
  std::filesystem::remove(dir_ / "a.htm");
  try {
    Run();
    FAIL();
  } catch (const EInOutError& failure) {
    EXPECT_EQ(failure.code(), kFileNotFound);
  }
  EXPECT_FALSE(Exists("PL!__a.htm"));
  EXPECT_FALSE(Exists("a.htm~"));
}

// A folder under the working copy's name keeps the cleaned text from its
// place, with one pass or two: the page stays as it was, without a backup.
TEST_F(CleanRunTest, AWorkingCopyThatCannotTakeItsNameLeavesThePageAndDropsTheBackup) {
  for (const int override_box : {0, 5}) {
    SCOPED_TRACE(override_box);
    std::filesystem::remove_all(dir_.path());
    std::filesystem::create_directory(dir_.path());
    messages_.errors.clear();
    if (override_box != 0) options_.Tick(override_box);
    Pages({{"a.htm", "page a"}, {"b.htm", "page b"}}, {"a.htm", "b.htm"});
    first_extra_ = [this](CleanContext& context) {
      if (context.input.name().ends_with("a.htm"))
        std::filesystem::create_directory(dir_ / "PL!__a.htm");
    };
    EXPECT_TRUE(Run());
    EXPECT_EQ(Read("a.htm"), "page a");
    EXPECT_FALSE(Exists("a.htm~"));
    ASSERT_EQ(messages_.errors.size(), 1u);
    EXPECT_EQ(messages_.errors[0].rfind("Файл «a.htm» не изменён: не удалось дать очищенному", 0),
              0u)
        << messages_.errors[0];
    EXPECT_EQ(Read("b.htm").rfind("PAGE B", 0), 0u);
  }
}

TEST_F(CleanRunTest, TheReportHasAHeaderForEveryPageInCleaningOrder) {
  options_.SetLinkChecking(true);
  Pages({{"страница.htm", "x"}, {"b.htm", "y"}}, {"страница.htm", "b.htm"});
  first_extra_ = [](CleanContext& context) { PutText(context.link_report, "line"); };
  EXPECT_TRUE(Run());
  // No page links to the web: the connection is not asked about.
  EXPECT_EQ(messages_.information, std::vector<std::string>(2, "Операция выполнена!"));
  EXPECT_EQ(Read("Ссылки.txt"), "\xEF\xBB\xBF\r\n           " + dir_ / "b.htm" + " :\r\n\r\nline" +
                                    "\r\n           " + dir_ / "страница.htm" + " :\r\n\r\nline");
}

TEST_F(CleanRunTest, TheCleanedPageKeepsItsPermissions) {
  Pages({{"a.htm", "page a"}}, {"a.htm"});
  ASSERT_EQ(::chmod((dir_ / "a.htm").c_str(), 0640), 0);
  EXPECT_TRUE(Run());
  struct stat st;
  ASSERT_EQ(::stat((dir_ / "a.htm").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(CleanRunTest, WithOverridingNothingOfTheFirstPassIsOnDiskAndTheBackupComesFirst) {
  options_.Tick(17);
  Pages({{"a.htm", "page a"}}, {"a.htm"});
  std::vector<std::string> during_first;
  bool backup_during_second = false;
  first_extra_ = [&](CleanContext&) {
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
      during_first.push_back(entry.path().filename());
  };
  second_extra_ = [&](CleanContext&) {
    backup_during_second =
        Exists("a.htm~") && Read("a.htm~") == "page a" && Read("a.htm") == "page a";
  };
  EXPECT_TRUE(Run());
  // A kill during the first pass leaves the folder as it was.
  EXPECT_EQ(during_first, std::vector<std::string>{"a.htm"});
  EXPECT_TRUE(backup_during_second);
  EXPECT_EQ(second_seen_, std::vector<std::string>{dir_ / "a.htm"});
  EXPECT_EQ(Read("a.htm"), "PAGE A+second");
  EXPECT_EQ(Read("a.htm~"), "page a");
}

TEST_F(CleanRunTest, AFirstPassResultThatCannotTakeThePageNameLeavesThePageAsItWas) {
  options_.Tick(17);
  Pages({{"a.htm", "page a"}}, {"a.htm"});
  // The working copy's name taken by a folder, then the second pass fails.
  second_extra_ = [this](CleanContext&) {
    std::filesystem::remove(dir_ / "PL!__a.htm");
    std::filesystem::create_directory(dir_ / "PL!__a.htm");
    throw EInOutError(kDiskFull);
  };
  EXPECT_THROW(Run(), EInOutError);
  EXPECT_EQ(Read("a.htm"), "page a");
  EXPECT_FALSE(Exists("a.htm~"));
}

// With the append-only flag even root may neither link nor rename the file.
bool SetAppendOnly(const std::string& path, bool on) {
  return testing::SetInodeFlag(path, FS_APPEND_FL, on);
}

TEST_F(CleanRunTest, AnImmovablePageIsLeftWithNoWorkingCopy) {
  options_.Tick(17);
  Pages({{"a.htm", "page a"}}, {"a.htm"});
  if (!SetAppendOnly(dir_ / "a.htm", true)) GTEST_SKIP() << "no append-only flag here";
  EXPECT_TRUE(Run());
  SetAppendOnly(dir_ / "a.htm", false);
  EXPECT_EQ(messages_.errors,
            std::vector<std::string>{
                "Файл «a.htm» не изменён: не удалось переименовать его в «a.htm~» (нет доступа)."});
  EXPECT_EQ(Read("a.htm"), "page a");
  EXPECT_FALSE(Exists("a.htm~"));
  EXPECT_FALSE(Exists("PL!__a.htm"));
}

// What CleanPage answers is what callers count by: a rule of the program
// leaves a page, a failed file step leaves it otherwise.
TEST_F(CleanRunTest, CleanPageSaysWhatBecameOfThePage) {
  const std::string long_name = std::string(251, 'l') + ".htm";  // its working copy's is too long
  for (const bool twice : {false, true}) {
    SCOPED_TRACE(twice ? "two passes" : "one pass");
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
      std::filesystem::remove(entry.path());
    if (twice) options_.Tick(17);
    Pages({{"a.htm", "page a"}, {"b.htm", "page b"}, {"b.htm~", "old b"}, {"c.htm", "x\x1Ay"}},
          {"a.htm", "b.htm", "c.htm"});
    WriteFile(dir_ / long_name, "page l");
    WriteFile(dir_ / "d.htm", "page d");
    const bool immovable = SetAppendOnly(dir_ / "d.htm", true);
    files_.ReadFolder();
    for (const std::string& name : {long_name, std::string("d.htm")})
      files_.Select(files_.IndexOf(name));
    CleanRun run(context_, tables_, files_, messages_, passes_);
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(run.CleanPage("a.htm"), PageEnd::kCleaned);
    EXPECT_EQ(run.CleanPage("b.htm"), PageEnd::kLeftByRule);
    EXPECT_EQ(run.CleanPage("c.htm"), PageEnd::kLeftByRule);
    EXPECT_EQ(run.CleanPage(long_name), PageEnd::kLeftByRule);
    if (immovable) {
      EXPECT_EQ(run.CleanPage("d.htm"), PageEnd::kLeftByFailure);
      SetAppendOnly(dir_ / "d.htm", false);
    }
    run.Finish();
  }
}

// Drops what lets root link another owner's file under protected hard links.
bool DropOwnerCapability() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2]{};
  if (syscall(SYS_capget, &header, data) != 0) return false;
  data[CAP_FOWNER / 32].effective &= ~(1u << (CAP_FOWNER % 32));
  return syscall(SYS_capset, &header, data) == 0;
}

TEST_F(CleanRunTest, APageThatMayNotBeLinkedIsSwappedByRenamesAndCleanedTwice) {
  if (ReadFile("/proc/sys/fs/protected_hardlinks").rfind('1', 0) != 0)
    GTEST_SKIP() << "hard links are not protected here";
  options_.Tick(17);
  Pages({{"a.htm", "page a"}}, {"a.htm"});
  ASSERT_EQ(::chown((dir_ / "a.htm").c_str(), 54321, 54321), 0);  // another owner's page
  const int status = testing::RunWithoutFileCapabilities([this] {
    if (!DropOwnerCapability() || ::link((dir_ / "a.htm").c_str(), (dir_ / "x").c_str()) == 0)
      return 254;  // the link is not refused here
    try {
      return Run() && messages_.errors.empty() ? 0 : 1;
    } catch (const EInOutError&) {
      return 2;
    }
  });
  if (status < 0 || status == 254) GTEST_SKIP() << "cannot refuse the hard link here";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Read("a.htm"), "PAGE A+second");
  EXPECT_EQ(Read("a.htm~"), "page a");
  EXPECT_FALSE(Exists("PL!__a.htm"));
}

TEST(CleanRunFaultTest, AFullDiskLeavesThePageWhole) {
  testing::SmallTmpfs disk("64k");
  ASSERT_TRUE(disk.mounted());
  const std::string page(40 * 1024, 'p');
  WriteFile(disk / "a.htm", page);
  FolderFileList files(disk.path());
  files.Select(files.IndexOf("a.htm"));
  TestOptions options;
  TestGauge gauge;
  TestLinkCheck link_check;
  TestMessages messages;
  CleanContext context(options, gauge, link_check);
  ClassTables tables;
  CleanPasses passes{[](CleanContext& c, ClassTables&, RunState&) { UpperCase(c); },
                     [](CleanContext&, ClassTables&, RunState&) {}};
  try {
    RunClean(context, tables, files, messages, passes);
    FAIL();
  } catch (const EInOutError& failure) {
    EXPECT_EQ(failure.code(), kDiskFull);
  }
  EXPECT_EQ(ReadFile(disk / "a.htm"), page);
  EXPECT_FALSE(FileExists(disk / "PL!__a.htm"));
  EXPECT_FALSE(FileExists(disk / "a.htm~"));
}

// Run by someone other than root, a page another user owns is cleaned only
// when the user says yes, since the cleaned page would become the runner's.
TEST_F(CleanRunTest, AsksBeforeTakingAPageFromItsOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand the run to another user";
  Pages({{"a.htm", "page a"}}, {"a.htm"});
  ASSERT_EQ(::chmod(dir_.path().c_str(), 0777), 0);
  for (const bool answer : {false, true}) {
    SCOPED_TRACE(answer);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      constexpr uid_t kNobody = 65534;
      if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(100);
      messages_.confirm_answer = answer;
      Run();
      const bool asked =
          messages_.questions == std::vector<std::string>{
                                     "Файл «a.htm» принадлежит другому пользователю; очищенный, он "
                                     "станет вашим. Очистить его?"};
      ::_exit(asked ? 0 : 101);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Read("a.htm"), answer ? "PAGE A" : "page a");
    EXPECT_EQ(Exists("a.htm~"), answer);
  }
}

}  // namespace
}  // namespace pelloran
