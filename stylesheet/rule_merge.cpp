#include "stylesheet/rule_merge.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "stylesheet/folded_index.h"
#include "stylesheet/gauge_steps.h"

namespace pelloran {

namespace {

// The declarations of the table grouped into classes of equal texts. A
// declaration's number is its place in the table, rule by rule and slot by
// slot, which is the order in which a search of the whole table meets them;
// each class lists its members in that order.
class DeclarationClasses {
 public:
  explicit DeclarationClasses(RuleTable& table) : table_(table) {
    const std::span<Declaration> all = table.AllDeclarations();
    rule_of_.reserve(all.size());
    class_of_.reserve(all.size());
    next_in_class_.assign(all.size(), FoldedIndex::kNone);
    FoldedIndex index;  // grows with the classes, which are few as a rule
    for (uint32_t r = 0; r < table.rules().size(); ++r) {
      const Rule& rule = table.rules()[r];
      for (uint32_t d = rule.first_declaration; d < rule.first_declaration + rule.declaration_count; ++d) {
        rule_of_.push_back(r);
        class_of_.push_back(ClassOf(all, rule.first_declaration, d, index));
      }
    }
  }

  uint32_t ClassOf(uint32_t declaration) const { return class_of_[declaration]; }
  size_t class_count() const { return class_head_.size(); }

  // Calls visit(rule number, declaration) for each member, in order.
  template <typename Visit>
  void ForEachMember(uint32_t cls, Visit visit) const {
    const std::span<Declaration> all = table_.AllDeclarations();
    for (uint32_t m = class_head_[cls]; m != FoldedIndex::kNone; m = next_in_class_[m]) {
      visit(rule_of_[m], all[m]);
    }
  }

 private:
  // The class of declaration m, the rule's declarations from `first` on
  // being classed already; adds m to its class's list.
  uint32_t ClassOf(std::span<Declaration> all, uint32_t first, uint32_t m, FoldedIndex& index) {
    // A text the rule stored once for several slots has the class it had.
    for (uint32_t earlier = first; earlier < m; ++earlier) {
      if (all[earlier].text == all[m].text) return Append(class_of_[earlier], m);
    }
    const uint32_t fresh = static_cast<uint32_t>(class_head_.size());
    auto head_text = [&](uint32_t cls) { return table_.Text(all[class_head_[cls]].text); };
    const uint32_t cls = index.FindOrAdd(table_.Text(all[m].text), fresh, head_text);
    if (cls != FoldedIndex::kNone) return Append(cls, m);
    class_head_.push_back(m);
    class_tail_.push_back(m);
    return fresh;
  }

  uint32_t Append(uint32_t cls, uint32_t m) {
    next_in_class_[class_tail_[cls]] = m;
    class_tail_[cls] = m;
    return cls;
  }

  RuleTable& table_;
  std::vector<uint32_t> rule_of_;   // per declaration
  std::vector<uint32_t> class_of_;  // per declaration
  std::vector<uint32_t> next_in_class_;
  std::vector<uint32_t> class_head_;
  std::vector<uint32_t> class_tail_;
};

// The selectors of the absorbing rule, for the case-blind duplicate test,
// indexed by their place in the rule.
class SelectorSet {
 public:
  SelectorSet(const RuleTable& table, const Rule& rule) : table_(table), rule_(rule) {
    index_.Reset(rule.selector_count + 8);
    for (uint32_t i = 0; i < rule.selector_count; ++i) Add(i);
  }
  // Takes in the rule's selector at place i; false when an equal one is known.
  bool Add(uint32_t i) { return index_.FindOrAdd(TextOf{this}(i), i, TextOf{this}) == FoldedIndex::kNone; }

 private:
  struct TextOf {
    const SelectorSet* set;
    std::string_view operator()(uint32_t i) const {
      return set->table_.Text(set->table_.SelectorsOf(set->rule_)[i]);
    }
  };
  const RuleTable& table_;
  const Rule& rule_;
  FoldedIndex index_;
};

bool RaisesGaugeWhenAbsorbing(size_t rule_number) {
  return rule_number == 150 || rule_number == 300 || rule_number == 450 || rule_number == 600;
}

// Appends the selectors of `from` that `to` lacks, as far as `to` has room.
void AppendSelectors(RuleTable& table, Rule& to, const Rule& from, SelectorSet& known) {
  for (uint32_t i = 0; i < from.selector_count; ++i) {
    if (to.selector_count >= kMaxSelectors) return;
    const TextRef selector = table.SelectorsOf(from)[i];
    if (selector.empty()) continue;
    // Tried at the end of the rule and taken back when it is a duplicate.
    table.AppendSelector(to, selector);
    if (!known.Add(to.selector_count - 1)) table.RemoveLastSelector(to);
  }
}

}  // namespace

void MergeRules(RuleTable& table, ProgressGauge& gauge) {
  DeclarationClasses classes(table);
  std::vector<bool> merged(classes.class_count(), false);
  std::vector<Rule>& rules = table.rules();
  for (uint32_t k = 0; k < rules.size(); ++k) {
    Rule& rule = rules[k];
    std::optional<SelectorSet> known;  // made when the rule first absorbs another
    for (uint32_t d = 0; d < rule.declaration_count; ++d) {
      const uint32_t declaration = rule.first_declaration + d;
      if (table.AllDeclarations()[declaration].text.empty()) continue;  // absorbed earlier
      if (k + 1 != kMaxRules) StepGaugeBelow(gauge, 94);
      const uint32_t cls = classes.ClassOf(declaration);
      // Once merged, no other rule holds the class any more.
      if (merged[cls]) continue;
      merged[cls] = true;
      classes.ForEachMember(cls, [&](uint32_t s, Declaration& other) {
        if (s == k || other.text.empty()) return;
        if (!known) known.emplace(table, rule);
        AppendSelectors(table, rule, rules[s], *known);
        other.text = TextRef{};
        if (RaisesGaugeWhenAbsorbing(k + 1)) RaiseGaugeTo(gauge, 94);
      });
    }
  }
}

}  // namespace pelloran
