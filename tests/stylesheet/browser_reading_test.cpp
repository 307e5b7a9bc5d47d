// The style text read the way a browser reads it: one table of byte-exact
// cases per rule of the reading, the merge and the write.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/stylesheet/style_filter_harness.h"

namespace pelloran::testing {
namespace {

struct Case {
  std::vector<int> boxes;
  std::string input;  // the style text, "</style>" added
  std::string expected;
  StyleTag tag = StyleTag::kClosed;
};

void Check(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    TestOptions options;
    for (int box : c.boxes) options.Tick(box);
    StyleFilterHarness harness(options);
    const FilterResult result = harness.Run(c.input + "</style>after", c.tag);
    EXPECT_EQ(result.written, c.expected) << c.input;
    EXPECT_EQ(result.rest, "/style>after") << c.input;
  }
}

constexpr auto kTagOpen = StyleTag::kAttributesFollow;

TEST(BrowserReadingTest, StyleTextStartsAfterTheStyleTag) {
  Check({
      {{1},
       "type=\"text/css\">\n/* Default font. */\nbody { font-family: Georgia,serif; }\n",
       "type=\"text/css\">body \r\n{ font-family: Georgia,serif;}\r\n",
       kTagOpen},
      {{6},
       "type=\"text/css\">\r\n<!--\r\nh1 { color: red; }\r\n-->\r\n",
       "type=\"text/css\">h1 \r\n{ color: red;}\r\n",
       kTagOpen},
      {{6}, "media=\"screen\" >p { margin: 0 }", "media=\"screen\" >", kTagOpen},
      {{6}, ">\n<!--\nh1 { color: red; }\n-->\n", ">h1 \r\n{ color: red;}\r\n", kTagOpen},
  });
}

TEST(BrowserReadingTest, CommentsAreNothing) {
  Check({
      {{6}, "h1 /* a */, /* b */ h2 { color: red; }", "h1, h2 \r\n{ color: red;}\r\n"},
      {{6}, "p { /* color: blue; */ color: red; }", "p \r\n{ color: red;}\r\n"},
      {{6}, "p { color: /* x */ red; }", "p \r\n{ color:  red;}\r\n"},
      {{6}, "/* see a/b */ h1 { color: red; }", "h1 \r\n{ color: red;}\r\n"},
      {{6},
       "h1 { color: red; }\r\n/* } x { */\r\nh2 { color: blue; }",
       "h1 \r\n{ color: red;}\r\nh2 \r\n{ color: blue;}\r\n"},
      {{6}, "p { background: \"/* no */\"; color: red }", "p \r\n{ color: red;}\r\n"},
      // Comment markers between rules too.
      {{6},
       "img { color: red; }\r\n<!--\r\np { color: blue; }\r\n-->",
       "img \r\n{ color: red;}\r\np \r\n{ color: blue;}\r\n"},
  });
}

TEST(BrowserReadingTest, AtRulesWhole) {
  const std::string media = "@media print { h1 { color: black } p { font-size: 10pt } }";
  const std::string font_face = "@font-face { font-family: X; src: url(x.woff); }";
  Check({
      {{2, 6, 29}, media + "\r\nh2 { color: red; }", "h2 \r\n{ color: red;}\r\n"},
      {{2, 6}, media + "\r\nh2 { color: red; }", media + "\r\nh2 \r\n{ color: red;}\r\n"},
      {{1, 29}, font_face + "\r\np { font-family: X; }", "p \r\n{ font-family: X;}\r\n"},
      {{1},
       font_face + "\r\np { font-family: X; }",
       font_face + "\r\np \r\n{ font-family: X;}\r\n"},
      {{6, 29},
       "@import url(a.css);\r\nh1 { color: blue; }\r\nh2 { color: green; }",
       "h1 \r\n{ color: blue;}\r\nh2 \r\n{ color: green;}\r\n"},
      {{6},
       "@import url(a.css);\r\nh1 { color: blue; }",
       "@import url(a.css);\r\nh1 \r\n{ color: blue;}\r\n"},
      // Braces in strings and comments do not count.
      {{6, 29},
       "@media x { p { content: \"}\" } /* } */ }\r\nh1 { color: red; }",
       "h1 \r\n{ color: red;}\r\n"},
      // No declaration is merged across an at-rule that is kept.
      {{6},
       "a { color: red; }\r\n@media print { b { color: blue } }\r\nc { color: red; }",
       "a \r\n{ color: red;}\r\n@media print { b { color: blue } }\r\nc \r\n{ color: red;}\r\n"},
      {{6, 29},
       "a { color: red; }\r\n@media print { b { color: blue } }\r\nc { color: red; }",
       "a, c \r\n{ color: red;}\r\n"},
  });
}

TEST(BrowserReadingTest, KeepTestFindsDeclarations) {
  Check({
      {{6}, "p { background-color: #fff; color: red; }", "p \r\n{ color: red;}\r\n"},
      {{1, 6}, "P { COLOR: red; Font-Family: x; }", "P \r\n{ Font-Family: x; COLOR: red;}\r\n"},
      {{6}, "p { color: red; color: blue; }", "p \r\n{ color: blue;}\r\n"},
      {{54}, "p { border-width: 1px; width: 5em; }", "p \r\n{ width: 5em;}\r\n"},
      {{14}, "p { margin-top: 1px; }", ""},
      {{6}, "p { color : red }", "p \r\n{ color : red;}\r\n"},
      {{7}, "p { background: url(\"a;b.png\") }", "p \r\n{ background: url(\"a;b.png\");}\r\n"},
      {{7}, "p { background: url(a;b.png); }", "p \r\n{ background: url(a;b.png);}\r\n"},
      {{6}, "p { xcolor: red; color-x: 1; color red; }", ""},
  });
}

TEST(BrowserReadingTest, EachBoxKeepsItsCaptionsProperty) {
  Check({
      {{20},
       "p { background-color: #fff; background-image: url(a.png); }",
       "p \r\n{ background-image: url(a.png);}\r\n"},
      {{25}, "p { font: 12px Arial; font-family: X; }", "p \r\n{ font: 12px Arial;}\r\n"},
      {{25}, "p { font-family: Webfont; font-size: 2px; }", ""},
      {{48}, "p { border-style: solid; border-color: red; }", "p \r\n{ border-style: solid;}\r\n"},
      {{53}, "p { border-left: 1px; border: 2px solid; }", "p \r\n{ border: 2px solid;}\r\n"},
  });
}

TEST(BrowserReadingTest, SelectorsWhole) {
  Check({
      {{6}, "div p { color: red; }", "div p \r\n{ color: red;}\r\n"},
      {{6},
       "div > span.x, a[title=\"x, y\"], li:not(.a, .b) { color: red; }",
       "div > span.x, a[title=\"x, y\"], li:not(.a, .b) \r\n{ color: red;}\r\n"},
      {{6}, "h1 ,h2 { color: red; }", "h1, h2 \r\n{ color: red;}\r\n"},
      {{6}, "h1\r\n\t+  p\r\n{ color: red; }", "h1 + p \r\n{ color: red;}\r\n"},
  });
}

TEST(BrowserReadingTest, MergeChangesNothingABrowserComputes) {
  Check({
      // Passed over: code would turn italic.
      {{4, 6},
       "em { font-style: italic; color: navy; }\r\ncode { color: navy; }",
       "em \r\n{ font-style: italic; color: navy;}\r\ncode \r\n{ color: navy;}\r\n"},
      // Still merged: em keeps everything code keeps.
      {{4, 6},
       "code { color: navy; }\r\nem { font-style: italic; color: navy; }",
       "code, em \r\n{ color: navy;}\r\nem \r\n{ font-style: italic;}\r\n"},
      // A rule between that sets the property blocks the merge, one that
      // does not lets it through.
      {{6},
       "a { color: red; }\r\nb { color: blue; }\r\nc { color: red; }",
       "a \r\n{ color: red;}\r\nb \r\n{ color: blue;}\r\nc \r\n{ color: red;}\r\n"},
      {{6, 14},
       "a { color: red; }\r\nb { margin: 0; }\r\nc { color: red; }",
       "a, c \r\n{ color: red;}\r\nb \r\n{ margin: 0;}\r\n"},
      {{14, 34},
       "a { margin-top: 0; }\r\nb { margin: 5px; }\r\nc { margin-top: 0; }",
       "a \r\n{ margin-top: 0;}\r\nb \r\n{ margin: 5px;}\r\nc \r\n{ margin-top: 0;}\r\n"},
  });
}

TEST(BrowserReadingTest, ShorthandsKeepTheirPlace) {
  Check({
      {{7, 26},
       "p { background-color: red; background: url(x.png); }",
       "p \r\n{ background-color: red; background: url(x.png);}\r\n"},
      {{7, 26},
       "p { background: url(x.png); background-color: red; }",
       "p \r\n{ background: url(x.png); background-color: red;}\r\n"},
      {{1, 6},
       "p { color: red; font-family: Arial; }",
       "p \r\n{ font-family: Arial; color: red;}\r\n"},
      {{2, 25, 33},
       "p { line-height: 2; font: 12px Arial; font-size: 3px }",
       "p \r\n{ line-height: 2; font: 12px Arial; font-size: 3px;}\r\n"},
      {{46, 52},
       "p { border-left: 1px solid; border-width: 2px; }",
       "p \r\n{ border-left: 1px solid; border-width: 2px;}\r\n"},
  });
}

}  // namespace
}  // namespace pelloran::testing
