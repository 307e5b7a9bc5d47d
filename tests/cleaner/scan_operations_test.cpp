#include "cleaner/scan_operations.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace pelloran {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class ScanOperationsTest : public ::testing::Test {
 protected:
  void Open(std::string_view text) {
    WriteFile(dir_ / "in", text);
    BindFileName(input_, dir_ / "in");
    OpenTextForReading(input_);
    BindFileName(output_, dir_ / "out");
    CreateByteFile(output_);
    OpenByteFile(output_);
  }
  std::string Written() {
    CloseCharFile(output_);
    return ReadFile(dir_ / "out");
  }
  std::string Rest() {
    std::string rest;
    for (int c; (c = NextChar(input_)) != kEndMark;) rest.push_back(static_cast<char>(c));
    return rest;
  }

  TempDir dir_;
  TextFile input_;
  ByteFile output_;
};

TEST_F(ScanOperationsTest, WritePrefixWritesOnlyTheFirstCharacters) {
  Open("");
  WritePrefix(output_, 3, "abcdef");
  WritePrefix(output_, 4, "xy");  // a shorter text is written whole, never overrun
  EXPECT_EQ(Written(), "abcxy");
}

TEST_F(ScanOperationsTest, FindAttributeRestartsAtEitherLetter) {
  Open("width=10 src=\"a.gif\">rest");
  // "wid" holds no s; then "th=" ... until the window restarts at the s of "src".
  std::vector<std::string> windows;
  for (std::string w; (w = FindAttribute(input_, 3, 's', 'S')) != "src";) windows.push_back(w);
  EXPECT_EQ(windows, (std::vector<std::string>{"wid", "th=", "10 "}));
  EXPECT_EQ(Rest(), "=\"a.gif\">rest");
  EXPECT_EQ(Written(), "");  // it never writes
}

TEST_F(ScanOperationsTest, FindAttributeDropsAWindowWhenTheLetterComesAgain) {
  Open("ssSRCx");
  EXPECT_EQ(FindAttribute(input_, 3, 's', 'S'), "SRC");
  EXPECT_EQ(Rest(), "x");
}

TEST_F(ScanOperationsTest, FindAttributeStopsAtTheClosingBracket) {
  Open("al>t src=x");
  EXPECT_EQ(FindAttribute(input_, 3, 's', 'S'), ">");
  EXPECT_EQ(Rest(), "t src=x");  // the ">" is consumed, nothing after it
}

TEST_F(ScanOperationsTest, FindAttributeReturnsAShortWindowAtTheEnd) {
  Open("x cl");
  EXPECT_EQ(FindAttribute(input_, 5, 'c', 'C'), "cl");
  EXPECT_EQ(FindAttribute(input_, 5, 'c', 'C'), "");
}

TEST_F(ScanOperationsTest, FindAttributeNeverTakesTheEndMarkIntoItsWindow) {
  Open(
      std::string("ab\x1A"
                  "cdef",
                  7));
  EXPECT_EQ(FindAttribute(input_, 4, 'x', 'y'), "ab");
  EXPECT_TRUE(AtEnd(input_));
}

// Every window FindAttribute returns over one tag with one position, each
// followed by "+" when its first character stood where a name can stand,
// "-" when not, up to a ">" or the end.
TEST_F(ScanOperationsTest, FindAttributeOverATagKnowsWhereNamesCanStand) {
  struct Case {
    const char* tag;
    const char* windows;
  };
  const Case cases[] = {
      // "class" inside a quoted value is read whole but does not stand there.
      {"title=\"abcclass\">", "title+ =\"abc- class- >"},
      {"title=abcclass class=k>", "title+ =abcc- lass - class+ >"},
      {"a = 'b c' c>", "a = '+ b c' - >"},  // a ">" drops the window
      {"x=\"a>b\" class=k>", ">"},          // a ">" ends the scan even inside a value
      {"x=y\"class\" class>", "x=y\"c+ lass\"- class+ >"},
      {"\nclass>", "class+ >"},
      {"cl", "cl+"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    Open(c.tag);
    NamePosition position;
    std::string seen;
    std::string window;
    for (;;) {
      const bool stands = FindAttribute(input_, 5, 'c', 'C', window, position);
      if (window.empty()) break;
      if (!seen.empty()) seen += ' ';
      seen += window;
      if (window == ">") break;
      seen += stands ? '+' : '-';
      if (window.size() < 5) break;
    }
    EXPECT_EQ(seen, c.windows);
  }
}

TEST_F(ScanOperationsTest, CopyToMarkerWritesWhatCameBeforeEachRestart) {
  Open("if (a</b) x();</script>after");
  std::string w;
  std::string returned;
  while ((w = CopyToMarker(input_, output_, 8, '/', '/')) != "/script>") {
    returned += "[" + w + "]";
    WritePrefix(output_, 8, w);
  }
  EXPECT_EQ(returned, "[/b) x();]");
  EXPECT_EQ(Written(), "if (a</b) x();<");  // every character once, in order, marker excluded
  EXPECT_EQ(Rest(), "after");
}

TEST_F(ScanOperationsTest, CopyToMarkerIgnoresClosingBrackets) {
  Open("<b>x</b>![endif]-->");
  EXPECT_EQ(CopyToMarker(input_, output_, 11, '!', '!'), "![endif]-->");
  EXPECT_EQ(Written(), "<b>x</b>");
}

TEST_F(ScanOperationsTest, CopyToMarkerReturnsTheUnwrittenRestAtTheEnd) {
  Open("ab/scr");
  EXPECT_EQ(CopyToMarker(input_, output_, 8, '/', '/'), "/scr");
  EXPECT_EQ(Written(), "ab");
}

}  // namespace
}  // namespace pelloran
