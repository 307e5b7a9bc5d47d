// A page made of one endless construct, a tag name, a link value or a class
// value tens of megabytes long, is cleaned by the real command in the memory
// of a small page, and comes out exactly as it went in.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/clean_command.h"
#include "tests/support/temp_dir.h"

namespace pelloran::testing {
namespace {

namespace fs = std::filesystem;

constexpr size_t kPageSize = 40u * 1024 * 1024;
// Well below the page size: what the command may use beyond a small page.
constexpr long kExtraKbAllowed = 12 * 1024;

// Writes `head`, then `unit` repeated to about kPageSize bytes, then `tail`,
// in pieces so that the test process stays small (a forked child starts with
// its parent's memory).
void WritePage(const fs::path& path, const std::string& head, char unit, const std::string& tail) {
  std::ofstream out(path, std::ios::binary);
  out << head;
  const std::string piece(64 * 1024, unit);
  for (size_t written = 0; written < kPageSize; written += piece.size()) out << piece;
  out << tail;
}

struct LongPage {
  std::string name;
  std::string head;
  char unit;
  std::string tail;
  std::vector<std::string> args;  // option arguments before the file
};

TEST(LongConstructMemoryTest, OneEndlessConstructNeedsNoMoreMemoryThanASmallPage) {
  TempDir dir;
  WriteFile(dir / "small.htm",
            "<html><body><p class=a>One <a href=\"x.htm\">two</a></p></body>\r\n");
  const CommandOutcome small = RunCleanCommand(dir.path(), {"--tick", "17", "small.htm"});
  ASSERT_EQ(small.status, 0) << small.err;

  const std::vector<LongPage> pages = {
      {"brackets.htm", "text ", '<', "", {}},
      {"brackets-overriding.htm", "text ", '<', "", {"--tick", "17"}},
      {"name.htm", "<p>a<", 'n', " class=c id=1>tail</p>\r\n", {"--clear", "17,5"}},
      {"declaration.htm", "<!", '-', ">tail\r\n", {}},
      {"link.htm", "<p><a href=\"", 'h', "", {}},
      {"link-closed.htm", "<a href=\"", 'h', "\">x</a>\r\n", {}},
      {"class.htm", "<div class=", 'c', "", {"--tick", "17"}},
  };
  for (const LongPage& page : pages) {
    SCOPED_TRACE(page.name);
    WritePage(dir / page.name, page.head, page.unit, page.tail);
    std::vector<std::string> args = page.args;
    args.push_back(page.name);
    const CommandOutcome outcome = RunCleanCommand(dir.path(), args);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_LT(outcome.peak_rss_kb - small.peak_rss_kb, kExtraKbAllowed)
        << "small page: " << small.peak_rss_kb << " KB, " << page.name << ": "
        << outcome.peak_rss_kb << " KB";
  }
  // Each of them comes out exactly as it went in: a page its clean would not
  // change is left without a backup.
  for (const LongPage& page : pages) {
    SCOPED_TRACE(page.name);
    EXPECT_FALSE(FileExists(dir / (page.name + "~")));
  }
}

}  // namespace
}  // namespace pelloran::testing
