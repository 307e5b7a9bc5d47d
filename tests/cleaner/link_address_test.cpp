#include "cleaner/link_address.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

#include "cleaner/page_targets.h"

namespace pelloran {
namespace {

TEST(LinkAddressTest, ReadsTheValueAsABrowserDoes) {
  const struct {
    const char* value;
    const char* read;
  } cases[] = {
      {"\"http://h/x\"", "http://h/x"},
      {"http://h/x", "http://h/x"},
      {"  \t\nhttp://h/x \r\n", "http://h/x"},
      {"\" http://h/ \"", "http://h/"},
      {"http://h/?a=1&amp;b=2", "http://h/?a=1&b=2"},
      {"http://h/?a=1&#38;b=2&#x26;c", "http://h/?a=1&b=2&c"},
      {"http://h/?a=1&amp", "http://h/?a=1&"},           // no ";", nothing after
      {"http://h/?a&amp=1", "http://h/?a&amp=1"},        // "=" follows
      {"http://h/?a=1&ampb=2", "http://h/?a=1&ampb=2"},  // a letter follows
      {"http://h/?x=&copy;", "http://h/?x=&copy;"},      // a name we do not know
      {"&#104;ttp://h/&lt;&gt;&quot;&apos;", "http://h/<>\"'"},
      {"http://h/&#1092;&nbsp;", "http://h/\xD1\x84\xC2\xA0"},
      {"http://h/&#0;&#xD800;", "http://h/\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"&#32;http://h/&#9;", "http://h/"},  // blanks made by references go too
      {"&", "&"},
      {"&#", "&#"},
      {"&#x;", "&#x;"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadLinkValue(c.value), c.read) << c.value;
}

TEST(LinkAddressTest, SortsValuesAndGivesTheAddressSent) {
  const struct {
    const char* read;
    LinkKind kind;
    const char* text;
  } cases[] = {
      {"http://h/x", LinkKind::kWeb, "http://h/x"},
      {"HTTP://H.Example/Path", LinkKind::kWeb, "http://h.example/Path"},
      {"HtTpS://User@HOST:8080", LinkKind::kWeb, "https://User@host:8080/"},
      {"http://h", LinkKind::kWeb, "http://h/"},
      {"http://h/a b/c?d e", LinkKind::kWeb, "http://h/a%20b/c?d%20e"},
      {"http://h/\xD1\x84\"<>{}|^`", LinkKind::kWeb, "http://h/%D1%84%22%3C%3E%7B%7D%7C%5E%60"},
      {"http://h/a%20b", LinkKind::kWeb, "http://h/a%20b"},
      {"http://h/x#part", LinkKind::kWeb, "http://h/x"},
      {"http://h/a\tb\nc", LinkKind::kWeb, "http://h/abc"},
      {"http:\\\\h\\a\\b?c\\d", LinkKind::kWeb, "http://h/a/b?c%5Cd"},
      {"http:h/x", LinkKind::kWeb, "http://h/x"},
      {"http:///h/x", LinkKind::kWeb, "http://h/x"},
      {"//H/x", LinkKind::kWeb, "http://h/x"},
      {"#top", LinkKind::kInPage, "top"},
      {"#", LinkKind::kInPage, ""},
      {"page.htm#x", LinkKind::kRelative, "page.htm#x"},
      {"sub/a b.htm", LinkKind::kRelative, "sub/a b.htm"},
      {"?q=1", LinkKind::kRelative, "?q=1"},
      {"1a:b", LinkKind::kRelative, "1a:b"},
      {"a b:c", LinkKind::kRelative, "a b:c"},
      {"/root.htm", LinkKind::kFromSiteRoot, "/root.htm"},
      {"MAILTO:a@b.ru", LinkKind::kOtherScheme, "mailto"},
      {"tel:+7", LinkKind::kOtherScheme, "tel"},
      {"javascript:x()", LinkKind::kOtherScheme, "javascript"},
      {"data:text/html,x", LinkKind::kOtherScheme, "data"},
      {"ftp://h/x", LinkKind::kOtherScheme, "ftp"},
      {"httpx://h/", LinkKind::kOtherScheme, "httpx"},
      {"", LinkKind::kEmpty, ""},
  };
  for (const auto& c : cases) {
    const LinkAddress address = ResolveLinkAddress(c.read);
    EXPECT_EQ(address.kind, c.kind) << c.read;
    EXPECT_EQ(address.text, c.text) << c.read;
  }
}

TEST(PageTargetsTest, FindsIdsOfAllElementsAndNamesOfAnchors) {
  const std::string page =
      "<h2 id=\"sec2\">a</h2><P ID=Up>b</P><div id='q&amp;a'><A NAME=n1>x</a>"
      "<a href=\"#x\" name = \"n2\" id=a3><img name=not-an-anchor>"
      "<!-- <p id=in-comment> --><script>x = '<p id=in-script>'</script>"
      "<STYLE>a[id=in-style]{}</STYLE><b id=\"after\"><i id=\"open";
  const std::unordered_set<std::string> expected = {"sec2", "Up", "q&a",   "n1",
                                                    "n2",   "a3", "after", "open"};
  EXPECT_EQ(FindPageTargets(page), expected);
}

}  // namespace
}  // namespace pelloran
