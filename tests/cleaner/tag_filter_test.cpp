// The first pass, case by case.

#include "cleaner/tag_filter.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "tests/cleaner/pass_harness.h"

namespace pelloran {
namespace {

using Strings = std::vector<std::string>;

constexpr int kDropSpans = 18;
constexpr int kOverrideButTables = 5;
constexpr int kOverride = 17;

class TagFilterTest : public ::testing::Test {
 protected:
  std::string Filter(std::string_view page) { return harness_.FirstPass(page); }
  void Tick(int box) { harness_.options.Tick(box); }
  Strings UsedSelectors() const { return harness_.tables.used_selectors(); }
  Strings ParagraphKeys() const {
    Strings keys;
    for (const auto& entry : harness_.tables.paragraph_classes()) keys.push_back(entry.key);
    return keys;
  }

  testing::PassHarness harness_;
};

// ---- tag names and the "<" ----

TEST_F(TagFilterTest, BlanksAfterTheOpeningBracketMakeItText) {
  EXPECT_EQ(Filter("a< p>b"), "a< p>b");
  EXPECT_EQ(Filter("<   div id=x>"), "<   div id=x>");
}

TEST_F(TagFilterTest, LoneBracketInTextStaysText) {
  EXPECT_EQ(Filter("a < b and c > d"), "a < b and c > d");
  Tick(kOverride);
  EXPECT_EQ(Filter("a < b and c > d"), "a < b and c > d");
  EXPECT_EQ(UsedSelectors(), Strings{});
}

TEST_F(TagFilterTest, TabsAndLineFeedsEndATagName) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<p\tclass=x>t<br/>"), "<p class=x>t<br/>");
  EXPECT_EQ(ParagraphKeys(), Strings{"p.x"});
  EXPECT_EQ(Filter("<p\rclass=x id=y>"), "<p class=x id=y>");
  EXPECT_EQ(harness_.tables.paragraph_classes()[0].count, 2);
}

TEST_F(TagFilterTest, PageEndingRightAfterTheBracketKeepsIt) {
  EXPECT_EQ(Filter("text<"), "text<");
  EXPECT_EQ(Filter("text<   "), "text<   ");
}

// ---- span tags ----

TEST_F(TagFilterTest, SpanNameStopsAtSpanEvenInsideALongerName) {
  EXPECT_EQ(Filter("<spanner>x"), "<spanner>x");
  Tick(kDropSpans);
  EXPECT_EQ(Filter("<spanner>x"), "x");
}

TEST_F(TagFilterTest, CapitalSpansAreKeptInSmallLettersOrDropped) {
  EXPECT_EQ(Filter("<SPAN class=x>Text</SPAN>"), "<span class=x>Text</SPAN>");
  EXPECT_EQ(Filter("<span>Text</span >"), "<span>Text</span >");
  Tick(kDropSpans);
  EXPECT_EQ(Filter("<SPAN class=x>Text</SPAN>"), "Text");
  EXPECT_EQ(Filter("a<span>b</span >c<span\r\nlang=RU>d</SPAN>"), "abcd");
}

TEST_F(TagFilterTest, KeptSpanEndTagTakesTheDefaultPath) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<span class=x>T</span><span lang=ru>"), "<span class=x>T</span><span lang=ru>");
  EXPECT_EQ(Filter("</SPAN class=z>"), "</SPAN class=z>");
  EXPECT_EQ(UsedSelectors(), Strings{"/SPAN.z"});
}

// ---- comments, declarations and head tags ----

TEST_F(TagFilterTest, ConditionalCommentIsCopiedWholeWithSmallEndMarker) {
  Tick(kOverride);
  Tick(kDropSpans);
  const std::string comment =
      "<!--[if gte mso 9]><xml><o:p class=x style=y><span>!</span></xml><![endif]-->";
  EXPECT_EQ(Filter(comment + "<b id=1 lang=ru>"), comment + "<b id=1>");
  EXPECT_EQ(Filter("<!--[IF x]><b>...</b><![ENDIF]-->t"), "<!--[if x]><b>...</b><![endif]-->t");
  EXPECT_EQ(UsedSelectors(), Strings{});
}

TEST_F(TagFilterTest, CommentsAndDoctypeAreCopied) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<!-- note --><!DOCTYPE html><!--x-->"), "<!-- note --><!DOCTYPE html><!--x-->");
}

TEST_F(TagFilterTest, HtmlMetaAndLinkKeepTheirAttributes) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<html>"), "<html>");
  EXPECT_EQ(Filter("<html lang=ru>"), "<html lang=ru>");
  EXPECT_EQ(Filter("<HTML xmlns:o=\"urn\">"), "<html xmlns:o=\"urn\">");
  EXPECT_EQ(Filter("<META http-equiv=Content-Type content=\"text/html\">"),
            "<meta http-equiv=Content-Type content=\"text/html\">");
  EXPECT_EQ(Filter("<link rel=File-List href=\"a_files/filelist.xml\">"),
            "<link rel=File-List href=\"a_files/filelist.xml\">");
  // A line end after the name becomes a blank.
  EXPECT_EQ(Filter("<meta\r\ncharset=utf-8>"), "<meta \ncharset=utf-8>");
}

// ---- style elements ----

TEST_F(TagFilterTest, StyleElementGoesThroughTheStylesheetFilter) {
  Tick(6);  // color
  EXPECT_EQ(Filter("<style>\r\nh1 { color: red; margin: 0; }\r\n</style>after"),
            "<style>h1 \r\n{ color: red;}\r\n</style>after");
  // The rest of the closing tag is dropped; the end tag comes out in small letters.
  EXPECT_EQ(Filter("<STYLE>\r\nh1 { color: red; }\r\n</STYLE >x"),
            "<style>h1 \r\n{ color: red;}\r\n</style>x");
  EXPECT_TRUE(harness_.run.handled_mark);
}

TEST_F(TagFilterTest, StyleElementCutOffStillGetsItsEndTag) {
  Tick(6);
  EXPECT_EQ(Filter("<style>\r\nh1 { color: red; }"), "<style></style>");
}

// ---- elements copied untouched ----

TEST_F(TagFilterTest, ScriptIsCopiedUntouchedToItsEndTag) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<script>if (a</b) x();</script>"), "<script>if (a</b) x();</script>");
  EXPECT_EQ(Filter("<SCRIPT src=\"a/b.js\"></SCRIPT><p class=q>"),
            "<script src=\"a/b.js\"></script><p class=q>");
  EXPECT_EQ(Filter("<script>d.write('<p class=x><img alt=1 src=\"y\">')</script>"),
            "<script>d.write('<p class=x><img alt=1 src=\"y\">')</script>");
  EXPECT_EQ(ParagraphKeys(), Strings{"p.q"});
}

TEST_F(TagFilterTest, NoscriptIsCopiedUntouched) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<noscript><img width=1 src=\"t.gif\"></NOSCRIPT>"),
            "<noscript><img width=1 src=\"t.gif\"></noscript>");
}

TEST_F(TagFilterTest, TableIsUntouchedWithCheckBox5) {
  Tick(kOverrideButTables);
  const std::string table =
      "<table border=1><tr><td class=x style=\"color:red\">a</td></tr></table>";
  EXPECT_EQ(Filter(table + "<td class=y s=1>"), table + "<td class=y>");
  EXPECT_EQ(UsedSelectors(), Strings{"td.y"});
}

TEST_F(TagFilterTest, NestedTableEndsTheUntouchedCopy) {
  Tick(kOverrideButTables);
  EXPECT_EQ(Filter("<TABLE a=1><table b=2></TABLE><td class=x s=y></table>"),
            "<table a=1><table b=2></table><td class=x></table>");
}

TEST_F(TagFilterTest, TableIsCutDownWithCheckBox17) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<table border=1><tr><td class=x style=\"color:red\">"),
            "<table><tr><td class=x>");
  EXPECT_EQ(UsedSelectors(), Strings{"td.x"});
}

// ---- image tags ----

TEST_F(TagFilterTest, ImageIsReducedToItsSourceAndAltText) {
  EXPECT_EQ(Filter("<img width=10 src=\"a.gif\" alt=\"b\">t"), "<img src=\"a.gif\" alt=\"b\">t");
  EXPECT_EQ(Filter("<IMG SRC=\"A.GIF\" border=0>"), "<img src=\"A.GIF\">");
  EXPECT_EQ(Filter("<img src=a.gif width=3>"), "<img src=a.gif>");  // unquoted: to a blank
}

TEST_F(TagFilterTest, ImageWithoutSourceBecomesBareSrc) {
  EXPECT_EQ(Filter("<img alt=x>after<b>"), "<img src alt=x>after<b>");
  EXPECT_EQ(Filter("<img>after"), "<img src>after");
  EXPECT_EQ(Filter("<IMG\r\nalt=\"y\">z"), "<img src alt=\"y\">z");
}

// ---- link tags and the report ----

TEST_F(TagFilterTest, LinkIsReducedToItsHrefNameAndId) {
  EXPECT_EQ(Filter("<a target=_blank href=\"x.htm\" class=c>go</a>"), "<a href=\"x.htm\">go</a>");
  EXPECT_EQ(Filter("<A name=\"n\" href=\"h\">"), "<a name=\"n\" href=\"h\">");
  EXPECT_EQ(Filter("<a name=top>"), "<a name=top>");
  EXPECT_EQ(Filter("<a>t"), "<a>t");
  EXPECT_EQ(Filter("<a class=x id=y>t"), "<a id=y>t");
}

TEST_F(TagFilterTest, LinkCheckSeesValuesBetweenTheirQuotesAndReportsThem) {
  harness_.options.SetLinkChecking(true);
  harness_.link_check.available["http://x/"] = true;
  EXPECT_EQ(Filter("<a target=_blank href=\"http://x/\" class=c><a href=\"#top\"><a href=\"p#2\">"),
            "<a href=\"http://x/\"><a href=\"#top\"><a href=\"p#2\">");
  // Only the web address is asked; the page has no "top" to lead to.
  EXPECT_EQ(harness_.link_check.asked, (Strings{"http://x/"}));
  EXPECT_EQ(harness_.report(),
            "ext  \"http://x/\"     OK\r\n"
            "     \"#top\"\r\n"
            "     \"p#2\"\r\n");
}

TEST_F(TagFilterTest, OnlyHrefValuesAreCheckedAndReportedAsTheyStand) {
  harness_.options.SetLinkChecking(true);
  EXPECT_EQ(
      Filter("<a name=top><a id=\"x\"><A HREF=http://h/?a&amp;b><a href='http://s/'>"
             "<a href=\"open>"),
      "<a name=top><a id=\"x\"><a href=http://h/?a&amp;b><a href='http://s/'><a href=\"open>");
  EXPECT_EQ(harness_.link_check.asked, (Strings{"http://h/?a&amp;b", "http://s/"}));
  EXPECT_EQ(harness_.report(), "ext  http://h/?a&amp;b\r\next  'http://s/'\r\n");
}

TEST_F(TagFilterTest, NothingIsCheckedWithLinkCheckingOff) {
  EXPECT_EQ(Filter("<a href=\"x.htm\">"), "<a href=\"x.htm\">");
  EXPECT_TRUE(harness_.link_check.asked.empty());
}

// ---- the default path ----

TEST_F(TagFilterTest, WithoutOverridingOtherTagsAreCopied) {
  EXPECT_EQ(Filter("<div class=a id=b><P CLASS=x style=y>"),
            "<div class=a id=b><P CLASS=x style=y>");
  EXPECT_EQ(UsedSelectors(), Strings{});
  EXPECT_EQ(ParagraphKeys(), Strings{});
}

TEST_F(TagFilterTest, ParagraphClassesAreCounted) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<p class=Main style='margin:0'>a<P CLASS=Main>b<p class=x>"),
            "<p class=Main>a<P class=Main>b<p class=x>");
  ASSERT_EQ(ParagraphKeys(), (Strings{"p.Main", "p.x"}));
  EXPECT_EQ(harness_.tables.paragraph_classes()[0].count, 2);
  EXPECT_EQ(UsedSelectors(), Strings{});
}

TEST_F(TagFilterTest, TagsWithoutClassLoseAllAttributes) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<p align=center>t<body lang=RU style=\"x\">"), "<p>t<body>");
  EXPECT_EQ(ParagraphKeys(), Strings{});
}

TEST_F(TagFilterTest, ClassValueKeepsItsQuotes) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<div class=\"box\" lang=a><div class=Wrap><div class=Wrap>"),
            "<div class=\"box\"><div class=Wrap><div class=Wrap>");
  EXPECT_EQ(UsedSelectors(), (Strings{"div.\"box\"", "div.Wrap"}));
}

TEST_F(TagFilterTest, ClassValueEndsAtAnyBlank) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<div class=a\r\nid=b><td CLASS=c\tx>"), "<div class=a id=b><td class=c>");
  EXPECT_EQ(UsedSelectors(), (Strings{"div.a", "td.c"}));
}

TEST_F(TagFilterTest, ClassInsideAnotherValueIsNotTheAttribute) {
  Tick(kOverride);
  EXPECT_EQ(Filter("<td title=class x>"), "<td>");
  EXPECT_EQ(UsedSelectors(), Strings{});
}

// ---- what a reader sees survives ----

struct ReaderCase {
  int box;  // the box ticked besides none, or 0
  const char* page;
  const char* cleaned;
  Strings used_selectors;
  Strings paragraph_keys;
};

// Each case on fresh tables: the exact bytes written and the keys recorded.
TEST(TagFilterReaderTest, TextControlsAndWellFormedMarkupSurvive) {
  const ReaderCase cases[] = {
      // A quoted class value with blanks is written whole; the key stops at the blank.
      {kOverride,
       "<div class=\"tagline desktoponly\" id=t>Small. Fast.",
       "<div class=\"tagline desktoponly\" id=t>Small. Fast.",
       {"div.\"tagline"},
       {}},
      {kOverride, "<p class='a b c' style=\"x\">t", "<p class='a b c'>t", {}, {"p.'a"}},
      {kOverride, "<div class=\"a \">t", "<div class=\"a \">t", {"div.\"a"}, {}},
      {kOverride, "<DIV CLASS=\"a\tb\">", "<DIV class=\"a\tb\">", {"DIV.\"a"}, {}},
      {kOverride, "<div class=\"a >b\" c>x", "<div class=\"a >b\">x", {"div.\"a"}, {}},
      {kOverride, "<div class='a b\" c' d>x", "<div class='a b\" c'>x", {"div.'a"}, {}},
      {kOverride, "<div class=\"a\"b c>x", "<div class=\"a\"b>x", {"div.\"a\"b"}, {}},
      {kOverride, "<div class=\"a b", "<div class=\"a b", {"div.\"a"}, {}},
      // Attribute names count only where a name can stand.
      {kOverride, "<td title=\"abcclass\">t", "<td>t", {}, {}},
      {kOverride, "<td title=abcclass class=k>", "<td class=k>", {"td.k"}, {}},
      {kOverride, "<td style=\"a:b\" class=k>", "<td class=k>", {"td.k"}, {}},
      {0,
       "<a onclick=\"window.open(this.href); return false;\" title=\"t\">click here</a>",
       "<a>click here</a>",
       {},
       {}},
      {0,
       "<a class=\"list-group-item\" data-id=\"menu.name\" href=\"m.htm\">Menus</a>",
       "<a href=\"m.htm\">Menus</a>",
       {},
       {}},
      {0, "<a title = 'href' name=n>", "<a name=n>", {}, {}},
      {0, "<a\r\nhref=\"x\">", "<a href=\"x\">", {}, {}},
      {0,
       "<img alt=\"a src\" data-src=\"x\" src=\"a.gif\">",
       "<img src=\"a.gif\" alt=\"a src\">",
       {},
       {}},
      // Form controls, frames and image maps keep their attributes; no class is recorded.
      {kOverride,
       "<input type=\"radio\" name=\"u\" value=\"1\" checked>",
       "<input type=\"radio\" name=\"u\" value=\"1\" checked>",
       {},
       {}},
      {kOverride, "<INPUT TYPE=checkbox class=big>", "<INPUT TYPE=checkbox class=big>", {}, {}},
      {kOverride,
       "<select name=s class=x><option value=1 selected>One</option></select>",
       "<select name=s class=x><option value=1 selected>One</option></select>",
       {},
       {}},
      {kOverride,
       "<textarea rows=3 class=t>x</textarea><button type=submit>Go</button>",
       "<textarea rows=3 class=t>x</textarea><button type=submit>Go</button>",
       {},
       {}},
      {kOverride,
       "<form action=\"a.php\" method=post><label for=u>U</label></form>",
       "<form action=\"a.php\" method=post><label for=u>U</label></form>",
       {},
       {}},
      {kOverride,
       "<iframe src=\"f.htm\" class=w></iframe><frame src=a.htm name=m>",
       "<iframe src=\"f.htm\" class=w></iframe><frame src=a.htm name=m>",
       {},
       {}},
      {kOverride,
       "<map name=m><area shape=rect coords=\"0,0,1,1\" href=x.htm></map>",
       "<map name=m><area shape=rect coords=\"0,0,1,1\" href=x.htm></map>",
       {},
       {}},
      {kOverride,
       "<Input type=x class=y><inputs class=z>",
       "<Input type=x class=y><inputs class=z>",
       {"inputs.z"},
       {}},
      // Processing instructions and self-closing tags stay well-formed.
      {kOverride,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n",
       {},
       {}},
      {kOverride, "a<br />b<hr size=1 / >c", "a<br/>b<hr>c", {}, {}},
      {0, "a<br />b", "a<br />b", {}, {}},
      {0,
       "<img src=\"a.gif\" /><img alt=\"x\" /><IMG SRC=\"b\">",
       "<img src=\"a.gif\"/><img src alt=\"x\"/><img src=\"b\">",
       {},
       {}},
      {0,
       "<a id=\"t\" /><a href=\"x\" /><a name=n / >",
       "<a id=\"t\"/><a href=\"x\"/><a name=n>",
       {},
       {}},
      {kOverride,
       "<div class=x /><div class=x / ><div class=x/>",
       "<div class=x/><div class=x><div class=x/>",
       {"div.x", "div.x/"},
       {}},
      {kOverride, "<hr class=\"a b\" />", "<hr class=\"a b\"/>", {"hr.\"a"}, {}},
      {kOverride, "<p class=x />", "<p class=x/>", {}, {"p.x"}},
  };
  for (const ReaderCase& c : cases) {
    SCOPED_TRACE(c.page);
    testing::PassHarness harness;
    if (c.box != 0) harness.options.Tick(c.box);
    EXPECT_EQ(harness.FirstPass(c.page), c.cleaned);
    EXPECT_EQ(harness.tables.used_selectors(), c.used_selectors);
    Strings keys;
    for (const auto& entry : harness.tables.paragraph_classes()) keys.push_back(entry.key);
    EXPECT_EQ(keys, c.paragraph_keys);
  }
}

struct WrittenCase {
  int box;  // the box ticked besides none, or 0
  const char* page;
  const char* cleaned;
};

void ExpectWritten(std::span<const WrittenCase> cases) {
  for (const WrittenCase& c : cases) {
    SCOPED_TRACE(c.page);
    testing::PassHarness harness;
    if (c.box != 0) harness.options.Tick(c.box);
    EXPECT_EQ(harness.FirstPass(c.page), c.cleaned);
  }
}

// Link tags keep href, name and id, found in any letter case, in page order.
TEST(TagFilterWhereReadersGoTest, LinkTagsKeepTheirTargets) {
  const WrittenCase cases[] = {
      {0, "<A HREF=\"overview-tree.html\">T</A>", "<a href=\"overview-tree.html\">T</A>"},
      {0, "<A NAME=\"top\"></A>", "<a name=\"top\"></A>"},
      {0, "<a Href='x.htm' Name=n ID=\"i\">", "<a href='x.htm' name=n id=\"i\">"},
      {0, "<a href=\"x\" NAME=\"y\">", "<a href=\"x\" name=\"y\">"},
      {0, "<a name=\"x\" target=_top href=\"#top\">", "<a name=\"x\" href=\"#top\">"},
      {0, "<a id=\"s2\" class=k>", "<a id=\"s2\">"},
      {kOverride, "<a class=k id=s2 title=\"a > b\">", "<a id=s2>"},
      {0, "<a href = \"x\" href=\"y\" hreflang=en>", "<a href = \"x\">"},
      {0, "<a href=x.htm>", "<a href=x.htm>"},
      {0, "<a href>t", "<a href>t"},
      {0, "<a title=\"x>y\" href=z>t", "<a href=z>t"},
      {0, "<a href=\"x\"name=\"y\">", "<a href=\"x\">"},  // a name only after a blank
      {0, "<a name=\"n\" />", "<a name=\"n\"/>"},
      {0, "<a href=x/>", "<a href=x/>"},  // the "/" is the value's
      {0, "<a href=x />", "<a href=x />"},
      {0, "<a href=x title=y/>", "<a href=x />"},
      {0, "<a href/>", "<a href/>"},
  };
  ExpectWritten(cases);
}

// Images keep their source first, then alt and id in page order.
TEST(TagFilterWhereReadersGoTest, ImagesKeepTheirTextAndId) {
  const WrittenCase cases[] = {
      {0, "<img src=\"logo.png\" alt=\"Kettering Hospital\">",
       "<img src=\"logo.png\" alt=\"Kettering Hospital\">"},
      {0, "<img class=x src=\"a.gif\" width=10 alt=\"Logo\" id=i>",
       "<img src=\"a.gif\" alt=\"Logo\" id=i>"},
      {kOverride, "<IMG ID=i ALT='a > b' SRC=a.gif border=0>", "<img src=a.gif id=i alt='a > b'>"},
      {0, "<img alt=\"\" src=\"a\">", "<img src=\"a\" alt=\"\">"},
      {0, "<img alt=x>", "<img src alt=x>"},
      {0, "<img src=a.gif />", "<img src=a.gif />"},
      {0, "<img Src=\"a\" alt=b/>", "<img src=\"a\" alt=b/>"},  // src in any letter case
  };
  ExpectWritten(cases);
}

// With overriding on, every tag cut to its class keeps its id, in page order.
TEST(TagFilterWhereReadersGoTest, CutTagsKeepTheirId) {
  const WrittenCase cases[] = {
      {kOverride, "<h2 id=\"sec2\" style=\"x\">", "<h2 id=\"sec2\">"},
      {kOverride, "<BASE href=\"http://h/d/\" class=b>", "<BASE href=\"http://h/d/\" class=b>"},
      {kOverride, "<div class=\"box\" id=a>", "<div class=\"box\" id=a>"},
      {kOverride, "<div ID=a lang=ru CLASS=b>", "<div id=a class=b>"},
      {kOverride, "<div class=\"a b\" Id='c' x=1>", "<div class=\"a b\" id='c'>"},
      {kOverride, "<br id=b />", "<br id=b />"},
      {kOverride, "<br class=x id=\"b\" />", "<br class=x id=\"b\"/>"},
      {kOverride, "<td title=\"id=x\" width=1>", "<td>"},
      {kOverride, "<td title=\"a>b\" id=x>", "<td id=x>"},  // a quoted ">" is the value's
  };
  ExpectWritten(cases);
}

// A "<" without a letter, "/", "!" or "?" right after it is text.
TEST(TagFilterWhereReadersGoTest, LoneBracketIsText) {
  const WrittenCase cases[] = {
      {0, "<p>5 < 6 and 7 > 3</p>", "<p>5 < 6 and 7 > 3</p>"},
      {kOverride, "<p>5 < 6 and 7 > 3</p>", "<p>5 < 6 and 7 > 3</p>"},
      {kOverride, "a< p class=x>b", "a< p class=x>b"},
      {0, "x<<b>y<3<=4<\xC0", "x<<b>y<3<=4<\xC0"},
      {0, "a <\tb>", "a <\tb>"},
  };
  ExpectWritten(cases);
}

TEST_F(TagFilterTest, KeptControlsAndProcessingInstructionsAreHandledLikeTheirPaths) {
  Tick(kOverride);
  Filter("<input type=text class=a>");
  EXPECT_FALSE(harness_.run.handled_mark);  // as on the default path
  Filter("<?xml version=\"1.0\"?>");
  EXPECT_TRUE(harness_.run.handled_mark);  // as a declaration
}

// ---- pages cut off ----

TEST_F(TagFilterTest, PageCutOffInsideATagEndsThePass) {
  Tick(kOverride);
  EXPECT_EQ(Filter("a<div class=a id"), "a<div class=a id");
  EXPECT_EQ(Filter("a<div id=x"), "a<div id=x");
  EXPECT_EQ(Filter("<html lang"), "<html lang");
  EXPECT_EQ(Filter("<!-- note"), "<!-- note");
  EXPECT_EQ(Filter("<img alt=1 src=\"a.g"), "<img src=\"a.g alt=1");
  EXPECT_EQ(Filter("<img alt=1"), "<img src alt=1");
  EXPECT_EQ(Filter("<span class="), "<span class=");
}

TEST_F(TagFilterTest, PageCutOffInsideAnElementKeepsWhatWasCopied) {
  EXPECT_EQ(Filter("<script>var a = \"</scr"), "<script>var a = \"</scr");
  EXPECT_EQ(Filter("<!--[if x]><b>x</b><![end"), "<!--[if x]><b>x</b><![end");
  Tick(kOverrideButTables);
  EXPECT_EQ(Filter("<table><tr><td>1</td>"), "<table><tr><td>1</td>");
}

TEST_F(TagFilterTest, PageCutOffInsideALinkValueWritesNoReportLine) {
  harness_.options.SetLinkChecking(true);
  EXPECT_EQ(Filter("<a href=\"x.h"), "<a href=\"x.h");
  EXPECT_EQ(Filter("<a id=1 hr"), "<a id=1");
  EXPECT_EQ(harness_.report(), "");
}

TEST_F(TagFilterTest, EndMarkInsideThePageEndsItAndIsNeverWritten) {
  Tick(kOverride);
  EXPECT_EQ(Filter(std::string("ab\x1A"
                               "cd",
                               5)),
            "ab");
  EXPECT_EQ(Filter(std::string("<p class=x\x1A"
                               "y>",
                               13)),
            "<p class=x");
  EXPECT_EQ(Filter(std::string("<script>a\x1A</script>", 19)), "<script>a");
}

// ---- the gauge ----

TEST_F(TagFilterTest, GaugeStepsAfterEverySpecialTag) {
  // Cycles: "" <a>, "x" <b>, "x" <a>, "y": steps after <a> twice, not after <b>.
  Filter("<a>x<b>x<a>y");
  EXPECT_EQ(harness_.gauge.Progress(), 2);
}

TEST_F(TagFilterTest, GaugeStopsAt95) {
  harness_.gauge.SetProgress(93);
  std::string page;
  for (int i = 0; i < 10; ++i) page += "<html>";
  Filter(page);
  EXPECT_EQ(harness_.gauge.Progress(), 95);
}

TEST_F(TagFilterTest, HandledMarkCarriesIntoTheNextPage) {
  Filter("<img src=\"a\">");
  EXPECT_TRUE(harness_.run.handled_mark);
  EXPECT_EQ(harness_.gauge.Progress(), 0);
  Filter("text");
  EXPECT_EQ(harness_.gauge.Progress(), 1);
  Filter("<i>text");
  EXPECT_FALSE(harness_.run.handled_mark);
}

}  // namespace
}  // namespace pelloran
