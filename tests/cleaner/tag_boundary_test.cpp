// Where a tag's name and attributes end, and what a tag dropped or cut off
// by the end of the page leaves for a reader: both passes, byte for byte.

#include <gtest/gtest.h>

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "tests/cleaner/pass_harness.h"

namespace pelloran {
namespace {

constexpr int kColor = 6;
constexpr int kOverrideButTables = 5;
constexpr int kOverride = 17;
constexpr int kDropSpans = 18;

struct PageCase {
  std::initializer_list<int> ticked;
  const char* page;
  const char* cleaned;  // by both passes, as the clean run chains them; null: as it was
  bool office = false;  // the switch "служебная разметка Office"
};

// In a page, "%" stands for the characters after a tag's name; in what is
// written, "%" for the same and "^" for them with their first one a space.
std::string Fill(std::string_view text, std::string_view after_name) {
  std::string filled;
  for (char c : text) {
    if (c == '%') {
      filled += after_name;
    } else if (c == '^') {
      filled += ' ';
      filled += after_name.substr(1);
    } else {
      filled += c;
    }
  }
  return filled;
}

void ExpectCleaned(std::span<const PageCase> cases, std::string_view after_name = "") {
  for (const PageCase& c : cases) {
    const std::string page = Fill(c.page, after_name);
    SCOPED_TRACE(page);
    testing::PassHarness harness;
    for (int box : c.ticked) harness.options.Tick(box);
    harness.options.SetOfficeMarkupDropped(c.office);
    EXPECT_EQ(harness.Clean(page), c.cleaned == nullptr ? page : Fill(c.cleaned, after_name));
  }
}

// Every case that looks at a tag's name finds it ended by any blank, "/" or
// ">", in either letter case, with overriding on and off.
TEST(TagBoundaryTest, NameEndsAtAnyBlank) {
  const PageCase cases[] = {
      {{}, "<A%HREF=\"y.html\" CLASS=k>T</A>", "<a href=\"y.html\">T</A>"},
      {{kOverride}, "<a%href=y.html%class=k>T</a>", "<a href=y.html>T</a>"},
      {{}, "<img%src=\"i.png\" alt=\"I\" width=3>", "<img src=\"i.png\" alt=\"I\">"},
      {{kOverride}, "<IMG%SRC=i.png%ALT=I>", "<img src=i.png alt=I>"},
      {{kOverride}, "<BASE%href=\"http://h/d/\" class=b>", nullptr},
      {{kOverride}, "<form%action=a.php><input%type=checkbox checked class=c></form>", nullptr},
      {{}, "<p%class=x id=y>t", nullptr},
      {{kOverride}, "<P%ID=a class=b>t", "<p id=a>t"},
      {{kOverride}, "<div%class=w%id=d>", "<div class=w id=d>"},
      {{kOverride},
       "<table%border=1><tr%align=left><td>1</td></table>",
       "<table><tr><td>1</td></table>"},
      {{kOverrideButTables},
       "<TABLE%border=1><tr><td class=x style=y>1</td></TABLE>",
       "<table%border=1><tr><td class=x style=y>1</td></table>"},
      {{kOverride}, "<meta%charset=utf-8><LINK%rel=x>", "<meta^charset=utf-8><link^rel=x>"},
      {{kColor},
       "<style%type=\"text/css\">p { color: red }</style>",
       "<style%type=\"text/css\">p \r\n{ color: red;}\r\n</style>"},
      {{kDropSpans}, "a<SPAN%class=k>b</SPAN%>c</span>", "abc"},
      {{kDropSpans, kOverride}, "a<span%id=s>b</span%>c", "a<span id=s></span>bc"},
      {{kOverride}, "<o:p%class=k>x</o:p%>y", "xy", true},
  };
  for (std::string_view after_name :
       {"\n", "\r\n", "\r", "\t", "\x0B", "\x0C", "\x01", "\x1F", " \t"}) {
    SCOPED_TRACE(::testing::PrintToString(std::string(after_name)));
    ExpectCleaned(cases, after_name);
  }
}

// Where tags end and what a tag dropped or cut off leaves, each case a rule
// a browser follows.
TEST(TagBoundaryTest, WhatABrowserReads) {
  const PageCase cases[] = {
      // "/" ends a name too; a tag that closed itself stays so.
      {{}, "<a/href=x>t<img/src=i.png>", "<a href=x>t<img src=i.png>"},
      {{kOverride}, "<br/><p/><a/><div/class=k>", "<br/><p/><a/><div class=k>"},
      {{kOverride}, "<meta/><IMG/>", "<meta/><img src/>"},
      {{}, "<!--a/b--><?x/y?></p/>", nullptr},
      // A tag dropped whole leaves its id, the target of in-page links, in an empty
      // span; its content follows as before.
      {{kDropSpans}, "a<span id=\"index-x\"></span>b", nullptr},
      {{kDropSpans}, "<SPAN CLASS=k ID=t style=\"x\">x</SPAN>y", "<span id=t></span>xy"},
      {{kDropSpans}, "<span class=k>x</span>", "x"},
      {{kDropSpans}, "<spanner Id='s' id=t>y", "<span id='s'></span>y"},
      {{kDropSpans}, "<span/id=x/>y<span id=z />w", "<span id=x/></span>y<span id=z></span>w"},
      {{kDropSpans}, "<span title=\"a>b\" id=x>", "<span id=x></span>"},
      {{kDropSpans}, "a<span id=x", nullptr},
      {{},
       "<o:p id=x></o:p><W:Sdt\r\nID='s'>c</W:Sdt>",
       "<span id=x></span><span id='s'></span>c",
       true},
      {{}, "a<xml id=d><x:Data id=e>1</xml>b<xml>2</xml>", "a<span id=d></span>b", true},
      {{}, "a<xml id=\"d>\"></xml>b", "a<span id=\"d>\"></span>b", true},
      {{kOverrideButTables},
       "<table><tr><td><st1:place id=p>Oslo</st1:place></td></table>",
       "<table><tr><td><span id=p></span>Oslo</td></table>",
       true},
      {{}, "<!--[if gte mso 9]><o:p id=x></o:p><![endif]-->t", "t", true},
      {{}, "a<o:p id=x", nullptr, true},
      // The edge faults found by an independent reading of the rules.
      // A "<" that opens no tag inside an untouched table is text there too.
      {{kOverrideButTables},
       "<table><tr><td>1<<!--[if gte mso 9]><xml>x</xml><![endif]--></td></tr></table>"
       "<p>visible</p>",
       "<table><tr><td>1<</td></tr></table><p>visible</p>",
       true},
      {{kOverrideButTables}, "<table>a<3<o:p>b</o:p></table>", "<table>a<3b</table>", true},
      {{kOverrideButTables}, "<table>a< b<=c</table>", nullptr, true},
      // A stray "=" where a name starts begins a name of its own.
      {{}, "<a = href=x>t", "<a href=x>t"},
      {{}, "<a b=c =\">\">t", "<a>\">t"},
      {{}, "<a ==x href=y>t<a =href=z>", "<a href=y>t<a>"},
      {{}, "<img = src=i.png =alt=n alt=a>", "<img src=i.png alt=a>"},
      {{kOverride}, "<div = id=x class=k>", "<div id=x class=k>"},
      // Blanks around "=" hide no Office attribute.
      {{}, "<p style = \"mso-a:1\" id=q>", "<p id=q>", true},
      {{}, "<p style=\r\n'mso-a:1;color:red' lang>", "<p style=\r\n'color:red' lang>", true},
      {{},
       "<html xmlns:z = \"urn:schemas-microsoft-com:office:smarttags\" lang=ru><z:x>t",
       "<html lang=ru>t",
       true},
      {{}, "<p lang = ru title =x dir= >t", nullptr, true},
      // A tag cut off by the end of the page keeps the ids read so far.
      {{kOverride}, "<div id=x", nullptr},
      {{kOverride}, "<div class=a id", nullptr},
      {{kOverride}, "<div class=a id=\"x y", nullptr},
      {{kOverride}, "<h1 title=t ID='x'", "<h1 id='x'"},
      {{kOverrideButTables, kDropSpans}, "<table><p id=x", nullptr},
      {{kOverride}, "<p class=k id=x", "<p id=x"},
      // What a browser check over generated pages found lost: each kept now.
      // An image map's areas are links.
      {{}, "<img src=a.png usemap=\"#m\">", nullptr},
      {{kOverride}, "<IMG ISMAP alt=x SRC=a.png>", "<img src=a.png ismap alt=x>"},
      // Attribute names in any letter case.
      {{}, "<img Src=a.png alt=b>", "<img src=a.png alt=b>"},
      {{kOverride}, "<img sRc='a b.png'>", "<img src='a b.png'>"},
      {{kOverride},
       "<div Class=k>t</div><b cLASS=\"m n\" ID=i>",
       "<div class=k>t</div><b class=\"m n\" id=i>"},
      // Tag names in any letter case are seen as their kind.
      {{kOverride},
       "<Img src=a.png alt=x><A Href=x Class=k>t</A>",
       "<img src=a.png alt=x><a href=x>t</A>"},
      {{kOverride},
       "<p><Input type=submit value=v></p><select><Option selected>a<option>b</select>",
       nullptr},
      {{kOverride},
       "<Base href=\"sub/\"><sCRIPT>a=\"<b c=d>\"</Script>",
       "<Base href=\"sub/\"><script>a=\"<b c=d>\"</script>"},
      {{kOverrideButTables},
       "<Table width=3><tr><td class=x>1</td></Table><div class=y>",
       "<table width=3><tr><td class=x>1</td></table><div class=y>"},
      {{kDropSpans}, "a<Span class=k>b</sPan>c", "abc"},
      {{}, "<XmL>x</xML>t<O:p class=k>u</o:P>", "tu", true},
      // A dropped or cut tag ends at the first ">" outside quotes.
      {{kDropSpans}, "<span title=\"a>b\">t</span title='>'>", "t"},
      {{kDropSpans}, "<span id=\"a>b\"></span>t", nullptr},
      {{kOverride},
       "<div class=k title='a>b'>t</div><div title='a>b' class=k>u",
       "<div class=k>t</div><div class=k>u"},
      {{kOverride},
       "<div class=\"a>b\" id=x>t<p title=\"x>y\" id=z>v",
       "<div class=\"a>b\" id=x>t<p id=z>v"},
      {{}, "<o:p title=\"a>b\">t</o:p title='>'>", "t", true},
      // What a browser reads as text inside an element stays as it is.
      {{kOverride, kDropSpans},
       "<textarea><span class=k>t</span></TextArea><Title>a <b class=k>b</TITLE>",
       nullptr},
      {{},
       "<xmp><IMG SRC=\"x.gif\" ismap /></xmp><a href=x class=k>",
       "<xmp><IMG SRC=\"x.gif\" ismap /></xmp><a href=x>"},
      {{kOverride, kDropSpans},
       "<iframe src=f.htm><p class=k>no</p></iframe><noembed><a class=k>t</a></noembed>"
       "<noframes><span>u</span></NOFRAMES><p class=q>",
       "<iframe src=f.htm><p class=k>no</p></iframe><noembed><a class=k>t</a></noembed>"
       "<noframes><span>u</span></NOFRAMES><p>"},
      {{kOverride}, "<Plaintext class=k><p class=k>a</plaintext><b>", nullptr},
      // Overriding keeps the attributes that hold what an element shows.
      {{kOverride},
       "<details open class=k style=x><summary>s</summary>t</details><dialog Open>d</dialog>",
       "<details open class=k><summary>s</summary>t</details><dialog open>d</dialog>"},
      {{kOverride},
       "<object data=m.svg width=3 type=x>o</object><embed style=x src=e.svg>",
       "<object data=m.svg>o</object><embed src=e.svg>"},
      {{kOverride},
       "<video src=v.mp4 width=3 controls poster=p.png class=k></video>",
       "<video src=v.mp4 controls poster=p.png class=k></video>"},
      {{kOverride},
       "<audio src=a.ogg controls><source src=s.webm srcset=\"a 1x\" type=t><track src=t.vtt "
       "kind=x>",
       "<audio src=a.ogg controls><source src=s.webm srcset=\"a 1x\"><track src=t.vtt>"},
      {{kOverride}, "<iframe src=f.htm width=3></iframe><frame src=g.htm name=n>", nullptr},
  };
  ExpectCleaned(cases);
}

}  // namespace
}  // namespace pelloran
