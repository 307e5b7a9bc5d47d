#include "stylesheet/rule_merge.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "stylesheet/case_fold.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {
namespace {

Rule MakeRule(std::vector<std::string> selectors,
              std::vector<std::pair<int, std::string>> declarations) {
  Rule rule;
  rule.selectors = std::move(selectors);
  for (auto& [slot, text] : declarations) {
    rule.slots.push_back(static_cast<unsigned char>(slot));
    rule.declarations.push_back(std::move(text));
  }
  return rule;
}

// The merge as a search of the whole table: every declaration against every
// slot of every other rule, one gauge step at a time.
void ExhaustiveMerge(RuleTable& table, int& progress) {
  const size_t n = table.rules.size();
  for (size_t k = 0; k < n; ++k) {
    Rule& rule = table.rules[k];
    for (size_t r = 0; r < rule.declarations.size(); ++r) {
      const std::string d = rule.declarations[r];
      if (d.empty()) continue;
      for (size_t s = 0; s < n; ++s) {
        if (s == k) continue;
        Rule& other = table.rules[s];
        for (std::string& x : other.declarations) {
          if (x.empty() || !EqualIgnoringCase(x, d)) continue;
          for (const std::string& t : other.selectors) {
            bool known = false;
            for (const std::string& mine : rule.selectors) known = known || EqualIgnoringCase(mine, t);
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

RuleTable RandomTable(std::mt19937& random, size_t rules) {
  const std::vector<std::string> selectors = {"h1", "H1", "p", "P", "div", "a", "\xCF", "\xEF", "b"};
  const std::vector<std::string> texts = {"color: red", "color: RED", "Color: red", "width: 1px",
                                          "background-color: #fff", "\xC0 \xA8", "\xE0 \xB8", "x"};
  const std::vector<int> slots = {1, 6, 7, 20, 26, 54};
  RuleTable table;
  for (size_t i = 0; i < rules; ++i) {
    Rule rule;
    for (size_t n = random() % 4; n > 0; --n) rule.selectors.push_back(selectors[random() % selectors.size()]);
    for (int slot : slots) {
      if (random() % 3 != 0) continue;
      rule.slots.push_back(static_cast<unsigned char>(slot));
      rule.declarations.push_back(texts[random() % texts.size()]);
    }
    table.rules.push_back(rule);
  }
  return table;
}

TEST(RuleMergeTest, AgreesWithTheSearchOfTheWholeTable) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const size_t rules = round % 50 == 0 ? 160 + random() % 40 : 1 + random() % 30;
    RuleTable indexed = RandomTable(random, rules);
    RuleTable exhaustive = indexed;
    const int start = static_cast<int>(random() % 101);
    TestGauge gauge;
    gauge.SetProgress(start);
    int progress = start;
    MergeRules(indexed, gauge);
    ExhaustiveMerge(exhaustive, progress);
    ASSERT_EQ(gauge.Progress(), progress) << "round " << round;
    for (size_t i = 0; i < rules; ++i) {
      ASSERT_EQ(indexed.rules[i].selectors, exhaustive.rules[i].selectors) << round << "/" << i;
      ASSERT_EQ(indexed.rules[i].declarations, exhaustive.rules[i].declarations) << round << "/" << i;
    }
  }
}

TEST(RuleMergeTest, FirstRuleAbsorbsLaterOnesInTableOrder) {
  RuleTable table;
  table.rules = {MakeRule({"r1"}, {{2, "font-size: 1pt"}}), MakeRule({"r2"}, {{2, "font-size: 1pt"}}),
                 MakeRule({"r3"}, {{2, "font-size: 1pt"}})};
  TestGauge gauge;
  MergeRules(table, gauge);
  EXPECT_EQ(table.rules[0].selectors, (std::vector<std::string>{"r1", "r2", "r3"}));
  EXPECT_FALSE(table.rules[1].KeepsAnything());
  EXPECT_FALSE(table.rules[2].KeepsAnything());
}

TEST(RuleMergeTest, MatchesAcrossSlotsAndKeepsEqualSlotsWithinARule) {
  RuleTable table;
  table.rules = {MakeRule({"a"}, {{7, "background-color: red"}, {20, "background-color: red"}}),
                 MakeRule({"b"}, {{7, "background: blue"}, {20, "background-color: red"},
                                  {26, "background-color: red"}})};
  TestGauge gauge;
  MergeRules(table, gauge);
  EXPECT_EQ(table.rules[0].selectors, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(table.rules[0].declarations,
            (std::vector<std::string>{"background-color: red", "background-color: red"}));
  EXPECT_EQ(table.rules[1].declarations, (std::vector<std::string>{"background: blue", "", ""}));
}

TEST(RuleMergeTest, AppendedSelectorsStopAtTheCapacity) {
  std::vector<std::string> many;
  for (int i = 0; i < kMaxSelectors - 2; ++i) many.push_back("s" + std::to_string(i));
  RuleTable table;
  table.rules = {MakeRule(many, {{6, "color: red"}}), MakeRule({"x", "S1", "y", "z"}, {{6, "color: red"}})};
  TestGauge gauge;
  MergeRules(table, gauge);
  ASSERT_EQ(table.rules[0].selectors.size(), static_cast<size_t>(kMaxSelectors));
  EXPECT_EQ(table.rules[0].selectors[kMaxSelectors - 2], "x");
  EXPECT_EQ(table.rules[0].selectors[kMaxSelectors - 1], "y");
  EXPECT_FALSE(table.rules[1].KeepsAnything());
}

TEST(RuleMergeTest, GaugeStepsPerDeclarationBelowItsCap) {
  RuleTable table;
  table.rules = {MakeRule({"a"}, {{6, "color: red"}}), MakeRule({"b"}, {{6, "color: blue"}}),
                 MakeRule({"c"}, {{6, "color: red"}})};
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
