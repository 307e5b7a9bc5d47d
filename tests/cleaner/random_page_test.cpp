// Property tests over generated, cut-off and real pages: both passes always
// end and never write the end mark, and on pages whose every "<" opens a
// well-formed tag the text between the tags comes out byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/cleaner/pass_harness.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;

// The option sets the properties must hold under.
enum class OptionSet { kDefaultish, kOverride, kPlain, kLinks, kOffice };
constexpr OptionSet kSetups[] = {OptionSet::kDefaultish, OptionSet::kOverride, OptionSet::kPlain,
                                 OptionSet::kLinks, OptionSet::kOffice};
constexpr size_t kSetupCount = std::size(kSetups);

void Configure(testing::PassHarness& harness, OptionSet setup) {
  for (int box : {1, 2, 4, 6, 12, 14, 29}) harness.options.Tick(box);
  switch (setup) {
    case OptionSet::kDefaultish:
      harness.options.Tick(5);
      harness.options.Tick(18);
      break;
    case OptionSet::kOverride:
      harness.options.Tick(17);
      break;
    case OptionSet::kPlain:
      break;
    case OptionSet::kLinks:
      harness.options.Tick(17);
      harness.options.SetLinkChecking(true);
      break;
    case OptionSet::kOffice:  // the start values with Office markup dropped
      harness.options.Tick(5);
      harness.options.Tick(18);
      harness.options.SetOfficeMarkupDropped(true);
      break;
  }
}

class PageMaker {
 public:
  explicit PageMaker(unsigned seed) : random_(seed) {}

  // Any bytes, leaning on the characters and words the scanners react to.
  std::string Soup(size_t size) {
    static const std::vector<std::string> pieces = {"<",
                                                    ">",
                                                    "\"",
                                                    "'",
                                                    "/",
                                                    "!",
                                                    "{",
                                                    "}",
                                                    ",",
                                                    " ",
                                                    "\r\n",
                                                    "\n",
                                                    "\t",
                                                    "=",
                                                    "p.",
                                                    "a",
                                                    "span",
                                                    "SPAN",
                                                    "script",
                                                    "/script>",
                                                    "style",
                                                    "</style>",
                                                    "STYLE",
                                                    "class=",
                                                    "CLASS",
                                                    "href=",
                                                    "name=",
                                                    "src=",
                                                    "SRC",
                                                    "img",
                                                    "table",
                                                    "/table>",
                                                    "!--[if",
                                                    "![endif]-->",
                                                    "noscript",
                                                    "/noscript>",
                                                    "p",
                                                    "#",
                                                    "x",
                                                    "\xC0\xFF",
                                                    std::string(1, '\0'),
                                                    std::string(1, '\x1A')};
    std::string page;
    while (page.size() < size) page += pieces[Pick(pieces.size())];
    return page;
  }

  // Text and tags only, every tag closed by the first ">" after its "<".
  std::string WellFormed(size_t size) {
    std::string page;
    while (page.size() < size) {
      page += Text();
      page += Construct();
    }
    return page;
  }

 private:
  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }
  template <typename T>
  const T& OneOf(const std::vector<T>& items) {
    return items[Pick(items.size())];
  }

  std::string Text() {
    static const std::string chars = "abcXYZ019 .,;:=\"'()[]{}!?#&>\r\n\t\xC0\xE0\xFF\xA0";
    std::string text;
    for (size_t n = Pick(12); n > 0; --n) text.push_back(chars[Pick(chars.size())]);
    return text;
  }

  std::string Attributes() {
    static const std::vector<std::string> attributes = {
        "class=x",        "class=\"box\"",     "CLASS=Main", "style='color:red'",
        "href=\"u.htm\"", "href=\"#top\"",     "name=n",     "src=\"s.gif\"",
        "SRC=t.gif",      "alt=\"t\"",         "id=i",       "align=center",
        "width=10",       "title=\"class y\"", "class=",     "lang=RU"};
    static const std::vector<std::string> gaps = {" ", "  ", "\r\n", " \r\n "};
    std::string text;
    for (size_t n = Pick(4); n > 0; --n) text += OneOf(gaps) + OneOf(attributes);
    return text;
  }

  std::string Tag() {
    static const std::vector<std::string> names = {"p",     "P",  "div", "span", "SPAN",   "/span",
                                                   "/SPAN", "a",  "A",   "img",  "IMG",    "b",
                                                   "td",    "tr", "/p",  "html", "META",   "link",
                                                   "br/",   "h1", "o:p", "body", "/table", "table"};
    const std::string lead = Pick(6) == 0 ? " " : "";
    return "<" + lead + OneOf(names) + Attributes() + ">";
  }

  std::string Construct() {
    switch (Pick(10)) {
      case 0:
        return "<!-- note -->";
      case 1:
        return "<!--[if gte mso 9]>" + Text() + Tag() + Text() + "<![endif]-->";
      case 2:
        return "<script>" + Text() + Tag() + Text() + "</script>";
      case 3:
        return "<noscript>" + Text() + Tag() + "</NOSCRIPT>";
      case 4:
        return "<STYLE>\r\np.Main { color: red; }\r\ndiv.x, a { margin: 0 }\r\n</STYLE>";
      case 5:
        return "<table border=1>" + Text() + Tag() + Text() + "</table>";
      default:
        return Tag();
    }
  }

  std::mt19937 random_;
};

// The text outside tags, style elements left out.
std::string TextBetweenTags(const std::string& page) {
  std::string lower(page);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::string text;
  for (size_t i = 0; i < page.size();) {
    if (page[i] != '<') {
      text.push_back(page[i++]);
      continue;
    }
    const size_t name = lower.find_first_not_of(' ', i + 1);
    if (lower.compare(name, 5, "style") == 0) {
      const size_t end = lower.find("</style>", i);
      i = end == std::string::npos ? page.size() : end + 8;
      continue;
    }
    const size_t close = page.find('>', i);
    i = close == std::string::npos ? page.size() : close + 1;
  }
  return text;
}

// The page less its conditional comments, each to the first "-->".
std::string WithoutConditionalComments(std::string page) {
  for (size_t at = page.find("<!--[if"); at != std::string::npos; at = page.find("<!--[if", at)) {
    const size_t end = page.find("-->", at);
    page.erase(at, end == std::string::npos ? std::string::npos : end + 3 - at);
  }
  return page;
}

void ExpectNoEndMark(const std::string& output, const std::string& what) {
  EXPECT_EQ(output.find('\x1A'), std::string::npos) << what;
}

TEST(RandomPageTest, TextBetweenWellFormedTagsIsKept) {
  for (unsigned seed = 1; seed <= 60; ++seed) {
    const std::string page = PageMaker(seed).WellFormed(1500);
    for (OptionSet setup : kSetups) {
      testing::PassHarness harness;
      Configure(harness, setup);
      const std::string first = harness.FirstPass(page);
      // Office markup takes conditional comments whole, and only them.
      const std::string text =
          TextBetweenTags(setup == OptionSet::kOffice ? WithoutConditionalComments(page) : page);
      ASSERT_EQ(TextBetweenTags(first), text)
          << "seed " << seed << ", setup " << static_cast<int>(setup);
      const std::string second = harness.OverridePass(first);
      ASSERT_EQ(TextBetweenTags(second), text)
          << "seed " << seed << ", setup " << static_cast<int>(setup);
    }
  }
}

TEST(RandomPageTest, RandomPagesEndWithoutWritingTheEndMark) {
  for (unsigned seed = 1; seed <= 200; ++seed) {
    const std::string page = PageMaker(seed).Soup(800);
    testing::PassHarness harness;
    Configure(harness, kSetups[seed % kSetupCount]);
    ExpectNoEndMark(harness.Clean(page), "seed " + std::to_string(seed));
    ExpectNoEndMark(harness.OverridePass(page), "override, seed " + std::to_string(seed));
  }
}

TEST(RandomPageTest, PagesCutAnywhereEndWithoutWritingTheEndMark) {
  for (unsigned seed = 1; seed <= 4; ++seed) {
    const std::string page = PageMaker(seed).WellFormed(400);
    testing::PassHarness harness;
    Configure(harness, kSetups[seed % kSetupCount]);
    for (size_t cut = 0; cut <= page.size(); ++cut) {
      ExpectNoEndMark(harness.Clean(page.substr(0, cut)), "cut " + std::to_string(cut));
      ExpectNoEndMark(harness.OverridePass(page.substr(0, cut)), "cut " + std::to_string(cut));
    }
  }
}

TEST(RandomPageTest, CorpusPagesWholeAndCutOff) {
  const fs::path pages = fs::path(PELLORAN_CORPUS_DIR) / "pages";
  if (!fs::exists(pages)) GTEST_SKIP() << "no corpus at " << pages;
  std::mt19937 random(7);
  size_t count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(pages)) {
    if (!entry.is_regular_file()) continue;
    const std::string page = testing::ReadFile(entry.path().string());
    const size_t cut = page.empty() ? 0 : random() % page.size();
    testing::PassHarness harness;
    Configure(harness, kSetups[count++ % kSetupCount]);
    ExpectNoEndMark(harness.Clean(page), entry.path().string());
    ExpectNoEndMark(harness.Clean(page.substr(0, cut)), entry.path().string() + " cut");
  }
  EXPECT_GT(count, 0u);
}

}  // namespace
}  // namespace pelloran
