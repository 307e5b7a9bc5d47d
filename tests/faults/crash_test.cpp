// The batch command killed with SIGKILL while it cleans a folder: between any
// two of its file steps, and at random moments. Whatever the moment, every
// page's original bytes are still there under its name or its "~" name, and
// the next run either finishes the page or says plainly where its original is,
// leaving no working copy behind.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "tests/support/clean_command.h"
#include "tests/support/temp_dir.h"

namespace pelloran::testing {
namespace {

namespace fs = std::filesystem;
using Pages = std::map<std::string, std::string>;  // name -> bytes

// Pages with work for both passes; `scale` pieces of body each.
Pages MakePages(int count, int scale) {
  const std::string head =
      "<html><head><style>\r\np.Normal { font-family: Arial; color: red }\r\n"
      ".unused { color: blue }\r\n</style></head><body>\r\n";
  Pages pages;
  for (int i = 0; i < count; ++i) {
    std::string body;
    for (int j = 0; j < scale; ++j) {
      body += "<p class=Normal style=\"color:red\">Page " + std::to_string(i) + " line " +
              std::to_string(j) + " <span lang=ru>текст</span> <img width=1 src=\"i.png\"></p>\r\n";
    }
    const std::string name =
        i % 2 == 0 ? "page" + std::to_string(i) + ".htm" : "страница " + std::to_string(i) + ".htm";
    pages[name] = head + body + "</body></html>\r\n";
  }
  return pages;
}

void WritePages(const fs::path& dir, const Pages& pages) {
  for (const auto& [name, bytes] : pages) WriteFile((dir / name).string(), bytes);
}

std::vector<std::string> Arguments(const Pages& pages) {
  std::vector<std::string> args = {"--tick", "17", "--"};
  for (const auto& [name, bytes] : pages) args.push_back(name);
  return args;
}

// What a run that is never stopped makes of each page.
Pages CleanedAsUsual(const Pages& pages) {
  TempDir dir;
  WritePages(dir.path(), pages);
  const CommandOutcome outcome = RunCleanCommand(dir.path(), Arguments(pages));
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  Pages cleaned;
  for (const auto& [name, bytes] : pages) cleaned[name] = ReadFile(dir / name);
  return cleaned;
}

bool HoldsBytes(const fs::path& path, const std::string& bytes) {
  return FileExists(path.string()) && fs::is_regular_file(path) && ReadFile(path.string()) == bytes;
}

// Right after the kill: nothing of any page is lost.
void ExpectNothingLost(const fs::path& dir, const Pages& pages) {
  for (const auto& [name, bytes] : pages) {
    EXPECT_TRUE(HoldsBytes(dir / name, bytes) || HoldsBytes(dir / (name + "~"), bytes))
        << name << ": the original bytes are gone";
  }
}

// After the next run: each page is cleaned, or reported with its backup's name;
// no working copy is left.
void ExpectRecovered(const fs::path& dir, const Pages& pages, const Pages& cleaned,
                     const CommandOutcome& outcome) {
  EXPECT_EQ(outcome.signal, 0);
  ExpectNothingLost(dir, pages);
  for (const auto& entry : fs::directory_iterator(dir)) {
    EXPECT_NE(entry.path().filename().string().rfind("PL!__", 0), 0u)
        << "left behind: " << entry.path().filename();
  }
  for (const auto& [name, bytes] : pages) {
    const bool done = outcome.out.find(name + ": Операция выполнена!") != std::string::npos;
    // A failure line names the page once: in its message, or before it.
    const bool reported = outcome.err.find("«" + name + "»") != std::string::npos ||
                          outcome.err.find(name + ": ") != std::string::npos;
    EXPECT_NE(done, reported) << name << "\n" << outcome.out << outcome.err;
    if (done) {
      EXPECT_TRUE(HoldsBytes(dir / (name + "~"), bytes)) << name;
      EXPECT_TRUE(HoldsBytes(dir / name, cleaned.at(name))) << name;
    } else if (reported) {
      EXPECT_TRUE(HoldsBytes(dir / (name + "~"), bytes)) << name;
      // Left only because the killed run had cleaned it: a half-swapped page is resumed.
      EXPECT_TRUE(HoldsBytes(dir / name, cleaned.at(name))) << name << ": stuck";
      EXPECT_NE(outcome.err.find("«" + name + "~»"), std::string::npos)
          << name << ": the message does not say where the original is\n"
          << outcome.err;
    }
  }
}

CommandFaults KilledAtStep(long step) {
  CommandFaults faults;
  faults.environment = {{"LD_PRELOAD", PELLORAN_KILL_POINTS_PATH},
                        {"PELLORAN_KILL_AT", std::to_string(step)}};
  // A sanitized build wants its runtime first; the preloaded library only forwards calls.
  const char* asan = std::getenv("ASAN_OPTIONS");
  faults.environment.emplace_back(
      "ASAN_OPTIONS", std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0");
  return faults;
}

// Kills the command before each of its file steps in turn, in the folder's
// way of committing a page that `refused` ("unnamed-files", "hard-links")
// leaves, and runs it again in the same way.
void KillBeforeEveryStep(const std::string& refused) {
  // Three pages, one of them large enough to take several writes per pass.
  Pages pages = MakePages(2, 3);
  const Pages large = MakePages(1, 1500);
  pages["large.htm"] = large.begin()->second;
  const Pages cleaned = CleanedAsUsual(pages);
  CommandFaults again;
  again.environment = {{"PELLORAN_REFUSE", refused}};
  long step = 1;
  for (;; ++step) {
    SCOPED_TRACE("killed before step " + std::to_string(step));
    TempDir dir;
    WritePages(dir.path(), pages);
    CommandFaults killed_at = KilledAtStep(step);
    killed_at.environment.push_back(again.environment.front());
    const CommandOutcome killed = RunCleanCommand(dir.path(), Arguments(pages), killed_at);
    if (killed.signal != SIGKILL) {
      EXPECT_EQ(killed.status, 0) << killed.err;  // past the last step: the run ended
      break;
    }
    ExpectNothingLost(dir.path(), pages);
    ExpectRecovered(dir.path(), pages, cleaned,
                    RunCleanCommand(dir.path(), Arguments(pages), again));
    if (::testing::Test::HasFailure()) break;
  }
  if (!::testing::Test::HasFailure()) {
    // Each page takes at least a working copy, a write, a backup name and a rename.
    EXPECT_GE(step - 1, 4 * static_cast<long>(pages.size()))
        << "the kill points were never reached";
  }
  ::testing::Test::RecordProperty("file_steps", static_cast<int>(step - 1));
}

TEST(CrashTest, KilledBetweenAnyTwoFileStepsNothingIsLost) { KillBeforeEveryStep(""); }

// Named working copies and, without hard links, two renames: a kill between
// them leaves no page under its name, which the next run brings back.
TEST(CrashTest, KilledBetweenAnyTwoStepsOfTheRenamesNothingIsLost) {
  KillBeforeEveryStep("unnamed-files,hard-links");
}
TEST(CrashTest, KilledBetweenAnyTwoStepsOfANamedWorkingCopyNothingIsLost) {
  KillBeforeEveryStep("unnamed-files");
}

TEST(CrashTest, KilledAtRandomMomentsNothingIsLost) {
  const Pages pages = MakePages(8, 1200);  // long enough that most kills land mid-run
  const Pages cleaned = CleanedAsUsual(pages);
  // How long an undisturbed run takes here, start-up included: the fastest of
  // three, so that a busy moment while timing does not put most kills past the end.
  auto run_time = std::chrono::microseconds::max();
  for (int i = 0; i < 3; ++i) {
    TempDir timing;
    WritePages(timing.path(), pages);
    const auto start = std::chrono::steady_clock::now();
    RunCleanCommand(timing.path(), Arguments(pages));
    run_time = std::min(run_time, std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::steady_clock::now() - start));
  }
  std::mt19937 random(1);
  std::uniform_int_distribution<long> moment(1, run_time.count());
  int killed_midway = 0;
  for (int round = 0; round < 60; ++round) {
    CommandFaults faults;
    faults.kill_after = std::chrono::microseconds(moment(random));
    SCOPED_TRACE("killed after " + std::to_string(faults.kill_after.count()) + " µs");
    TempDir dir;
    WritePages(dir.path(), pages);
    const CommandOutcome killed = RunCleanCommand(dir.path(), Arguments(pages), faults);
    if (killed.signal == SIGKILL) ++killed_midway;
    ExpectNothingLost(dir.path(), pages);
    ExpectRecovered(dir.path(), pages, cleaned, RunCleanCommand(dir.path(), Arguments(pages)));
    if (HasFailure()) break;
  }
  EXPECT_GT(killed_midway, 30);
}

}  // namespace
}  // namespace pelloran::testing
