// The batch command where a careful user or a hostile folder would catch it
// out: files that are no pages, a restore over an edited page, a stop signal,
// two runs at once, a disk full during the passes, a report that cannot be
// written, a preview of read-only pages.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "tests/support/clean_command.h"
#include "tests/support/fault_env.h"
#include "tests/support/sample_page.h"
#include "tests/support/temp_dir.h"
#include "tests/tools/loopback_sockets.h"

namespace pelloran::testing {
namespace {

namespace fs = std::filesystem;

std::string Utf16Le(std::string_view ascii) {
  std::string wide;
  for (char c : ascii) wide += {c, '\0'};
  return wide;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(RunRobustnessTest, FilesThatAreNoPagesAreLeftWithAReasonOfTheirOwn) {
  static constexpr char kGifStart[] = "GIF89a\x01\0\x01\0\x80\0\0";
  static constexpr char kGifEnd[] =
      "\0\0\0!\xf9\x04\x01\0\0\0\0,\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;";
  const std::string gif = std::string(kGifStart, sizeof kGifStart - 1) + std::string(600, '\xff') +
                          std::string(kGifEnd, sizeof kGifEnd - 1);
  struct Case {
    std::string name, bytes, reason;
  };
  const std::vector<Case> cases = {
      {"logo.gif", gif, "это не веб-страница"},
      {"menu.js", "var x = 1;\nfunction f() { return '<b>' + x + '</b>'; }\n",
       "это не веб-страница"},
      {"wide.htm", Utf16Le(kSamplePage), "он записан в UTF-16"},
      {"wide32.htm", std::string("\xff\xfe\0\0<\0\0\0p\0\0\0", 12), "он записан в UTF-32"},
      {"a.htm~", kSamplePage, "это резервная копия"},
  };
  TempDir dir;
  std::vector<std::string> args = {"--tick", "17"};
  for (const Case& c : cases) {
    WriteFile(dir / c.name, c.bytes);
    args.push_back(c.name);
  }
  WriteFile(dir / "script.sh", "\n  <p class=a>markup first, so a page</p>\n");
  args.push_back("script.sh");
  const CommandOutcome outcome = RunCleanCommand(dir.path(), args);
  EXPECT_EQ(outcome.status, 0) << outcome.err;  // left by rule, none failed
  for (const Case& c : cases) {
    EXPECT_EQ(ReadFile(dir / c.name), c.bytes) << c.name;
    EXPECT_FALSE(FileExists(dir / (c.name + "~"))) << c.name;
    EXPECT_TRUE(Contains(outcome.err, "«" + c.name + "» не изменён: " + c.reason)) << outcome.err;
  }
  EXPECT_TRUE(FileExists(dir / "script.sh~"));
}

TEST(RunRobustnessTest, RestoreKeepsAnEditedPageAndAStrangerBackupUnlessForced) {
  TempDir dir;
  WriteFile(dir / "edited.htm", kSamplePage);
  WriteFile(dir / "kept.htm", kSamplePage);
  ASSERT_EQ(RunCleanCommand(dir.path(), {"edited.htm", "kept.htm"}).status, 0);
  WriteFile(dir / "edited.htm", "my edit\n");
  WriteFile(dir / "new.htm", "new\n");
  WriteFile(dir / "new.htm~", "old\n");
  const CommandOutcome refused = RunCleanCommand(dir.path(), {"--restore", "."});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(ReadFile(dir / "kept.htm"), kSamplePage);  // what its clean made: restored
  EXPECT_EQ(ReadFile(dir / "edited.htm"), "my edit\n");
  EXPECT_EQ(ReadFile(dir / "new.htm"), "new\n");
  EXPECT_TRUE(Contains(refused.err, "edited.htm» не восстановлен: он не тот, что оставила"));
  EXPECT_TRUE(Contains(refused.err, "new.htm» не восстановлен"));
  EXPECT_EQ(RunCleanCommand(dir.path(), {"--restore", "--force", "."}).status, 0);
  EXPECT_EQ(ReadFile(dir / "edited.htm"), kSamplePage);
  EXPECT_EQ(ReadFile(dir / "new.htm"), "old\n");
}

std::vector<std::string> ManyPages(const fs::path& dir, int count) {
  std::string page = kSamplePage;
  for (int i = 0; i < 2000; ++i) page += "<p class=Normal style=\"color:red\">line</p>\r\n";
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    names.push_back("p" + std::to_string(100 + i) + ".htm");
    WriteFile((dir / names.back()).string(), page);
  }
  return names;
}

// Each page cleaned exactly once: its original in its backup, no "~~", no working copy.
void ExpectEachCleanedOnce(const fs::path& dir, const std::vector<std::string>& names,
                           const std::string& original) {
  for (const std::string& name : names) {
    if (!FileExists((dir / (name + "~")).string())) continue;  // not reached
    EXPECT_EQ(ReadFile((dir / (name + "~")).string()), original) << name;
    EXPECT_NE(ReadFile((dir / name).string()), original) << name;
    EXPECT_FALSE(FileExists((dir / (name + "~~")).string())) << name;
  }
  for (const auto& entry : fs::directory_iterator(dir))
    EXPECT_NE(entry.path().filename().string().rfind("PL!__", 0), 0u) << entry.path();
}

TEST(RunRobustnessTest, AStopSignalEndsAfterThePageInHandWithWholeReports) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    TempDir dir;
    const std::vector<std::string> names = ManyPages(dir.path(), 60);
    const std::string original = ReadFile(dir / names[0]);
    WriteFile(dir / "Ссылки.txt", "last run's report");
    CommandFaults faults;
    // Once the run is among its pages.
    faults.kill_when = [&] { return FileExists(dir / (names[2] + "~")); };
    faults.kill_signal = signal;
    std::vector<std::string> args = {"--tick", "17", "--json", "report.json", "--check-links"};
    args.insert(args.end(), names.begin(), names.end());
    const CommandOutcome outcome = RunCleanCommand(dir.path(), args, faults);
    ASSERT_EQ(outcome.status, 128 + signal) << outcome.err;
    ExpectEachCleanedOnce(dir.path(), names, original);
    const std::string report = ReadFile(dir / "report.json");
    EXPECT_TRUE(report.ends_with("}\n"));
    EXPECT_TRUE(Contains(outcome.out, "очищено ")) << outcome.out;
    EXPECT_NE(ReadFile(dir / "Ссылки.txt"), "last run's report");  // this run's so far
  }
}

// Hosts that take the connection and never answer would hold the link
// checks for their time limit (30 s): a stop signal ends them at once, and
// the run with its summary, its JSON and its link report as far as they go.
TEST(RunRobustnessTest, AStopSignalDuringLinkChecksEndsTheRunAtOnce) {
  TempDir dir;
  const testing::SilentListener silent;
  std::string links;
  for (int i = 0; i < 10; ++i)
    links += "<a href=\"" + silent.Url() + "/" + std::to_string(i) + "\">x</a>";
  const std::string page = "<p class=a>" + links + "</p>";
  WriteFile(dir / "a.htm", page);
  CommandFaults faults;
  std::chrono::steady_clock::time_point signalled;
  faults.kill_when = [&] {
    signalled = std::chrono::steady_clock::now();
    return silent.Asked();
  };
  faults.kill_signal = SIGINT;
  const CommandOutcome outcome =
      RunCleanCommand(dir.path(), {"--json", "report.json", "--check-links", "a.htm"}, faults);
  EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(5));
  ASSERT_EQ(outcome.status, 128 + SIGINT) << outcome.err;
  EXPECT_TRUE(Contains(outcome.out, "очищено 0")) << outcome.out;
  EXPECT_TRUE(ReadFile(dir / "report.json").ends_with("}\n"));
  EXPECT_TRUE(FileExists(dir / "Ссылки.txt"));
  EXPECT_EQ(ReadFile(dir / "a.htm"), page);
  EXPECT_FALSE(FileExists(dir / "a.htm~"));
}

TEST(RunRobustnessTest, TwoRunsAtOnceCleanEachPageOnce) {
  TempDir dir;
  const std::vector<std::string> names = ManyPages(dir.path(), 40);
  const std::string original = ReadFile(dir / names[0]);
  std::vector<std::string> args = {"--tick", "17"};
  args.insert(args.end(), names.begin(), names.end());
  auto first = std::async(std::launch::async, [&] { return RunCleanCommand(dir.path(), args); });
  const CommandOutcome second = RunCleanCommand(dir.path(), args);
  const CommandOutcome one = first.get();
  for (const CommandOutcome* run : {&one, &second}) {
    EXPECT_EQ(run->status, 0) << run->err;
    EXPECT_FALSE(Contains(run->err, "не найден")) << run->err;
  }
  for (const std::string& name : names) EXPECT_TRUE(FileExists(dir / (name + "~")));
  ExpectEachCleanedOnce(dir.path(), names, original);
}

// Both passes come before the commit: a disk that fills during them leaves
// the page as it was, without a backup, and fails it.
TEST(RunRobustnessTest, AFullDiskDuringThePassesLeavesThePageAsItWas) {
  SmallTmpfs disk("64k");
  ASSERT_TRUE(disk.mounted());
  const std::string page = std::string(40 * 1024, 't') + "<p class=a>x</p>";
  WriteFile(disk / "a.htm", page);
  TempDir out;
  const CommandOutcome outcome =
      RunCleanCommand(disk.path(), {"--tick", "17", "--json", out / "r.json", "a.htm"});
  EXPECT_EQ(outcome.status, 1);
  const std::string json = ReadFile(out / "r.json");
  EXPECT_TRUE(Contains(json, "\"outcome\": \"failed\"")) << json;
  EXPECT_EQ(ReadFile(disk / "a.htm"), page);
  EXPECT_FALSE(FileExists(disk / "a.htm~"));
  EXPECT_FALSE(FileExists(disk / "PL!__a.htm"));
}

TEST(RunRobustnessTest, AReportThatCannotBeWrittenStopsTheCallBeforeAnyPage) {
  TempDir dir;
  WriteFile(dir / "a.htm", kSamplePage);
  fs::create_directory(dir / "report.json");
  const CommandOutcome outcome = RunCleanCommand(dir.path(), {"--json", "report.json", "a.htm"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(Contains(outcome.err, "не удалось записать report.json: это папка")) << outcome.err;
  EXPECT_FALSE(FileExists(dir / "a.htm~"));
}

TEST(RunRobustnessTest, APreviewOfReadOnlyPagesWorksAndCleaningSaysWhy) {
  SmallTmpfs disk("1m");
  ASSERT_TRUE(disk.mounted());
  WriteFile(disk / "a.htm", kSamplePage);
  ASSERT_TRUE(disk.RemountReadOnly());
  const CommandOutcome preview = RunCleanCommand(disk.path(), {"-n", "--diff", "a.htm"});
  EXPECT_EQ(preview.status, 0) << preview.err;
  EXPECT_TRUE(Contains(preview.out, "+++ b/a.htm")) << preview.out;
  const CommandOutcome run = RunCleanCommand(disk.path(), {"a.htm"});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "диск защищён от записи")) << run.err;
}

}  // namespace
}  // namespace pelloran::testing
