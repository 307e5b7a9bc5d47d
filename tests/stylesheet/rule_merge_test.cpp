#include "stylesheet/rule_merge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "stylesheet/case_fold.h"
#include "stylesheet/keep_table.h"
#include "stylesheet/standard_selector.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {
namespace {

// A rule table as plain strings, easy to build and to compare. Declarations
// in slot order; `places` tells where each stood in its block (by default
// in slot order too).
struct PlainRule {
  std::vector<std::string> selectors;
  std::vector<std::pair<int, std::string>> declarations;
  std::vector<uint16_t> places = {};
  bool operator==(const PlainRule& other) const {
    return selectors == other.selectors && declarations == other.declarations;
  }
};

uint16_t PlaceOf(const PlainRule& rule, size_t d) {
  return d < rule.places.size() ? rule.places[d] : static_cast<uint16_t>(d);
}

RuleTable MakeTable(const std::vector<PlainRule>& plain) {
  RuleTable table;
  for (const PlainRule& rule : plain) {
    table.BeginRule();
    for (const std::string& selector : rule.selectors) table.AddSelector(selector);
    for (size_t d = 0; d < rule.declarations.size(); ++d) {
      table.AddDeclaration(rule.declarations[d].first, rule.declarations[d].second,
                           PlaceOf(rule, d));
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

bool Overlapping(int slot_a, int slot_b) {
  return (OverlapMask(RowOfBox(slot_a)) >> RowOfBox(slot_b)) & 1;
}

// Whether `other` may be absorbed by `rule`, and if not whether it blocks
// the walk: the merge's conditions, checked declaration by declaration.
bool Absorbable(const PlainRule& rule, const PlainRule& other, bool& blocks) {
  blocks = false;
  size_t owned = 0;
  for (size_t x = 0; x < other.declarations.size(); ++x) {
    const auto& [slot, text] = other.declarations[x];
    if (text.empty()) continue;
    bool overlaps = false;
    bool equal = false;
    for (size_t r = 0; r < rule.declarations.size(); ++r) {
      const auto& [own_slot, own_text] = rule.declarations[r];
      if (own_text.empty() || !Overlapping(own_slot, slot)) continue;
      overlaps = true;
      equal = equal || (own_slot == slot && EqualIgnoringCase(own_text, text));
      // Overlapping pairs must stand in the same order in both.
      for (size_t y = 0; y < other.declarations.size(); ++y) {
        if (other.declarations[y].first != own_slot || other.declarations[y].second.empty())
          continue;
        for (size_t q = 0; q < rule.declarations.size(); ++q) {
          if (rule.declarations[q].first != slot || own_slot == slot) continue;
          if ((PlaceOf(rule, r) < PlaceOf(rule, q)) != (PlaceOf(other, y) < PlaceOf(other, x)))
            equal = false;
        }
      }
    }
    blocks = blocks || overlaps;
    if (overlaps && !equal) return false;
    owned += equal ? 1 : 0;
  }
  size_t own = 0;
  for (const auto& d : rule.declarations) own += d.second.empty() ? 0 : 1;
  return blocks && owned == own;
}

// A rule with no selector or one a browser rejects neither absorbs nor is
// absorbed.
bool TakesPart(const PlainRule& rule) {
  return !rule.selectors.empty() &&
         std::all_of(rule.selectors.begin(), rule.selectors.end(), IsStandardSelector);
}

// The merge as a walk over every later rule, one gauge step at a time.
void WalkingMerge(std::vector<PlainRule>& rules, int& progress) {
  for (size_t k = 0; k < rules.size(); ++k) {
    PlainRule& rule = rules[k];
    for (const auto& d : rule.declarations)
      if (!d.second.empty() && k + 1 != 600 && progress < 94) ++progress;
    if (!TakesPart(rule)) continue;
    for (size_t s = k + 1; s < rules.size(); ++s) {
      bool blocks = false;
      if (!Absorbable(rule, rules[s], blocks) || !TakesPart(rules[s])) {
        if (blocks) break;
        continue;
      }
      for (const std::string& t : rules[s].selectors) {
        bool known = false;
        for (const std::string& mine : rule.selectors) known = known || EqualIgnoringCase(mine, t);
        if (!known) rule.selectors.push_back(t);
      }
      for (auto& [slot, x] : rules[s].declarations) {
        for (const auto& [own_slot, own_text] : rule.declarations)
          if (own_slot == slot && !own_text.empty() && EqualIgnoringCase(x, own_text)) x.clear();
      }
      if (k + 1 == 150 || k + 1 == 300 || k + 1 == 450 || k + 1 == 600)
        progress = std::max(progress, 94);
    }
  }
}

std::vector<PlainRule> RandomTable(std::mt19937& random, size_t rules) {
  const std::vector<std::string> selectors = {"h1", "H1",   "p",    "P", "div",
                                              "a",  "\xCF", "\xEF", "b", "A:mail"};
  const std::vector<std::string> texts = {
      "color: red", "color: RED", "Color: red", "width: 1px", "background-color: #fff",
      "\xC0 \xA8",  "\xE0 \xB8",  "x"};
  const std::vector<int> slots = {1, 6, 7, 20, 26, 54, 14, 34};
  std::vector<PlainRule> table;
  for (size_t i = 0; i < rules; ++i) {
    PlainRule& rule = table.emplace_back();
    for (size_t n = random() % 4; n > 0; --n)
      rule.selectors.push_back(selectors[random() % selectors.size()]);
    for (int slot : slots) {
      if (random() % 3 == 0) rule.declarations.emplace_back(slot, texts[random() % texts.size()]);
    }
    for (size_t d = 0; d < rule.declarations.size(); ++d)
      rule.places.push_back(static_cast<uint16_t>(d));
    std::shuffle(rule.places.begin(), rule.places.end(), random);
  }
  return table;
}

TEST(RuleMergeTest, AgreesWithAWalkOverEveryLaterRule) {
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
    WalkingMerge(exhaustive, progress);
    ASSERT_EQ(gauge.Progress(), progress) << "round " << round;
    const std::vector<PlainRule> merged = Plain(indexed);
    for (size_t i = 0; i < rules; ++i) {
      ASSERT_EQ(merged[i].selectors, exhaustive[i].selectors) << round << "/" << i;
      ASSERT_EQ(merged[i].declarations, exhaustive[i].declarations) << round << "/" << i;
    }
  }
}

TEST(RuleMergeTest, FirstRuleAbsorbsLaterOnesInTableOrderWithoutACap) {
  std::vector<std::string> many;
  for (int i = 0; i < 300; ++i) many.push_back("s" + std::to_string(i));
  RuleTable table = MakeTable({{many, {{2, "font-size: 1pt"}}},
                               {{"r2", "S1"}, {{2, "font-size: 1pt"}}},
                               {{"r3"}, {{2, "font-size: 1pt"}}}});
  TestGauge gauge;
  MergeRules(table, gauge);
  const std::vector<PlainRule> merged = Plain(table);
  many.push_back("r2");
  many.push_back("r3");
  EXPECT_EQ(merged[0].selectors, many);
  EXPECT_FALSE(table.KeepsAnything(table.rules()[1]));
  EXPECT_FALSE(table.KeepsAnything(table.rules()[2]));
}

TEST(RuleMergeTest, GaugeStepsPerDeclarationBelowItsCap) {
  RuleTable table = MakeTable(
      {{{"a"}, {{6, "color: red"}}}, {{"b"}, {{6, "color: blue"}}}, {{"c"}, {{6, "color: red"}}}});
  TestGauge gauge;
  gauge.SetProgress(10);
  MergeRules(table, gauge);
  EXPECT_EQ(gauge.Progress(), 13);  // b stands between a and c: nothing is merged
  gauge.SetProgress(94);
  MergeRules(table, gauge);
  EXPECT_EQ(gauge.Progress(), 94);
}

}  // namespace
}  // namespace pelloran::testing
