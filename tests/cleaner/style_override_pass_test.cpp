// The second pass: dominance, paragraph tags and the style element's rules.

#include "cleaner/style_override_pass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cleaner/pass_harness.h"

namespace pelloran {
namespace {

using Strings = std::vector<std::string>;

constexpr int kOverride = 17;

// A rule as the stylesheet filter writes it.
std::string Rule(std::string_view selectors, std::string_view declarations) {
  return std::string(selectors) + " \r\n{ " + std::string(declarations) + ";}\r\n";
}

std::string Style(std::string_view rules) { return "<style>" + std::string(rules) + "</style>"; }

class StyleOverridePassTest : public ::testing::Test {
 protected:
  void Count(std::string_view key, int times) {
    for (int i = 0; i < times; ++i) harness_.tables.CountParagraphClass(key);
  }
  std::string Override(std::string_view page) { return harness_.OverridePass(page); }
  std::string First(std::string_view page) { return harness_.FirstPass(page); }
  const Strings& UsedSelectors() const { return harness_.tables.used_selectors(); }

  testing::PassHarness harness_;
};

const std::string kMainXY =
    Rule("p.Main", "color: red") + Rule("p.x", "color: blue") + Rule("p.y", "color: green");

// ---- dominance ----

TEST_F(StyleOverridePassTest, ClassAboveFortyPercentDominates) {
  Count("p.Main", 5);
  Count("p.x", 2);
  Count("p.y", 1);
  EXPECT_EQ(Override(Style(kMainXY) + "<p class=Main>T</p>"),
            Style(Rule("p", "color: red")) + "<p>T</p>");
  EXPECT_EQ(harness_.run.dominant_class, "p.Main");
  EXPECT_EQ(UsedSelectors(), (Strings{"p.Main", "a", "A", "img", "IMG"}));
}

TEST_F(StyleOverridePassTest, ExactlyFortyPercentIsNotEnough) {
  Count("p.a", 2);
  Count("p.b", 2);
  Count("p.c", 1);
  // Every key is in use now, but paragraph-class selectors are never written:
  // a rule left without a selector to write is dropped whole.
  EXPECT_EQ(Override(Style(Rule("p.a", "color: red") + Rule("p.b, div.k", "margin: 0"))),
            Style(Rule("div.k", "margin: 0")));
  EXPECT_EQ(harness_.run.dominant_class, "");
  EXPECT_EQ(UsedSelectors(), (Strings{"p.a", "p.b", "p.c", "a", "A", "img", "IMG"}));
}

TEST_F(StyleOverridePassTest, LaterOfTwoDominantClassesWins) {
  Count("p.one", 1);
  Count("p.two", 1);
  EXPECT_EQ(Override(Style(Rule("p.one", "color: red") + Rule("p.two", "color: blue"))),
            Style(Rule("p", "color: blue")));
  EXPECT_EQ(harness_.run.dominant_class, "p.two");
  EXPECT_EQ(UsedSelectors(), (Strings{"p.one", "p.two", "a", "A", "img", "IMG"}));
}

TEST_F(StyleOverridePassTest, PageWithoutClassesKeepsOnlyLinkAndImageRules) {
  const std::string rules = Rule("a", "color: red") + Rule("h1", "font-size: 2em") +
                            Rule("IMG", "border: 0") + Rule("div.k", "margin: 0");
  EXPECT_EQ(Override(Style(rules)), Style(Rule("a", "color: red") + Rule("IMG", "border: 0")));
  EXPECT_EQ(UsedSelectors(), (Strings{"a", "A", "img", "IMG"}));
  Override("");
  EXPECT_EQ(UsedSelectors().size(), 8u);  // added again for every page
}

TEST_F(StyleOverridePassTest, DominanceCountsEveryPageSoFar) {
  harness_.options.Tick(kOverride);
  First("<p class=x>a<p class=y>b");
  EXPECT_EQ(Override(Style(Rule("p.x", "color: red"))), Style(""));
  First("<p class=x>c");  // x now has 2 of 3
  EXPECT_EQ(Override(Style(Rule("p.x", "color: red"))), Style(Rule("p", "color: red")));
}

// ---- rules and their selectors ----

TEST_F(StyleOverridePassTest, RuleSurvivesWhenAnEarlierPageUsedItsClass) {
  harness_.options.Tick(kOverride);
  First("<div class=Wrap>x</div>");
  EXPECT_EQ(Override(Style(Rule("div.Wrap", "margin: 0") + Rule("h1", "color: red"))),
            Style(Rule("div.Wrap", "margin: 0")));
}

TEST_F(StyleOverridePassTest, QuotedClassNeverMatches) {
  harness_.options.Tick(kOverride);
  First("<div class=\"box\">x</div>");
  EXPECT_EQ(Override(Style(Rule("div.box", "margin: 0"))), Style(""));
}

TEST_F(StyleOverridePassTest, EveryOtherSelectorOfAKeptRuleIsWritten) {
  Count("p.Main", 3);
  Count("p.x", 1);
  harness_.tables.AddUsedSelectorOnce("td.c");
  EXPECT_EQ(Override(Style(Rule("h1, p.x, td.c, p.Main, P.Main", "color: red"))),
            Style(Rule("h1, td.c, p, P.Main", "color: red")));
}

TEST_F(StyleOverridePassTest, DroppedRuleLeavesNothingBehind) {
  EXPECT_EQ(
      Override("<style>\r\n" + Rule("h1, h2", "color: red") + Rule("", "color: red") + "</style>x"),
      "<style></style>x");
}

TEST_F(StyleOverridePassTest, TokensEndAtTabsAndLineEnds) {
  harness_.tables.AddUsedSelectorOnce("div.x");
  EXPECT_EQ(Override("<style>div.x\n{ color: red;}\n</style>"), Style(Rule("div.x", "color: red")));
  EXPECT_EQ(Override("<style>\r\n\tdiv.x\t{ color: red;}\r\n</style>"),
            Style(Rule("div.x", "color: red")));
}

TEST_F(StyleOverridePassTest, BlockNeverReadsPastTheEndTag) {
  harness_.tables.AddUsedSelectorOnce("div.x");
  // An unfiltered block without its "}": the rule is dropped, the page goes on.
  EXPECT_EQ(Override("<style>div.x {color:red</STYLE><p class=a>T}<b>"), "<style></STYLE><p>T}<b>");
  EXPECT_EQ(Override("<style>div.x {content: '<b>'}</style>"),
            Style("div.x \r\n{content: '<b>'}\r\n"));
}

// ---- tags ----

TEST_F(StyleOverridePassTest, ParagraphTagsLoseEverythingButTheirId) {
  EXPECT_EQ(Override("<p class=Main>Text</p><p>Text<P align=center>x<p\r\nclass=y>< p>"),
            "<p>Text</p><p>Text<p>x<p>< p>");
  EXPECT_EQ(Override("<p id=\"s2\" class=x><P ID=a class=b/><p class=x ID=c />"),
            "<p id=\"s2\"><p id=a /><p id=c />");
}

TEST_F(StyleOverridePassTest, SelfClosingParagraphTagsStaySelfClosing) {
  EXPECT_EQ(Override("<p class=x />a<P />b<p / >c<p\r\nclass=x/>d"), "<p/>a<p/>b<p>c<p/>d");
  // Through both passes, the first keeping the "/" with the class value.
  harness_.options.Tick(kOverride);
  EXPECT_EQ(harness_.Clean("<p class=x />t"), "<p/>t");
}

TEST_F(StyleOverridePassTest, OtherTagsAreCopiedUnchanged) {
  EXPECT_EQ(Override("<div class=x id=d><td class=y>a<br/><span lang=ru><!-- c -->5 < 6"),
            "<div class=x id=d><td class=y>a<br/><span lang=ru><!-- c -->5 < 6");
}

TEST_F(StyleOverridePassTest, StyleInsideConditionalCommentIsNotFiltered) {
  const std::string comment = "<!--[if gte mso 9]><style>h1 {x}</style><p class=a><![endif]-->";
  EXPECT_EQ(Override(comment + "<p class=b>"), comment + "<p>");
}

TEST_F(StyleOverridePassTest, ScriptAndNoscriptAreCopiedUntouched) {
  const std::string script =
      "<script>s = '<p class=a>' + \"<style>h1 {}</style>\";</script>"
      "<noscript><p class=b><style>a {}</style></noscript>";
  EXPECT_EQ(Override(script + "<p class=c>"), script + "<p>");
}

TEST_F(StyleOverridePassTest, PageCutOffEndsThePass) {
  harness_.tables.AddUsedSelectorOnce("div.x");
  EXPECT_EQ(Override("a<p class=x"), "a<p");
  EXPECT_EQ(Override("<style>div.x \r\n{ color: red;"), "<style>");
  EXPECT_EQ(Override("<style>div.x"), "<style>");
  EXPECT_EQ(Override("<script>a</scr"), "<script>a</scr");
  EXPECT_EQ(Override("<div"), "<div");
}

}  // namespace
}  // namespace pelloran
