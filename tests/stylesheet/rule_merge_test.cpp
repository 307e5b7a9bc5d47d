#include "stylesheet/rule_merge.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "stylesheet/case_fold.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {
namespace {

// A rule table as plain strings, easy to build and to compare.
struct PlainRule {
  std::vector<std::string> selectors;
  std::vector<std::pair<int, std::string>> declarations;
  bool operator==(const PlainRule&) const = default;
};

// A text that repeats an earlier one of the same rule is stored once, as
// the keep test stores the text of slots that start at the same place.
RuleTable MakeTable(const std::vector<PlainRule>& plain) {
  RuleTable table;
  for (const PlainRule& rule : plain) {
    table.BeginRule();
    for (const std::string& selector : rule.selectors) table.AddSelector(selector);
    for (size_t d = 0; d < rule.declarations.size(); ++d) {
      const auto& [slot, text] = rule.declarations[d];
      uint32_t earlier = 0;
      while (earlier < d && rule.declarations[earlier].second != text) ++earlier;
      if (earlier < d) {
        table.AddDeclarationAgain(slot, earlier);
      } else {
        table.AddDeclaration(slot, text);
      }
    }
  }
  return table;
}

std::vector<PlainRule> Plain(const RuleTable& table) {
  std::vector<PlainRule> plain;
  for (const Rule& rule : table.rules()) {
    PlainRule& out = plain.emplace_back();
    for (TextRef selector : table.SelectorsOf(rule))
      out.selectors.emplace_back(table.Text(selector));
    for (const Declaration& d : table.DeclarationsOf(rule)) {
      out.declarations.emplace_back(d.slot, table.Text(d.text));
    }
  }
  return plain;
}

// The merge as a search of the whole table: every declaration against every
// slot of every other rule, one gauge step at a time.
void ExhaustiveMerge(std::vector<PlainRule>& rules, int& progress) {
  const size_t n = rules.size();
  for (size_t k = 0; k < n; ++k) {
    PlainRule& rule = rules[k];
    for (size_t r = 0; r < rule.declarations.size(); ++r) {
      const std::string d = rule.declarations[r].second;
      if (d.empty()) continue;
      for (size_t s = 0; s < n; ++s) {
        if (s == k) continue;
        PlainRule& other = rules[s];
        for (auto& [slot, x] : other.declarations) {
          if (x.empty() || !EqualIgnoringCase(x, d)) continue;
          for (const std::string& t : other.selectors) {
            bool known = false;
            for (const std::string& mine : rule.selectors)
              known = known || EqualIgnoringCase(mine, t);
            if (!known && rule.selectors.size() < kMaxSelectors) rule.selectors.push_back(t);
          }
          x.clear();
          if (k + 1 == 150 || k + 1 == 300 || k + 1 == 450 || k + 1 == 600) {
            for (int step = 0; step < 200 * 200; ++step) progress += progress < 94 ? 1 : 0;
          }
        }
      }
      if (k + 1 != kMaxRules && progress < 94) ++progress;
    }
  }
}

std::vector<PlainRule> RandomTable(std::mt19937& random, size_t rules) {
  const std::vector<std::string> selectors = {"h1", "H1",   "p",    "P", "div",
                                              "a",  "\xCF", "\xEF", "b"};
  const std::vector<std::string> texts = {
      "color: red", "color: RED", "Color: red", "width: 1px", "background-color: #fff",
      "\xC0 \xA8",  "\xE0 \xB8",  "x"};
  const std::vector<int> slots = {1, 6, 7, 20, 26, 54};
  std::vector<PlainRule> table;
  for (size_t i = 0; i < rules; ++i) {
    PlainRule& rule = table.emplace_back();
    for (size_t n = random() % 4; n > 0; --n)
      rule.selectors.push_back(selectors[random() % selectors.size()]);
    for (int slot : slots) {
      if (random() % 3 == 0) rule.declarations.emplace_back(slot, texts[random() % texts.size()]);
    }
  }
  return table;
}

TEST(RuleMergeTest, AgreesWithTheSearchOfTheWholeTable) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const size_t rules = round % 50 == 0 ? 160 + random() % 40 : 1 + random() % 30;
    std::vector<PlainRule> exhaustive = RandomTable(random, rules);
    RuleTable indexed = MakeTable(exhaustive);
    const int start = static_cast<int>(random() % 101);
    TestGauge gauge;
    gauge.SetProgress(start);
    int progress = start;
    MergeRules(indexed, gauge);
    ExhaustiveMerge(exhaustive, progress);
    ASSERT_EQ(gauge.Progress(), progress) << "round " << round;
    const std::vector<PlainRule> merged = Plain(indexed);
    for (size_t i = 0; i < rules; ++i) {
      ASSERT_EQ(merged[i].selectors, exhaustive[i].selectors) << round << "/" << i;
      ASSERT_EQ(merged[i].declarations, exhaustive[i].declarations) << round << "/" << i;
    }
  }
}

TEST(RuleMergeTest, FirstRuleAbsorbsLaterOnesInTableOrder) {
  RuleTable table = MakeTable({{{"r1"}, {{2, "font-size: 1pt"}}},
                               {{"r2"}, {{2, "font-size: 1pt"}}},
                               {{"r3"}, {{2, "font-size: 1pt"}}}});
  TestGauge gauge;
  MergeRules(table, gauge);
  EXPECT_EQ(Plain(table), (std::vector<PlainRule>{{{"r1", "r2", "r3"}, {{2, "font-size: 1pt"}}},
                                                  {{"r2"}, {{2, ""}}},
                                                  {{"r3"}, {{2, ""}}}}));
}

TEST(RuleMergeTest, MatchesAcrossSlotsAndKeepsEqualSlotsWithinARule) {
  RuleTable table = MakeTable(
      {{{"a"}, {{7, "background-color: red"}, {20, "background-color: red"}}},
       {{"b"},
        {{7, "background: blue"}, {20, "background-color: red"}, {26, "background-color: red"}}}});
  TestGauge gauge;
  MergeRules(table, gauge);
  EXPECT_EQ(Plain(table),
            (std::vector<PlainRule>{
                {{"a", "b"}, {{7, "background-color: red"}, {20, "background-color: red"}}},
                {{"b"}, {{7, "background: blue"}, {20, ""}, {26, ""}}}}));
}

TEST(RuleMergeTest, AppendedSelectorsStopAtTheCapacity) {
  std::vector<std::string> many;
  for (int i = 0; i < kMaxSelectors - 2; ++i) many.push_back("s" + std::to_string(i));
  RuleTable table =
      MakeTable({{many, {{6, "color: red"}}}, {{"x", "S1", "y", "z"}, {{6, "color: red"}}}});
  TestGauge gauge;
  MergeRules(table, gauge);
  const std::vector<PlainRule> merged = Plain(table);
  ASSERT_EQ(merged[0].selectors.size(), static_cast<size_t>(kMaxSelectors));
  EXPECT_EQ(merged[0].selectors[kMaxSelectors - 2], "x");
  EXPECT_EQ(merged[0].selectors[kMaxSelectors - 1], "y");
  EXPECT_FALSE(table.KeepsAnything(table.rules()[1]));
}

TEST(RuleMergeTest, GaugeStepsPerDeclarationBelowItsCap) {
  RuleTable table = MakeTable(
      {{{"a"}, {{6, "color: red"}}}, {{"b"}, {{6, "color: blue"}}}, {{"c"}, {{6, "color: red"}}}});
  TestGauge gauge;
  gauge.SetProgress(10);
  MergeRules(table, gauge);
  EXPECT_EQ(gauge.Progress(), 12);  // rule c's declaration was merged away first
  gauge.SetProgress(94);
  MergeRules(table, gauge);
  EXPECT_EQ(gauge.Progress(), 94);
}

}  // namespace
}  // namespace pelloran::testing
