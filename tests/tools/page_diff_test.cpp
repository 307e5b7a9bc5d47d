#include "tools/page_diff.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "cleaner/class_tables.h"
#include "cleaner/clean_preview.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(PageDiffTest, WritesHunksAsDiffDoes) {
  struct Case {
    const char* name;
    std::string before;
    std::string after;
    std::string hunks;  // the diff without its two header lines
  };
  const std::string ten = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
  const std::vector<Case> cases = {
      {"equal", "a\nb\n", "a\nb\n", ""},
      {"one line changed", "a\nb\nc\n", "a\nB\nc\n", "@@ -1,3 +1,3 @@\n a\n-b\n+B\n c\n"},
      {"no final line end on both sides", "a\nb", "a\nc",
       "@@ -1,2 +1,2 @@\n a\n-b\n\\ No newline at end of file\n+c\n"
       "\\ No newline at end of file\n"},
      {"final line end added", "a", "a\n", "@@ -1 +1 @@\n-a\n\\ No newline at end of file\n+a\n"},
      {"from nothing", "", "x\n", "@@ -0,0 +1 @@\n+x\n"},
      {"to nothing", "x\ny\n", "", "@@ -1,2 +0,0 @@\n-x\n-y\n"},
      {"CR kept at line ends", "x\r\ny\r\n", "x\r\n", "@@ -1,2 +1 @@\n x\r\n-y\r\n"},
      {"changes six lines apart share a hunk", ten, "one\n2\n3\n4\n5\n6\n7\neight\n9\n10\n",
       "@@ -1,10 +1,10 @@\n-1\n+one\n 2\n 3\n 4\n 5\n 6\n 7\n-8\n+eight\n 9\n 10\n"},
      {"changes seven lines apart do not", ten, "one\n2\n3\n4\n5\n6\n7\n8\nnine\n10\n",
       "@@ -1,4 +1,4 @@\n-1\n+one\n 2\n 3\n 4\n@@ -6,5 +6,5 @@\n 6\n 7\n 8\n-9\n+nine\n 10\n"},
      {"insertion in the middle", ten, "1\n2\n3\n4\n5\nnew\n6\n7\n8\n9\n10\n",
       "@@ -3,6 +3,7 @@\n 3\n 4\n 5\n+new\n 6\n 7\n 8\n"},
      {"deletes before adds in a change", "a\nb\nc\n", "x\ny\nc\n",
       "@@ -1,3 +1,3 @@\n-a\n-b\n+x\n+y\n c\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string diff = UnifiedDiff(c.before, c.after, "a/p.htm", "b/p.htm");
    if (c.hunks.empty()) {
      EXPECT_EQ(diff, "");
    } else {
      EXPECT_EQ(diff, "--- a/p.htm\n+++ b/p.htm\n" + c.hunks);
    }
  }
  EXPECT_EQ(UnifiedDiff("a\nb\nc\n", "a\nB\nc\n", "x", "y", 0),
            "--- x\n+++ y\n@@ -2 +2 @@\n-b\n+B\n");
}

// Applies `diff` with the real patch in `dir`; true when patch said nothing was wrong.
bool Patch(const fs::path& dir, const std::string& diff) {
  WriteFile((dir / ".diff").string(), diff);
  const std::string line = "cd '" + dir.string() + "' && patch -s -p1 < .diff";
  const bool ok = std::system(line.c_str()) == 0;
  fs::remove(dir / ".diff");
  return ok;
}

// Random line soup with CR LF, CR, blank lines and missing final line ends.
std::string RandomText(std::mt19937& random) {
  static const std::vector<std::string> pieces = {"<p>", "x", "y", "\r", "", "a b", "}"};
  std::string text;
  const int lines = static_cast<int>(random() % 25);
  const bool crlf = random() % 3 == 0;
  for (int i = 0; i < lines; ++i) {
    text += pieces[random() % pieces.size()];
    if (i + 1 < lines || random() % 2) text += crlf ? "\r\n" : "\n";
  }
  return text;
}

std::string Mutated(const std::string& text, std::mt19937& random) {
  std::string result = text;
  for (int edits = static_cast<int>(random() % 5); edits > 0; --edits) {
    const size_t at = result.empty() ? 0 : random() % result.size();
    switch (random() % 3) {
      case 0:
        result.insert(at, random() % 2 ? "new\n" : "q");
        break;
      case 1:
        result.erase(at, random() % 6);
        break;
      default:
        result.insert(at, "\r\n");
    }
  }
  return result;
}

// What patch makes of the original with the diff is the changed text, byte for byte.
TEST(PageDiffTest, PatchTurnsRandomTextsIntoTheirChangedSelves) {
  std::mt19937 random(14);
  TempDir dir;
  std::string diff;
  std::vector<std::pair<std::string, std::string>> pages;
  for (int i = 0; i < 200; ++i) {
    const std::string before = RandomText(random);
    const std::string after = Mutated(before, random);
    const std::string name = "p" + std::to_string(i) + ".htm";
    WriteFile(dir / name, before);
    diff += UnifiedDiff(before, after, "a/" + name, "b/" + name);
    pages.emplace_back(name, after);
  }
  ASSERT_TRUE(Patch(dir.path(), diff));
  for (const auto& [name, after] : pages) EXPECT_EQ(ReadFile(dir / name), after) << name;
}

// Every corpus page against what the cleaner makes of it: CR LF, LF, CR
// alone and pages without a final line end, all through one patch.
TEST(PageDiffTest, PatchTurnsCorpusPagesIntoTheirCleanedSelves) {
  const fs::path corpus = PELLORAN_CORPUS_DIR "/pages";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  TempDir dir;
  testing::TestOptions options{1, 2, 12, 17};
  std::string diff;
  std::vector<std::pair<std::string, std::string>> pages;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = "page" + std::to_string(pages.size()) + ".htm";
    ClassTables tables;
    const PagePreview preview = PreviewCleanPage(options, tables, entry.path().string());
    if (!preview.cleaned) continue;  // a byte 26 inside
    const std::string before = ReadFile(entry.path().string());
    WriteFile(dir / name, before);
    diff += UnifiedDiff(before, preview.text, "a/" + name, "b/" + name);
    pages.emplace_back(name, preview.text);
  }
  ASSERT_GT(pages.size(), 300u);
  ASSERT_TRUE(Patch(dir.path(), diff));
  for (const auto& [name, after] : pages) EXPECT_EQ(ReadFile(dir / name), after) << name;
}

}  // namespace
}  // namespace pelloran
