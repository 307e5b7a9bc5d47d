// Whole pages through the stylesheet filter, compared with checked-in
// expected bytes. On a mismatch the actual output is left beside the test
// binary (golden-actual/<case>.htm) and the first differing line is shown.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/stylesheet/style_filter_harness.h"
#include "tests/support/first_difference.h"

namespace pelloran::testing {
namespace {

namespace fs = std::filesystem;

TestOptions ReadBoxes(const fs::path& file) {
  TestOptions options;
  std::istringstream boxes(ReadFile(file.string()));
  for (int box; boxes >> box;) options.Tick(box);
  return options;
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, PageComesOutAsExpected) {
  const fs::path dir = fs::path(PELLORAN_STYLESHEET_DATA) / GetParam();
  StyleFilterHarness harness(ReadBoxes(dir / "boxes.txt"));
  const std::string actual = harness.CleanPage(ReadFile((dir / "input.htm").string()));
  const std::string expected = FileExists((dir / "expected.htm").string())
                                   ? ReadFile((dir / "expected.htm").string())
                                   : std::string();
  if (actual != expected) {
    fs::create_directories("golden-actual");
    WriteFile("golden-actual/" + GetParam() + ".htm", actual);
    FAIL() << GetParam() << ": " << FirstDifference(expected, actual);
  }
}

// The later of two places, either of which may be npos.
size_t Last(size_t a, size_t b) {
  if (a == std::string::npos) return b;
  if (b == std::string::npos) return a;
  return std::max(a, b);
}

// Real pages: whatever their style elements hold, the markup before the
// first and after the last one comes out unchanged.
TEST(RealPagesTest, MarkupAroundStyleElementsStaysIntact) {
  const fs::path pages = fs::path(PELLORAN_CORPUS_DIR) / "pages";
  if (!fs::is_directory(pages)) GTEST_SKIP() << "no corpus at " << pages;
  int checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(pages)) {
    if (!entry.is_regular_file()) continue;
    const std::string page = ReadFile(entry.path().string());
    const size_t first = std::min(page.find("<style"), page.find("<STYLE"));
    if (first == std::string::npos) continue;
    TestOptions options;
    for (int box = 1; box <= 61; ++box) options.Tick(box);
    StyleFilterHarness harness(options);
    const std::string cleaned = harness.CleanPage(page);
    EXPECT_EQ(cleaned.substr(0, first), page.substr(0, first)) << entry.path();
    const size_t last_close = Last(page.rfind("</style"), page.rfind("</STYLE"));
    const size_t last_open = Last(page.rfind("<style"), page.rfind("<STYLE"));
    if (last_close != std::string::npos && last_close > last_open) {
      const size_t end = page.find('>', last_close);
      const std::string tail = end == std::string::npos ? "" : page.substr(end + 1);
      EXPECT_TRUE(cleaned.ends_with(tail)) << entry.path();
    }
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, GoldenTest,
                         ::testing::Values("word_crlf_tabs", "lf_attributes", "quirks_all_boxes",
                                           "cut_off_elements"));

}  // namespace
}  // namespace pelloran::testing
