// Whole pages through the stylesheet filter, compared with checked-in
// expected bytes. On a mismatch the actual output is left beside the test
// binary (golden-actual/<case>.htm) and the first differing line is shown.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/stylesheet/style_filter_harness.h"

namespace pelloran::testing {
namespace {

namespace fs = std::filesystem;

TestOptions ReadBoxes(const fs::path& file) {
  TestOptions options;
  std::istringstream boxes(ReadFile(file.string()));
  for (int box; boxes >> box;) options.Tick(box);
  return options;
}

// The line number and both versions of the first line that differs.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::istringstream e(expected), a(actual);
  std::string el, al;
  for (int line = 1;; ++line) {
    const bool more_e = static_cast<bool>(std::getline(e, el));
    const bool more_a = static_cast<bool>(std::getline(a, al));
    if (!more_e && !more_a) return "no line differs";
    if (el != al || more_e != more_a) {
      return "line " + std::to_string(line) + "\n  expected: " + (more_e ? el : "<end>") +
             "\n  actual:   " + (more_a ? al : "<end>");
    }
  }
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

INSTANTIATE_TEST_SUITE_P(Pages, GoldenTest,
                         ::testing::Values("word_crlf_tabs", "lf_attributes", "quirks_all_boxes",
                                           "cut_off_elements"));

}  // namespace
}  // namespace pelloran::testing
