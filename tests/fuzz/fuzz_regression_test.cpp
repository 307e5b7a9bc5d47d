// Replays through the fuzz targets' checks every input that once broke one
// (tests/data/fuzz-regressions/TARGET/), pages cut off inside each construct
// the cleaner knows, and the real pages of the shared corpus.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/page_checks.h"
#include "tests/support/temp_dir.h"

namespace pelloran::fuzzing {
namespace {

namespace fs = std::filesystem;

using Check = std::string (*)(std::string_view);

struct Target {
  const char* name;
  Check check;
};

const Target kTargets[] = {{"page_fuzzer", &CheckWholePage},
                           {"style_block_fuzzer", &CheckStyleBlock}};

// Box choices in front of a page: none, link checking with spans dropped and
// overriding, everything ticked (CheckBox5 then gives way to CheckBox17).
const std::string kPrefixes[] = {std::string(8, '\0'), std::string("\x01\0\x06\0\0\0\0\0", 8),
                                 std::string(8, '\xff')};

TEST(FuzzRegressionTest, SavedFailingInputsNowPass) {
  for (const Target& target : kTargets) {
    const fs::path folder = fs::path(PELLORAN_FUZZ_REGRESSIONS) / target.name;
    if (!fs::is_directory(folder)) continue;
    for (const auto& entry : fs::directory_iterator(folder)) {
      SCOPED_TRACE(entry.path().string());
      EXPECT_EQ(target.check(testing::ReadFile(entry.path().string())), "");
    }
  }
}

TEST(FuzzRegressionTest, PagesCutOffInsideEveryConstruct) {
  const std::string page =
      "<!DOCTYPE html><html><head><meta charset=x><link href=\"s.css\">"
      "<style type=\"text/css\">\r\n<!--\r\n@page { margin: 1cm }\r\n"
      "p.MsoNormal, li.MsoNormal\r\n{ font-family: Arial; color: red; margin: 0 }\r\n"
      "h1 { font-size: 12pt; text-align: center }\r\n-->\r\ntd { color: red </style></head>\r\n"
      "<body><!--[if gte mso 9]><xml>x</xml><![endif]--><p class=MsoNormal style=\"color:red\">"
      "One <span lang=ru>two</span></p><a target=_blank href=\"http://a.example/#x\">x</a>"
      "<a name=\"top\">t</a><img width=1 src=\"i.png\"><script>if (a<b) { x(); }</script>"
      "<noscript>n</noscript><table class=t><tr><td class=c>cell</td></tr></table></body></html>";
  for (const Target& target : kTargets) {
    for (const std::string& prefix : kPrefixes) {
      for (size_t cut = 0; cut <= page.size(); ++cut) {
        const std::string input = prefix + page.substr(0, cut);
        ASSERT_EQ(target.check(input), "") << target.name << " cut at " << cut;
        ASSERT_EQ(target.check(input + '\x1a' + page.substr(cut)), "")
            << target.name << " byte 26 at " << cut;
      }
    }
  }
}

TEST(FuzzRegressionTest, RealPagesKeepEveryPromise) {
  const fs::path pages = fs::path(PELLORAN_CORPUS_DIR) / "pages";
  if (!fs::is_directory(pages)) GTEST_SKIP() << "no corpus at " << pages;
  int checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(pages)) {
    if (!entry.is_regular_file()) continue;
    const std::string page = testing::ReadFile(entry.path().string());
    for (const Target& target : kTargets) {
      for (const std::string& prefix : kPrefixes) {
        EXPECT_EQ(target.check(prefix + page), "") << target.name << " " << entry.path();
      }
    }
    ++checked;
  }
  EXPECT_GT(checked, 100);
}

}  // namespace
}  // namespace pelloran::fuzzing
