#include "stylesheet/standard_selector.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/stylesheet/style_filter_harness.h"

namespace pelloran::testing {
namespace {

struct SelectorRow {
  bool merges;
  std::string selector;
};

// The table Chromium confirms too (tests/browser/selector_check.mjs).
std::vector<SelectorRow> ReadSelectorTable() {
  std::ifstream file(std::string(PELLORAN_STYLESHEET_DATA) + "/selectors.tsv", std::ios::binary);
  std::vector<SelectorRow> rows;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    const size_t end = line.find('\t', tab + 1);
    rows.push_back({line.substr(0, tab) == "merges", line.substr(tab + 1, end - tab - 1)});
  }
  return rows;
}

TEST(StandardSelectorTest, TakesPartOnlyWhenEveryBrowserReadsIt) {
  const std::vector<SelectorRow> rows = ReadSelectorTable();
  ASSERT_GT(rows.size(), 100u);
  for (const SelectorRow& row : rows)
    EXPECT_EQ(IsStandardSelector(row.selector), row.merges) << row.selector;
}

TEST(StandardSelectorTest, RejectsEveryCutOffPrefixOfAnUnfinishedConstruct) {
  for (const std::string whole :
       {"a[href=\"x\" i]", "li:nth-child(2n+1 of .a)", "p:not(.a, #b)", "div:has(> img)"}) {
    for (size_t n = 1; n < whole.size(); ++n) {
      const std::string cut = whole.substr(0, n);
      if (cut.find_first_of("([") != std::string::npos)
        EXPECT_FALSE(IsStandardSelector(cut)) << cut;
    }
  }
}

struct MergeCase {
  std::vector<int> boxes;
  std::string sheet;
  std::string written;
};

// Whole style elements: rules with a selector a browser rejects keep their
// own rule as it would be written without a merge; the others merge.
TEST(StandardSelectorTest, RejectedSelectorsStayOutOfTheMerge) {
  const std::vector<MergeCase> cases = {
      {{6},
       "A:visited { color: #6666DD; }\r\nA:link { color: #6666DD; }\r\n"
       "A:active { color: #6666DD; }\r\nA:hover { color: #6666DD; }\r\n"
       "A:mail { color: #6666DD; }\r\n",
       "A:visited, A:link, A:active, A:hover \r\n{ color: #6666DD;}\r\n"
       "A:mail \r\n{ color: #6666DD;}\r\n"},
      // The rejected rule first: it absorbs nothing, the rest merge.
      {{6},
       "A:mail { color: #6666DD; }\r\nA:link { color: #6666DD; }\r\nA:hover { color: #6666DD; }",
       "A:mail \r\n{ color: #6666DD;}\r\nA:link, A:hover \r\n{ color: #6666DD;}\r\n"},
      // Standing between two rules it blocks them: another browser may read it.
      {{6},
       "a { color: red; }\r\n::-webkit-scrollbar { color: blue; }\r\nb { color: red; }",
       "a \r\n{ color: red;}\r\n::-webkit-scrollbar \r\n{ color: blue;}\r\nb \r\n{ color: "
       "red;}\r\n"},
      // One rejected selector keeps the whole list out.
      {{2},
       "h1, a:-moz-foo { font-size: 2em; }\r\nh2 { font-size: 2em; }",
       "h1, a:-moz-foo \r\n{ font-size: 2em;}\r\nh2 \r\n{ font-size: 2em;}\r\n"},
      // Lists a browser rejects as they stood: an empty selector, a comment
      // joining two names, no selector at all.
      {{2},
       "h1,, h3 { font-size: 2em; }\r\nh2 { font-size: 2em; }",
       "h1, h3 \r\n{ font-size: 2em;}\r\nh2 \r\n{ font-size: 2em;}\r\n"},
      {{2},
       "h1/**/p { font-size: 2em; }\r\nh2 { font-size: 2em; }",
       "h1p \r\n{ font-size: 2em;}\r\nh2 \r\n{ font-size: 2em;}\r\n"},
      {{2},
       "{ font-size: 2em; }\r\nh2 { font-size: 2em; }",
       " \r\n{ font-size: 2em;}\r\nh2 \r\n{ font-size: 2em;}\r\n"},
      // Standard pseudo-classes and pseudo-elements, in any case, merge.
      {{2},
       "h1 /* x */, a:HOVER::before { font-size: 2em; }\r\n"
       "li:nth-child(2n+1), p:not(.a) { font-size: 2em; }\r\n"
       "a[href$=\".pdf\" i] { font-size: 2em; }",
       "h1, a:HOVER::before, li:nth-child(2n+1), p:not(.a), a[href$=\".pdf\" i] \r\n"
       "{ font-size: 2em;}\r\n"},
  };
  for (const MergeCase& c : cases) {
    StyleFilterHarness harness;
    for (const int box : c.boxes) harness.options().Tick(box);
    EXPECT_EQ(harness.Run(c.sheet + "</style>").written, c.written) << c.sheet;
  }
}

}  // namespace
}  // namespace pelloran::testing
