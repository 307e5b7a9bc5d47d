// Pages the filter once spoiled: it read past the closing tag, lost sheets
// with bare line feeds, and left a style tag with attributes unclosed.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/stylesheet/style_filter_harness.h"

namespace pelloran::testing {
namespace {

constexpr char kAfter[] = "<p class=x>Text after</p>\r\n</body>";

std::string CleanPage(std::initializer_list<int> boxes, const std::string& page) {
  StyleFilterHarness harness(boxes);
  return harness.CleanPage(page);
}

TEST(ClosingTagTest, EmptyElementLeavesTheRestOfThePage) {
  EXPECT_EQ(CleanPage({6}, std::string("<style></style>") + kAfter),
            std::string("<style></style>") + kAfter);
  EXPECT_EQ(CleanPage({6}, std::string("<style>\r\n</STYLE>") + kAfter),
            std::string("<style></style>") + kAfter);
}

TEST(ClosingTagTest, MinifiedSheetLeavesTheRestOfThePage) {
  EXPECT_EQ(CleanPage({6}, std::string("<style>p{color:red}</style>") + kAfter),
            std::string("<style>p \r\n{ color:red;}\r\n</style>") + kAfter);
  // Complete rules before a cut-off one are still written.
  EXPECT_EQ(
      CleanPage({6}, std::string("<style>h1 { color: red; }\r\np{color:red</style>") + kAfter),
      std::string("<style>h1 \r\n{ color: red;}\r\n</style>") + kAfter);
}

TEST(ClosingTagTest, SlashCommentLastLeavesTheRestOfThePage) {
  EXPECT_EQ(
      CleanPage({6},
                std::string("<style>\r\nh1 { color: red; }\r\n/* see a/b */\r\n</style>") + kAfter),
      std::string("<style>h1 \r\n{ color: red;}\r\n</style>") + kAfter);
}

TEST(ClosingTagTest, NoSkipOrBlockRunsPastIt) {
  const std::vector<std::string> cut_off = {
      "<!--</style>",                       // leading skip to a blank
      "/* comment </style>",                // leading skip to a slash
      "@import x; </style>",                // at-rule skip
      "h1 { color: red; </style>",          // block text
      "h1 { color: red; }\r\n- </style>",   // skip to ">"
      "h1 { color: red; }\r\n@x </style>",  // at-rule skip between rules
  };
  for (const std::string& sheet : cut_off) {
    StyleFilterHarness harness({6, 29});
    const FilterResult result = harness.Run(sheet + kAfter);
    EXPECT_EQ(result.rest, std::string("/style>") + kAfter) << sheet;
  }
  // Between rules the first complete rule still comes out.
  StyleFilterHarness harness({6, 29});
  EXPECT_EQ(harness.Run("h1 { color: red; }\r\n@x </style>").written, "h1 \r\n{ color: red;}\r\n");
}

// Whatever the style text holds, cut off anywhere, the filter stops at the
// closing tag and never reads the page after it.
TEST(ClosingTagTest, EveryCutOffStopsAtTheClosingTag) {
  const std::vector<std::string> sheets = {
      "type=\"text/css\">\r\n<!--\r\nbody { font-family: Arial; }\r\n-->\r\n",
      "\r\n/* see a/b */\r\n@import url(a.css);\r\nh1, h2 { color: red }\r\n-->\r\n",
      "\n<!-- p\n{ color: red; }\n@media screen { h1 { color: blue; } }\n",
  };
  for (const std::string& sheet : sheets) {
    for (size_t cut = 0; cut <= sheet.size(); ++cut) {
      StyleFilterHarness harness({1, 6, 29});
      const FilterResult result = harness.Run(sheet.substr(0, cut) + "</style>" + kAfter);
      ASSERT_EQ(result.rest, std::string("/style>") + kAfter) << sheet.substr(0, cut);
      ASSERT_EQ(result.written.find("Text after"), std::string::npos);
    }
  }
}

// At the real end of the input nothing of the element is written.
TEST(ClosingTagTest, EveryCutOffAtTheEndOfInputWritesNothing) {
  const std::string sheet =
      "type=\"text/css\">\r\n<!--\r\n/* a */ body { font-family: Arial; }\r\n"
      "@import x; h1 ,h2 { color: red }\r\n- -->\r\n";
  for (size_t cut = 0; cut <= sheet.size(); ++cut) {
    StyleFilterHarness harness({1, 6, 29});
    const FilterResult result = harness.Run(sheet.substr(0, cut));
    ASSERT_EQ(result.written, "") << sheet.substr(0, cut);
    ASSERT_EQ(result.rest, "");
  }
}

TEST(LineFeedTest, LineFeedSheetKeepsRulesLikeItsCrLfTwin) {
  const std::string lf =
      "\n<!-- \nh1\n{ color: red; }\np.x, div\n{ color: blue; margin: 0 }\n-->\n";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string expected =
      "<style>h1 \r\n{ color: red;}\r\np.x, div \r\n{ color: blue; margin: 0;}\r\n</style>";
  EXPECT_EQ(CleanPage({6, 14}, "<style>" + lf + "</style>" + kAfter), expected + kAfter);
  EXPECT_EQ(CleanPage({6, 14}, "<style>" + crlf + "</style>" + kAfter), expected + kAfter);
}

TEST(StartTagTest, AttributesAreWrittenWholeWhateverTheRulesKeep) {
  EXPECT_EQ(CleanPage({6}, std::string("<style type=\"text/css\">\r\np { margin: 0; }\r\n"
                                       "h1 { color: red; }\r\n</style>") +
                               kAfter),
            std::string("<style type=\"text/css\">h1 \r\n{ color: red;}\r\n</style>") + kAfter);
  // No rule written at all.
  EXPECT_EQ(CleanPage({6}, std::string("<style type=\"text/css\" media=\"all\">\r\n"
                                       "p { margin: 0; }\r\n</style>") +
                               kAfter),
            std::string("<style type=\"text/css\" media=\"all\"></style>") + kAfter);
  EXPECT_EQ(CleanPage({6}, std::string("<style >p{margin:0}</style>") + kAfter),
            std::string("<style ></style>") + kAfter);
  // A ">" inside a quoted value does not end the tag.
  EXPECT_EQ(CleanPage({6}, std::string("<style title=\"a>b\">p{color:red}</style>") + kAfter),
            std::string("<style title=\"a>b\">p \r\n{ color:red;}\r\n</style>") + kAfter);
}

TEST(StartTagTest, ChildCombinatorIsNoTagCloser) {
  EXPECT_EQ(CleanPage({6}, std::string("<style>\r\ndiv > p { margin: 0; }\r\nh1 { color: red; }\r\n"
                                       "</style>") +
                               kAfter),
            std::string("<style>h1 \r\n{ color: red;}\r\n</style>") + kAfter);
}

TEST(StartTagTest, EndOfInputWritesNoCloser) {
  StyleFilterHarness harness({6});
  EXPECT_EQ(harness.Run("type=\"text/css\">\r\np { margin: 0; }\r\n").written, "");
}

}  // namespace
}  // namespace pelloran::testing
