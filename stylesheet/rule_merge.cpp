#include "stylesheet/rule_merge.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "stylesheet/folded_index.h"
#include "stylesheet/gauge_steps.h"

namespace pelloran {

namespace {

// Every declaration of the table, grouped into classes of equal texts. Each
// class lists its members in table and slot order, which is the order in
// which a search of the whole table would meet them.
class DeclarationClasses {
 public:
  explicit DeclarationClasses(RuleTable& table) : table_(table) {
    for (uint32_t r = 0; r < table.rules.size(); ++r) {
      first_member_.push_back(static_cast<uint32_t>(members_.size()));
      for (uint32_t d = 0; d < table.rules[r].declarations.size(); ++d) {
        members_.push_back({r, d});
      }
    }
    first_member_.push_back(static_cast<uint32_t>(members_.size()));
    Group();
  }

  uint32_t ClassOf(uint32_t rule, uint32_t declaration) const {
    return class_of_[first_member_[rule] + declaration];
  }

  // Calls visit(rule, declaration) for each member of the class, in order.
  template <typename Visit>
  void ForEachMember(uint32_t cls, Visit visit) const {
    for (uint32_t m = class_head_[cls]; m != FoldedIndex::kNone; m = next_in_class_[m]) {
      visit(members_[m].rule, members_[m].declaration);
    }
  }

  size_t class_count() const { return class_head_.size(); }

 private:
  struct Member {
    uint32_t rule;
    uint32_t declaration;
  };

  std::string_view TextOf(uint32_t member) const {
    return table_.rules[members_[member].rule].declarations[members_[member].declaration];
  }

  void Group() {
    FoldedIndex index(members_.size());
    auto head_text = [this](uint32_t cls) { return TextOf(class_head_[cls]); };
    class_of_.resize(members_.size());
    next_in_class_.assign(members_.size(), FoldedIndex::kNone);
    for (uint32_t m = 0; m < members_.size(); ++m) {
      uint32_t cls = index.Find(TextOf(m), head_text);
      if (cls == FoldedIndex::kNone) {
        cls = static_cast<uint32_t>(class_head_.size());
        class_head_.push_back(m);
        class_tail_.push_back(m);
        index.Add(TextOf(m), cls, head_text);
      } else {
        next_in_class_[class_tail_[cls]] = m;
        class_tail_[cls] = m;
      }
      class_of_[m] = cls;
    }
  }

  RuleTable& table_;
  std::vector<Member> members_;
  std::vector<uint32_t> first_member_;  // per rule, then one past the last
  std::vector<uint32_t> class_of_;      // per member
  std::vector<uint32_t> next_in_class_;
  std::vector<uint32_t> class_head_;
  std::vector<uint32_t> class_tail_;
};

// The selectors of the absorbing rule, for the case-blind duplicate test.
class SelectorSet {
 public:
  void StartWith(const Rule& rule) {
    rule_ = &rule;
    index_.Reset(kMaxSelectors);
    for (uint32_t i = 0; i < rule.selectors.size(); ++i) {
      if (!Has(rule.selectors[i])) index_.Add(rule.selectors[i], i, TextOf{rule_});
    }
  }
  bool Has(std::string_view selector) const {
    return index_.Find(selector, TextOf{rule_}) != FoldedIndex::kNone;
  }
  void Added(uint32_t i) { index_.Add(rule_->selectors[i], i, TextOf{rule_}); }

 private:
  struct TextOf {
    const Rule* rule;
    std::string_view operator()(uint32_t i) const { return rule->selectors[i]; }
  };
  const Rule* rule_ = nullptr;
  FoldedIndex index_;
};

bool RaisesGaugeWhenAbsorbing(size_t rule_number) {
  return rule_number == 150 || rule_number == 300 || rule_number == 450 || rule_number == 600;
}

// Appends the selectors of `from` that `to` lacks, as far as `to` has room.
void AppendSelectors(Rule& to, const Rule& from, SelectorSet& known) {
  for (const std::string& selector : from.selectors) {
    if (to.selectors.size() >= kMaxSelectors) return;
    if (selector.empty() || known.Has(selector)) continue;
    to.selectors.push_back(selector);
    known.Added(static_cast<uint32_t>(to.selectors.size() - 1));
  }
}

}  // namespace

void MergeRules(RuleTable& table, ProgressGauge& gauge) {
  DeclarationClasses classes(table);
  std::vector<bool> merged(classes.class_count(), false);
  SelectorSet known;
  for (uint32_t k = 0; k < table.rules.size(); ++k) {
    Rule& rule = table.rules[k];
    bool known_ready = false;
    for (uint32_t d = 0; d < rule.declarations.size(); ++d) {
      if (rule.declarations[d].empty()) continue;  // absorbed by an earlier rule
      if (k + 1 != kMaxRules) StepGaugeBelow(gauge, 94);
      const uint32_t cls = classes.ClassOf(k, d);
      // Once merged, no other rule holds the class any more.
      if (merged[cls]) continue;
      merged[cls] = true;
      classes.ForEachMember(cls, [&](uint32_t s, uint32_t x) {
        Rule& other = table.rules[s];
        if (s == k || other.declarations[x].empty()) return;
        if (!known_ready) {
          known.StartWith(rule);
          known_ready = true;
        }
        AppendSelectors(rule, other, known);
        other.declarations[x].clear();
        if (RaisesGaugeWhenAbsorbing(k + 1)) RaiseGaugeTo(gauge, 94);
      });
    }
  }
}

}  // namespace pelloran
