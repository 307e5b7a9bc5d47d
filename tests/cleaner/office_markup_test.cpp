// The first pass with the switch "служебная разметка Office" on: each
// construct, nested, revealed and cut off, byte for byte.

#include "cleaner/office_markup.h"

#include <gtest/gtest.h>

#include <cctype>
#include <initializer_list>
#include <string>

#include "tests/cleaner/pass_harness.h"

namespace pelloran {
namespace {

struct OfficeCase {
  const char* what;
  const char* page;
  const char* expected;
  std::initializer_list<int> ticked = {};
  bool cut_off = false;  // then written as without the switch
  int id_holders = 0;    // empty spans written for the ids of tags dropped
};

// What an id holder adds to the id it keeps: "<span" and "></span>".
constexpr size_t kIdHolderMarkup = 13;

const OfficeCase kCases[] = {
    // Conditional comments: to the first "-->", where the browser ends them.
    {"hidden form", "a<!--[if gte mso 9]><xml><o:Doc>x</o:Doc></xml><![endif]-->b", "ab"},
    {"capitals",
     "a<!--[IF gte vml 1]><v:shape id=s><v:imagedata src=p.png/></v:shape><![ENDIF]-->b", "ab"},
    {"revealed form", "a<!--[if !mso]><!--><p>shown</p><!--<![endif]-->b", "a<p>shown</p>b"},
    {"nested", "a<!--[if gte mso 9]><!--[if x]>y<![endif]--><![endif]-->b", "ab"},
    {"ended early", "<!--[if x]>hid-->shown<![endif]-->", "shown"},
    {"bang close", "a<!--[if x]>hid--!>b", "ab"},
    {"cut off", "a<!--[IF gte mso 9]><xml>data", "a<!--[if gte mso 9]><xml>data", {}, true},
    // Revealed markers around what every browser shows.
    {"revealed markers",
     "<![if !supportLists]><span style='mso-list:Ignore'>1.</span><![endif]>Item",
     "<span>1.</span>Item"},
    {"marker cut off", "a<![if !vml]", "a<![if !vml]", {}, true},
    // Data islands, with an island inside.
    {"island", "a<xml id=d><x:Data>1<xml>in</xml>2</xml>b", "a<span id=d></span>b", {}, false, 1},
    {"island cut off", "a<XML><x:Data>1", "a<XML><x:Data>1", {}, true},
    {"stray island end", "a</xml>b", "ab"},
    // Tags of Office namespaces: their content stays.
    {"empty paragraph keeps its space", "<p><o:p>&nbsp;</o:p></p>", "<p>&nbsp;</p>"},
    {"smart tags", "<st1:City w:st=\"on\"><st1:place>Oslo</st1:place></st1:City>", "Oslo"},
    {"self-closing, capitals",
     "a<O:P/>b<W:Sdt\r\nid=1>c</W:Sdt>",
     "ab<span id=1></span>c",
     {},
     false,
     1},
    {"declared prefix",
     "<html xmlns:z=\"urn:schemas-microsoft-com:office:smarttags\"><z:City>Oslo</z:City>"
     "<y:City>Rome</y:City>",
     "<html>Oslo<y:City>Rome</y:City>"},
    {"tag cut off", "a<o:p", "a<o:p", {}, true},
    // Namespace declarations.
    {"namespaces",
     "<html xmlns:v=\"urn:schemas-microsoft-com:vml\"\r\nxmlns=\"http://www.w3.org/TR/REC-html40\" "
     "xmlns:m='http://schemas.microsoft.com/office/2004/12/omml'>",
     "<html\r\nxmlns=\"http://www.w3.org/TR/REC-html40\" "
     "xmlns:m='http://schemas.microsoft.com/office/2004/12/omml'>"},
    // mso- declarations of style attributes.
    {"middle", "<p style='margin:0;mso-pagination:none;font-size:10pt'>",
     "<p style='margin:0;font-size:10pt'>"},
    {"last, after a line end", "<p style='font-size:10pt;\r\nmso-bidi-font-size:12pt'>",
     "<p style='font-size:10pt'>"},
    {"left empty", "<td style=\"mso-a:1;mso-b:2\" class=c>", "<td class=c>"},
    {"quoted semicolon", "<p style='font-family:\"A;B\";mso-x:1;'>",
     "<p style='font-family:\"A;B\";'>"},
    {"unquoted, capitals", "<p STYLE=MSO-X:1 id=a>", "<p id=a>"},
    {"kept span", "<span style='mso-x:1;color:red'>t</span>", "<span style='color:red'>t</span>"},
    // Inside a table copied as it stands, Office markup goes all the same.
    {"untouched table",
     "<table style='mso-x:1'><tr><td><p class=MsoNormal><o:p>&nbsp;</o:p></p>"
     "<![if !vml]>x<![endif]></td></tr></TABLE>y",
     "<table><tr><td><p class=MsoNormal>&nbsp;</p>x</td></tr></table>y",
     {5}},
    // What is not Office markup stays.
    {"others stay", "<!-- c --><script>a='<o:p>'</script><a:b>",
     "<!-- c --><script>a='<o:p>'</script><a:b>"},
};

class OfficeMarkupTest : public ::testing::TestWithParam<OfficeCase> {};

TEST_P(OfficeMarkupTest, DropsOfficeMarkupAndCountsItsBytes) {
  const OfficeCase& c = GetParam();
  testing::PassHarness harness;
  for (int box : c.ticked) harness.options.Tick(box);
  harness.options.SetOfficeMarkupDropped(true);
  CleanStatistics statistics;
  harness.context.statistics = &statistics;
  const std::string page = c.page;
  const std::string out = harness.FirstPass(page);
  EXPECT_EQ(out, c.expected);
  // Each case changes nothing else, so the count is the bytes that went.
  EXPECT_EQ(statistics.office_markup_bytes_dropped,
            static_cast<int64_t>(page.size() + c.id_holders * kIdHolderMarkup - out.size()));
  if (c.cut_off) {
    harness.options.SetOfficeMarkupDropped(false);
    EXPECT_EQ(harness.FirstPass(page), out);
  }
}

INSTANTIATE_TEST_SUITE_P(Constructs, OfficeMarkupTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                           std::string name = info.param.what;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace pelloran
