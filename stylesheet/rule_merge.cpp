#include "stylesheet/rule_merge.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "stylesheet/gauge_steps.h"

namespace pelloran {

namespace {

// The declarations of the table grouped into classes of equal texts. A
// declaration's number is its place in the table, rule by rule and slot by
// slot, which is the order in which a search of the whole table meets them;
// each class lists its members in that order, side by side in one array.
class DeclarationClasses {
 public:
  DeclarationClasses(RuleTable& table, MergeScratch& scratch) : table_(table), s_(scratch) {
    const std::span<Declaration> all = table.AllDeclarations();
    s_.class_of.clear();
    s_.class_head_text.clear();
    s_.declaration_index.Reset(0);  // grows with the classes, which are few as a rule
    for (const Rule& rule : table.rules()) {
      for (uint32_t d = 0; d < rule.declaration_count; ++d) {
        s_.class_of.push_back(ClassOf(all, rule.first_declaration, d));
      }
    }
    ListMembers();
  }

  uint32_t ClassOf(uint32_t declaration) const { return s_.class_of[declaration]; }
  size_t class_count() const { return s_.class_head_text.size(); }

  // Calls visit(rule number, declaration) for each member, in order.
  template <typename Visit>
  void ForEachMember(uint32_t cls, Visit visit) const {
    const std::span<Declaration> all = table_.AllDeclarations();
    for (uint32_t i = s_.member_begin[cls]; i < s_.member_begin[cls + 1]; ++i) {
      const uint64_t member = s_.members[i];
      visit(static_cast<uint32_t>(member >> 32), all[static_cast<uint32_t>(member)]);
    }
  }

 private:
  // The class of declaration d of a rule whose declarations start at `first`
  // and whose earlier ones are classed already.
  uint32_t ClassOf(std::span<Declaration> all, uint32_t first, uint32_t d) {
    const Declaration& declaration = all[first + d];
    // A text the rule stored once for several slots has the class it had.
    if (declaration.same_as != Declaration::kStoredHere) return s_.class_of[first + declaration.same_as];
    const uint32_t fresh = static_cast<uint32_t>(s_.class_head_text.size());
    auto head_text = [this](uint32_t cls) { return table_.Text(s_.class_head_text[cls]); };
    const uint32_t cls = s_.declaration_index.FindOrAdd(table_.Text(declaration.text), fresh, head_text);
    if (cls != FoldedIndex::kNone) return cls;
    s_.class_head_text.push_back(declaration.text);
    return fresh;
  }

  // Sorts the declarations by class, keeping their order within a class.
  void ListMembers() {
    s_.member_begin.assign(class_count() + 1, 0);
    for (uint32_t cls : s_.class_of) ++s_.member_begin[cls + 1];
    for (size_t c = 1; c < s_.member_begin.size(); ++c) s_.member_begin[c] += s_.member_begin[c - 1];
    s_.next_member.assign(s_.member_begin.begin(), s_.member_begin.end() - 1);
    s_.members.resize(s_.class_of.size());
    uint32_t m = 0;
    for (uint32_t r = 0; r < table_.rules().size(); ++r) {
      for (uint32_t d = 0; d < table_.rules()[r].declaration_count; ++d, ++m) {
        s_.members[s_.next_member[s_.class_of[m]]++] = uint64_t{r} << 32 | m;
      }
    }
  }

  RuleTable& table_;
  MergeScratch& s_;
};

// The selectors of the absorbing rule, for the case-blind duplicate test,
// indexed by their place in the rule.
class SelectorSet {
 public:
  SelectorSet(const RuleTable& table, const Rule& rule, FoldedIndex& index)
      : table_(table), rule_(rule), index_(index) {
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
  FoldedIndex& index_;
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

void MergeRules(RuleTable& table, ProgressGauge& gauge, MergeScratch& scratch) {
  DeclarationClasses classes(table, scratch);
  std::vector<uint8_t>& merged = scratch.merged;
  merged.assign(classes.class_count(), 0);
  std::vector<Rule>& rules = table.rules();
  // Once rule k holds the selectors of rule s, matching s again adds none
  // (or k is full), so each pair appends once.
  std::vector<uint32_t>& appended_to = scratch.appended_to;
  appended_to.assign(rules.size(), UINT32_MAX);
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
      merged[cls] = 1;
      const bool raises_gauge = RaisesGaugeWhenAbsorbing(k + 1);
      classes.ForEachMember(cls, [&](uint32_t s, Declaration& other) {
        if (s == k || other.text.empty()) return;
        if (appended_to[s] != k && rule.selector_count < kMaxSelectors) {
          if (!known) known.emplace(table, rule, scratch.selector_index);
          AppendSelectors(table, rule, rules[s], *known);
          appended_to[s] = k;
        }
        other.text = TextRef{};
        if (raises_gauge) RaiseGaugeTo(gauge, 94);
      });
    }
  }
}

void MergeRules(RuleTable& table, ProgressGauge& gauge) {
  MergeScratch scratch;
  MergeRules(table, gauge, scratch);
}

}  // namespace pelloran
