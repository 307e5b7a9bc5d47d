#include "tools/page_diff.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "charfile/in_out_error.h"
#include "cleaner/class_tables.h"
#include "cleaner/clean_preview.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"
#include "tools/file_lines.h"

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

// Lines with their LF, as the diff splits them.
std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size() - 1) + 1;
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

// Applies a unified diff to `old` as patch does, checking each hunk's header
// against its lines and its context and deleted lines against `old`.
std::string Apply(const std::string& old, const std::string& diff) {
  const std::vector<std::string> old_lines = SplitLines(old), lines = SplitLines(diff);
  const std::regex header(R"(@@ -(\d+)(?:,(\d+))? \+(\d+)(?:,(\d+))? @@\n)");
  std::string result;
  size_t at = 0, made = 0;  // lines of the old text passed, of the result written
  for (size_t i = 2; i < lines.size();) {
    std::smatch m;
    if (!std::regex_match(lines[i++], m, header)) return "bad header " + lines[i - 1];
    const auto number = [&](int k) { return m[k].matched ? std::stoul(m[k]) : 1ul; };
    const size_t old_count = number(2), new_count = number(4);
    const size_t first = number(1) - (old_count ? 1 : 0);
    EXPECT_GE(first, at);
    for (; at < first && at < old_lines.size(); ++at, ++made) result += old_lines[at];
    EXPECT_EQ(number(3) - (new_count ? 1 : 0), made);
    size_t old_seen = 0, new_seen = 0;
    for (; i < lines.size() && lines[i][0] != '@'; ++i) {
      const char mark = lines[i][0];
      std::string text = lines[i].substr(1);
      if (i + 1 < lines.size() && lines[i + 1][0] == '\\') text.pop_back(), ++i;
      if (mark != '+') {
        EXPECT_EQ(at < old_lines.size() ? old_lines[at++] : "", text);
        ++old_seen;
      }
      if (mark != '-') result += text, ++new_seen, ++made;
    }
    EXPECT_EQ(old_seen, old_count);
    EXPECT_EQ(new_seen, new_count);
  }
  for (; at < old_lines.size(); ++at) result += old_lines[at];
  return result;
}

// Lines outside a longest common subsequence, by dynamic programming.
size_t FewestChanges(const std::string& before, const std::string& after) {
  const auto a = SplitLines(before), b = SplitLines(after);
  std::vector<std::vector<size_t>> common(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = a.size(); i-- > 0;) {
    for (size_t j = b.size(); j-- > 0;) {
      common[i][j] =
          a[i] == b[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
    }
  }
  return a.size() + b.size() - 2 * common[0][0];
}

std::string Lines(const std::vector<std::string>& items, const char* end = "\n") {
  std::string text;
  for (const std::string& item : items) text += item + end;
  return text;
}

// Texts from three lines: many equally short scripts, and beyond a few
// thousand lines more edits than the exact search is allowed.
std::string Soup(std::mt19937& random, int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += "abc"[random() % 3] + std::string("\n");
  return text;
}

TEST(PageDiffTest, DiffTurnsTrickyTextsIntoTheirChangedSelves) {
  struct Case {
    const char* name;
    std::string before, after;
    std::string hunks;  // when given: the diff without its two header lines
  };
  std::mt19937 random(7);
  const std::string ten = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n";
  const std::vector<Case> cases = {
      {"from nothing", "", "a\nb", ""},
      {"to nothing", "a\nb", "", ""},
      {"final line end taken", "a\nb\n", "a\nb",
       "@@ -1,2 +1,2 @@\n a\n-b\n+b\n\\ No newline at end of file\n"},
      {"all lines different", Lines({"a", "b", "c", "d"}), Lines({"w", "x", "y", "z"}), ""},
      {"one line moved down", ten, "1\n3\n4\n5\n6\n7\n8\n2\n9\n10\n",
       "@@ -1,10 +1,10 @@\n 1\n-2\n 3\n 4\n 5\n 6\n 7\n 8\n+2\n 9\n 10\n"},
      {"repeated line kept at its earliest", "x\n<div>\ny\n", "<div>\n<div>\nz\n",
       "@@ -1,3 +1,3 @@\n-x\n <div>\n-y\n+<div>\n+z\n"},
      {"blank lines", Lines({"", "a", "", "", "b", ""}), Lines({"", "", "a", "b", "", ""}), ""},
      {"CR LF", Lines({"a", "b", "c"}, "\r\n"), Lines({"a", "B", "c", "d"}, "\r\n"), ""},
      {"CR LF to LF", Lines({"a", "b"}, "\r\n"), Lines({"a", "b"}), ""},
      {"beyond the exact search", Soup(random, 40000), Soup(random, 40000), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string diff = UnifiedDiff(c.before, c.after, "a/p.htm", "b/p.htm");
    ASSERT_EQ(diff.rfind("--- a/p.htm\n+++ b/p.htm\n", 0), 0u);
    if (!c.hunks.empty()) {
      EXPECT_EQ(diff.substr(24), c.hunks);
    }
    EXPECT_EQ(Apply(c.before, diff), c.after);
    TempDir dir;
    WriteFile(dir / "a", c.before);
    WriteFile(dir / "b", c.after);
    std::string from_files;
    WriteUnifiedDiffOfFiles(dir / "a", dir / "b", "a/p.htm", "b/p.htm",
                            [&](std::string_view piece) { from_files += piece; });
    EXPECT_EQ(from_files, diff);
    if (c.before.size() > 1000) continue;
    const std::vector<std::string> lines = SplitLines(diff);
    const auto changes = std::count_if(lines.begin() + 2, lines.end(), [](const std::string& line) {
      return line[0] == '-' || line[0] == '+';
    });
    EXPECT_EQ(size_t(changes), FewestChanges(c.before, c.after));
  }
}

// Lines cut across blocks come whole, in both passes; a file changed in
// place between the passes fails the diff instead of mixing two versions.
TEST(PageDiffTest, FileLinesReadWholeLinesOfOneVersion) {
  TempDir dir;
  for (const std::string text : {"", "a", "ab\n\ncd\r\nlonger than three\nx"}) {
    WriteFile(dir / "f", text);
    for (const size_t block : {1, 3, 64}) {
      FileLines lines(dir / "f", block);
      for (int pass = 0; pass < 2; ++pass, lines.Restart()) {
        std::string joined;
        while (!lines.AtEnd()) {
          const std::string_view line = lines.Next();
          EXPECT_EQ(line.find('\n'),
                    line.back() == '\n' ? line.size() - 1 : std::string_view::npos);
          joined += line;
        }
        EXPECT_EQ(joined, text) << block;
      }
      EXPECT_NO_THROW(lines.CheckUnchanged());
    }
  }
  const std::string after = Lines({"a", "B", "c", "d"});
  for (const std::string changed :
       {Lines({"a", "B"}), Lines({"a", "X", "c", "d"}), after + "e\n"}) {
    SCOPED_TRACE(changed);
    WriteFile(dir / "a", Lines({"a", "b", "c", "d"}));
    WriteFile(dir / "b", after);
    std::string diff;
    const auto change_after = [&](std::string_view piece) {
      if (diff.empty()) WriteFile(dir / "b", changed);  // in place: same file, new bytes
      diff += piece;
    };
    EXPECT_THROW(WriteUnifiedDiffOfFiles(dir / "a", dir / "b", "a", "b", change_after),
                 EInOutError);
  }
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
