#include "stylesheet/rule_merge.h"

#include <cstdint>
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
    if (declaration.same_as != Declaration::kStoredHere)
      return s_.class_of[first + declaration.same_as];
    const uint32_t fresh = static_cast<uint32_t>(s_.class_head_text.size());
    auto head_text = [this](uint32_t cls) { return table_.Text(s_.class_head_text[cls]); };
    const uint32_t cls =
        s_.declaration_index.FindOrAdd(table_.Text(declaration.text), fresh, head_text);
    if (cls != FoldedIndex::kNone) return cls;
    s_.class_head_text.push_back(declaration.text);
    return fresh;
  }

  // Sorts the declarations by class, keeping their order within a class.
  void ListMembers() {
    s_.member_begin.assign(class_count() + 1, 0);
    for (uint32_t cls : s_.class_of) ++s_.member_begin[cls + 1];
    for (size_t c = 1; c < s_.member_begin.size(); ++c)
      s_.member_begin[c] += s_.member_begin[c - 1];
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

// Selectors put into classes of equal texts (ignoring case) as the merge
// meets them, so that the duplicate test of an append is one look at the
// absorbing rule's mark on the class. A selector is classed by its place in
// the table as read; the merge only ever appends selectors from there, since
// a rule that has not absorbed yet still holds its own.
class SelectorClasses {
 public:
  SelectorClasses(const RuleTable& table, MergeScratch& scratch) : table_(table), s_(scratch) {
    original_count_ = table.AllSelectors().size();
    s_.selector_class.assign(original_count_, kUnclassed);
    s_.selector_class_head.clear();
    s_.selector_mark.clear();
    s_.selector_index.Reset(0);
  }

  // Marks the classes of a rule's own selectors as held by absorbing rule k.
  void MarkOwn(const Rule& rule, uint32_t k) {
    for (uint32_t i = 0; i < rule.selector_count; ++i) {
      s_.selector_mark[ClassAt(rule.first_selector + i)] = k;
    }
  }

  // Whether the selector at `place` in the table is new to absorbing rule k,
  // which then holds it.
  bool TakeNew(uint32_t place, uint32_t k) {
    uint32_t& mark = s_.selector_mark[ClassAt(place)];
    if (mark == k) return false;
    mark = k;
    return true;
  }

 private:
  static constexpr uint32_t kUnclassed = UINT32_MAX;

  uint32_t ClassAt(uint32_t place) {
    // A selector the merge appended: not asked for, as said above, but
    // classed all the same.
    if (place >= original_count_) return ClassOf(table_.AllSelectors()[place]);
    uint32_t& cls = s_.selector_class[place];
    if (cls == kUnclassed) cls = ClassOf(table_.AllSelectors()[place]);
    return cls;
  }

  uint32_t ClassOf(TextRef selector) {
    const uint32_t fresh = static_cast<uint32_t>(s_.selector_class_head.size());
    auto head_text = [this](uint32_t cls) { return table_.Text(s_.selector_class_head[cls]); };
    const uint32_t cls = s_.selector_index.FindOrAdd(table_.Text(selector), fresh, head_text);
    if (cls != FoldedIndex::kNone) return cls;
    s_.selector_class_head.push_back(selector);
    s_.selector_mark.push_back(UINT32_MAX);
    return fresh;
  }

  const RuleTable& table_;
  MergeScratch& s_;
  size_t original_count_ = 0;
};

bool RaisesGaugeWhenAbsorbing(size_t rule_number) {
  return rule_number == 150 || rule_number == 300 || rule_number == 450 || rule_number == 600;
}

// Appends the selectors of `from` that rule k (`to`) lacks, as far as it has
// room.
void AppendSelectors(RuleTable& table, Rule& to, uint32_t k, const Rule& from,
                     SelectorClasses& classes) {
  for (uint32_t i = 0; i < from.selector_count; ++i) {
    if (to.selector_count >= kMaxSelectors) return;
    const uint32_t place = from.first_selector + i;
    const TextRef selector = table.AllSelectors()[place];
    if (!selector.empty() && classes.TakeNew(place, k)) table.AppendSelector(to, selector);
  }
}

}  // namespace

void MergeRules(RuleTable& table, ProgressGauge& gauge, MergeScratch& scratch) {
  DeclarationClasses classes(table, scratch);
  SelectorClasses selector_classes(table, scratch);
  std::vector<uint8_t>& merged = scratch.merged;
  merged.assign(classes.class_count(), 0);
  std::vector<Rule>& rules = table.rules();
  // Once rule k holds the selectors of rule s, matching s again adds none
  // (or k is full), so each pair appends once.
  std::vector<uint32_t>& appended_to = scratch.appended_to;
  appended_to.assign(rules.size(), UINT32_MAX);
  for (uint32_t k = 0; k < rules.size(); ++k) {
    Rule& rule = rules[k];
    bool absorbed = false;  // whether the rule's own selectors are marked yet
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
          if (!absorbed) selector_classes.MarkOwn(rule, k);
          absorbed = true;
          AppendSelectors(table, rule, k, rules[s], selector_classes);
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
