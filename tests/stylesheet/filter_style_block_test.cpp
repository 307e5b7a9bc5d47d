#include "stylesheet/filter_style_block.h"

#include <gtest/gtest.h>

#include <string>

#include "charfile/in_out_error.h"
#include "stylesheet/keep_table.h"
#include "tests/stylesheet/style_filter_harness.h"

namespace pelloran::testing {
namespace {

constexpr char kClose[] = "</style>after";

std::string Written(std::initializer_list<int> boxes, const std::string& style_text) {
  StyleFilterHarness harness(boxes);
  return harness.Run(style_text).written;
}

TEST(FilterStyleBlockTest, WorkedExampleMergesSharedDeclaration) {
  StyleFilterHarness harness({1, 6, 12});
  const FilterResult result = harness.Run(
      "\r\nh1, h2 { font-family: Arial; color: red; }\r\n"
      "p { color: red; text-align: center; }\r\n</style>after");
  // p lacks font-family, so the merge passes the pair over.
  EXPECT_EQ(result.written,
            "h1, h2 \r\n{ font-family: Arial; color: red;}\r\n"
            "p \r\n{ color: red; text-align: center;}\r\n");
  EXPECT_EQ(result.rest, "/style>after");
}

// The tag's own attributes are written as they stand; the comment opener
// after them is dropped.
TEST(FilterStyleBlockTest, TagAttributesAreWrittenAndCommentOpenerDropped) {
  StyleFilterHarness harness({1});
  const FilterResult result = harness.Run(
      "type=\"text/css\">\r\n<!--\r\nbody { font-family: Arial; }\r\n-->\r\n</style>after",
      StyleTag::kAttributesFollow);
  EXPECT_EQ(result.written, "type=\"text/css\">body \r\n{ font-family: Arial;}\r\n");
  EXPECT_EQ(result.rest, "/style>after");
}

TEST(FilterStyleBlockTest, CommentOpenerIsDroppedOtherLessThanSkipsToFirstBlank) {
  EXPECT_EQ(Written({1}, "\r\n<!--\r\nbody { font-family: Arial; }\r\n-->\r\n</style>"),
            "body \r\n{ font-family: Arial;}\r\n");
  EXPECT_EQ(Written({1}, "\r\n<x\r\nbody { font-family: Arial; }\r\n-->\r\n</style>"),
            " \r\n{ font-family: Arial;}\r\n");
  // With a blank after the opener the selector stays.
  EXPECT_EQ(Written({6}, "\r\n<!-- body { color: red; } -->\r\n</style>"),
            "body \r\n{ color: red;}\r\n");
}

TEST(FilterStyleBlockTest, RuleWithoutSelectorsAndBraceRightAfterASelector) {
  EXPECT_EQ(Written({6}, "{ color: red; }</style>"), " \r\n{ color: red;}\r\n");
  EXPECT_EQ(Written({6}, "p{color:red;}\r\nh1 { color: blue; }\r\n</style>"),
            "p \r\n{ color:red;}\r\nh1 \r\n{ color: blue;}\r\n");
}

TEST(FilterStyleBlockTest, SlashWithoutStarSkipsToTheNextSlash) {
  EXPECT_EQ(Written({6}, "/ x / h1 { color: red; }</style>"), "h1 \r\n{ color: red;}\r\n");
  EXPECT_EQ(Written({6}, "h1 { color: red; }\r\n/* x */\r\n-->\r\nh2 { color: blue; }</style>"),
            "h1 \r\n{ color: red;}\r\nh2 \r\n{ color: blue;}\r\n");
}

TEST(FilterStyleBlockTest, DeclarationsAreWrittenInBoxOrder) {
  EXPECT_EQ(Written({1, 6}, "p { color: red; font-family: Arial; }</style>"),
            "p \r\n{ font-family: Arial; color: red;}\r\n");
}

TEST(FilterStyleBlockTest, DeclarationTextIsKeptAsItStands) {
  EXPECT_EQ(Written({2}, "p {font-size :\r\n\t12pt  ;}</style>"),
            "p \r\n{ font-size :\r\n\t12pt  ;}\r\n");
  // Without a final ";" the declaration ends before the blanks and the "}".
  EXPECT_EQ(Written({6}, "p { color: red }</style>"), "p \r\n{ color: red;}\r\n");
  EXPECT_EQ(Written({6}, "p {\r\n\tcolor:red\r\n\t}</style>"), "p \r\n{ color:red;}\r\n");
}

TEST(FilterStyleBlockTest, RulesKeepingNothingVanish) {
  EXPECT_EQ(Written({6}, "p { margin: 0; }\r\nh1 { color: red; }</style>"),
            "h1 \r\n{ color: red;}\r\n");
  EXPECT_EQ(Written({}, "p { margin: 0; }</style>"), "");
}

TEST(FilterStyleBlockTest, MergeIgnoresCaseOfSelectorsAndDeclarations) {
  EXPECT_EQ(Written({6}, "H1 { color: red; }\r\nh1 { color: red; }</style>"),
            "H1 \r\n{ color: red;}\r\n");
  EXPECT_EQ(Written({6}, "h1 { color: RED; }\r\nh2 { color: Red; }\r\nh3 { color: red; }</style>"),
            "h1, h2, h3 \r\n{ color: RED;}\r\n");
  // Cyrillic in code page 1251, Ё and ё included.
  EXPECT_EQ(Written({1},
                    "a { font-family: \xC0\xF0\xE8\xE0\xEB \xA8; }\r\n"
                    "\xCF { font-family: \xE0\xF0\xE8\xE0\xEB \xB8; }\r\n"
                    "\xEF { font-family: \xE0\xF0\xE8\xE0\xEB \xB8; }</style>"),
            "a, \xCF \r\n{ font-family: \xC0\xF0\xE8\xE0\xEB \xA8;}\r\n");
}

TEST(FilterStyleBlockTest, UnclosedElementWritesNothing) {
  StyleFilterHarness harness({6});
  const FilterResult result = harness.Run("\r\np { color: red; }\r\nh1 { color: blue; }\r\n");
  EXPECT_EQ(result.written, "");
  EXPECT_EQ(result.rest, "");
  EXPECT_EQ(Written({6}, ""), "");
  EXPECT_EQ(Written({6}, " \r\n\t"), "");
}

TEST(FilterStyleBlockTest, OtherLessThanBetweenRulesEndsTheStyleText) {
  StyleFilterHarness harness({6});
  const FilterResult result = harness.Run("p { color: red; }\r\n<b> x\r\n");
  EXPECT_EQ(result.written, "p \r\n{ color: red;}\r\n");
  EXPECT_EQ(result.rest, "b> x\r\n");
}

// The reader takes the buffered input a run at a time; where the runs end
// must not matter. Leading blanks move every construct of the sheet across
// the end of the first buffer-full in turn.
TEST(FilterStyleBlockTest, WhereTheReadBufferEndsMakesNoDifference) {
  const std::string sheet =
      "<!-- x\r\n/* a/b */\r\n@import url(x.css);\r\nh0 { color: black; }\r\n"
      "p.MsoNormal, li.MsoNormal, div.MsoNormal\r\n\t{margin:0cm; font-size:12.0pt; color:red;"
      " background-color: #fff}\r\n-->\r\nh1 a,b   {border-left: solid 1px; padding:0cm 5.4pt <b>;"
      " width: 1px }\r\n/* between */ H2 {color:red; font:bold}\r\n</style>tail";
  TestOptions boxes({29});
  for (const KeepRow& row : kKeepTable) boxes.Tick(row.box);
  StyleFilterHarness reference(boxes);
  const FilterResult expected = reference.Run(sheet);
  ASSERT_EQ(expected.rest, "/style>tail");
  ASSERT_NE(expected.written.find("h1 a, b \r\n{ padding:0cm 5.4pt <b>;"), std::string::npos)
      << expected.written;
  for (size_t blanks = 65536 - sheet.size() - 64; blanks < 65536 + 128; ++blanks) {
    StyleFilterHarness harness(boxes);
    const FilterResult result = harness.Run(std::string(blanks, ' ') + sheet);
    ASSERT_EQ(result.written, expected.written) << blanks;
    ASSERT_EQ(result.rest, expected.rest) << blanks;
  }
}

// Boxes are asked at every rule, so a box ticked while the element is read
// counts from the next rule on.
TEST(FilterStyleBlockTest, ReadsBoxesAtEveryRule) {
  class TicksColorLater : public TestOptions {
   public:
    bool IsTicked(int box) const override { return box == 6 && ++asked_ > 1; }

   private:
    mutable int asked_ = 0;
  };
  TicksColorLater options;
  TestGauge gauge;
  TestLinkCheck link_check;
  CleanContext context(options, gauge, link_check);
  TempDir dir;
  WriteFile(dir / "in", "h1 { color: red; }\r\nh2 { color: blue; }\r\n</style>");
  BindFileName(context.input, dir / "in");
  OpenTextForReading(context.input);
  BindFileName(context.working_copy, dir / "out");
  CreateByteFile(context.working_copy);
  FilterStyleBlock(context, StyleTag::kClosed);
  CloseCharFile(context.working_copy);
  EXPECT_EQ(ReadFile(dir / "out"), "h2 \r\n{ color: blue;}\r\n");
}

TEST(FilterStyleBlockTest, WriteFailureRaisesInOutError) {
  TestOptions options({6});
  TestGauge gauge;
  TestLinkCheck link_check;
  CleanContext context(options, gauge, link_check);
  TempDir dir;
  WriteFile(dir / "in", "h1 { color: red; }</style>");
  BindFileName(context.input, dir / "in");
  OpenTextForReading(context.input);
  // The working copy was never opened.
  try {
    FilterStyleBlock(context, StyleTag::kClosed);
    FAIL() << "no exception";
  } catch (const EInOutError& error) {
    EXPECT_EQ(error.code(), kFileAccessDenied);
  }
}

}  // namespace
}  // namespace pelloran::testing
