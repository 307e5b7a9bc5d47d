#include "stylesheet/rule_merge.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "stylesheet/gauge_steps.h"
#include "stylesheet/keep_table.h"
#include "stylesheet/standard_selector.h"

namespace pelloran {

namespace {

constexpr uint32_t kNone = UINT32_MAX;

// Numbers the declarations' texts so that equal ones (ignoring case) get the
// same class.
void ClassifyDeclarations(const RuleTable& table, MergeScratch& s) {
  s.class_of.clear();
  s.class_head_text.clear();
  s.declaration_index.Reset(0);  // grows with the classes, which are few as a rule
  auto head_text = [&](uint32_t cls) { return table.Text(s.class_head_text[cls]); };
  for (const Declaration& d : table.AllDeclarations()) {
    const uint32_t fresh = static_cast<uint32_t>(s.class_head_text.size());
    const uint32_t cls = s.declaration_index.FindOrAdd(table.Text(d.text), fresh, head_text);
    if (cls == FoldedIndex::kNone) s.class_head_text.push_back(d.text);
    s.class_of.push_back(cls == FoldedIndex::kNone ? fresh : cls);
  }
}

// For each property, the declarations of it in table order, so that the
// next rule after a place that still keeps the property is a binary search
// and a few hops over cleared ones.
class PropertyIndex {
 public:
  PropertyIndex(RuleTable& table, MergeScratch& s) : table_(table), s_(s) {
    constexpr size_t kRows = kKeepTable.size();
    s_.row_begin.assign(kRows + 1, 0);
    for (const Declaration& d : table.AllDeclarations()) ++s_.row_begin[RowOfBox(d.slot) + 1];
    for (size_t r = 1; r <= kRows; ++r) s_.row_begin[r] += s_.row_begin[r - 1];
    s_.row_entries.resize(table.AllDeclarations().size());
    std::vector<uint32_t>& fill = s_.next_entry;  // borrowed while filling
    fill.assign(s_.row_begin.begin(), s_.row_begin.end() - 1);
    const std::vector<Rule>& rules = table.rules();
    for (uint32_t r = 0; r < rules.size(); ++r) {
      for (uint32_t i = 0; i < rules[r].declaration_count; ++i) {
        const uint32_t d = rules[r].first_declaration + i;
        const int row = RowOfBox(table.AllDeclarations()[d].slot);
        s_.row_entries[fill[static_cast<size_t>(row)]++] = uint64_t{r} << 32 | d;
      }
    }
    s_.next_entry.resize(s_.row_entries.size());
    for (uint32_t e = 0; e < s_.next_entry.size(); ++e) s_.next_entry[e] = e + 1;
  }

  // The first rule after `place` that keeps a declaration of `row`; kNone
  // when there is none.
  uint32_t NextKeeping(size_t row, uint32_t place) {
    const auto begin = s_.row_entries.begin() + s_.row_begin[row];
    const auto end = s_.row_entries.begin() + s_.row_begin[row + 1];
    const uint64_t key = (uint64_t{place} + 1) << 32;
    const uint32_t at =
        static_cast<uint32_t>(std::lower_bound(begin, end, key) - s_.row_entries.begin());
    const uint32_t live = FirstLive(at, s_.row_begin[row + 1]);
    return live == s_.row_begin[row + 1] ? kNone
                                         : static_cast<uint32_t>(s_.row_entries[live] >> 32);
  }

 private:
  bool Cleared(uint32_t entry) const {
    return table_.AllDeclarations()[static_cast<uint32_t>(s_.row_entries[entry])].text.empty();
  }
  // The first entry from `at` whose declaration is not cleared, or `end`;
  // the hops taken are shortened for the next search.
  uint32_t FirstLive(uint32_t at, uint32_t end) {
    uint32_t live = at;
    while (live < end && Cleared(live)) live = s_.next_entry[live];
    for (uint32_t e = at; e < live;) {
      const uint32_t next = s_.next_entry[e];
      s_.next_entry[e] = live;
      e = next;
    }
    return live;
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

// Whether rule r may absorb or be absorbed: its list as it stood and each
// of its selectors read by every browser. Looked at once per rule; the
// selectors a rule absorbs are those of rules that take part.
class MergeableRules {
 public:
  MergeableRules(const RuleTable& table, MergeScratch& scratch)
      : table_(table), takes_part_(scratch.takes_part) {
    takes_part_.assign(table.rules().size(), kNotLookedAt);
  }

  bool TakesPart(uint32_t r) {
    if (takes_part_[r] == kNotLookedAt) takes_part_[r] = LookAt(table_.rules()[r]) ? kYes : kNo;
    return takes_part_[r] == kYes;
  }

 private:
  static constexpr uint8_t kNotLookedAt = 0, kYes = 1, kNo = 2;

  bool LookAt(const Rule& rule) const {
    if (rule.list_rejected || rule.selector_count == 0) return false;
    for (const TextRef selector : table_.SelectorsOf(rule))
      if (!IsStandardSelector(table_.Text(selector))) return false;
    return true;
  }

  const RuleTable& table_;
  std::vector<uint8_t>& takes_part_;
};

bool RaisesGaugeWhenAbsorbing(size_t rule_number) {
  return rule_number == 150 || rule_number == 300 || rule_number == 450 || rule_number == 600;
}

// Appends the selectors of `from` that rule k (`to`) lacks.
void AppendSelectors(RuleTable& table, Rule& to, uint32_t k, const Rule& from,
                     SelectorClasses& classes) {
  for (uint32_t i = 0; i < from.selector_count; ++i) {
    const uint32_t place = from.first_selector + i;
    const TextRef selector = table.AllSelectors()[place];
    if (!selector.empty() && classes.TakeNew(place, k)) table.AppendSelector(to, selector);
  }
}

// One absorbing rule k with its declarations `own` (not cleared), and what
// it may absorb.
class Absorber {
 public:
  Absorber(RuleTable& table, MergeScratch& s) : table_(table), s_(s), matched_(s.matched) {
    for (const uint32_t d : s.own) {
      const uint64_t bit = uint64_t{1} << RowOfBox(table.AllDeclarations()[d].slot);
      own_rows_ |= bit;
      if (OverlapMask(RowOfBox(table.AllDeclarations()[d].slot)) & (own_rows_ & ~bit))
        ordered_ = true;
    }
    for (uint64_t rows = own_rows_; rows != 0; rows &= rows - 1)
      blocking_rows_ |= OverlapMask(std::countr_zero(rows));
  }

  uint64_t blocking_rows() const { return blocking_rows_; }

  // Whether rule s keeps k's declarations, equal, no other of their
  // properties, and those that overlap in the same order. Fills matched_
  // with s's declarations equal to k's, in the order of own.
  bool CanAbsorb(const Rule& s) {
    matched_.clear();
    const std::span<Declaration> all = table_.AllDeclarations();
    size_t next_own = 0;
    for (uint32_t i = 0; i < s.declaration_count; ++i) {
      const uint32_t d = s.first_declaration + i;
      if (all[d].text.empty()) continue;
      const uint64_t bit = uint64_t{1} << RowOfBox(all[d].slot);
      if ((bit & blocking_rows_) == 0) continue;
      if ((bit & own_rows_) == 0) return false;
      // Both run in slot order, so k's declaration of this slot is the next.
      if (next_own < s_.own.size() && all[s_.own[next_own]].slot < all[d].slot) return false;
      if (next_own == s_.own.size() || s_.class_of[s_.own[next_own]] != s_.class_of[d])
        return false;
      matched_.push_back(d);
      ++next_own;
    }
    return next_own == s_.own.size() && (!ordered_ || SameOrder());
  }

  // Clears the declarations CanAbsorb matched.
  void ClearMatched() {
    for (const uint32_t d : matched_) table_.AllDeclarations()[d].text = TextRef{};
  }

 private:
  bool SameOrder() const {
    const std::span<Declaration> all = table_.AllDeclarations();
    for (size_t i = 0; i < s_.own.size(); ++i) {
      for (size_t j = i + 1; j < s_.own.size(); ++j) {
        const Declaration& a = all[s_.own[i]];
        const Declaration& b = all[s_.own[j]];
        if ((OverlapMask(RowOfBox(a.slot)) >> RowOfBox(b.slot) & 1) == 0) continue;
        if ((a.place < b.place) != (all[matched_[i]].place < all[matched_[j]].place)) return false;
      }
    }
    return true;
  }

  RuleTable& table_;
  const MergeScratch& s_;
  std::vector<uint32_t>& matched_;
  uint64_t own_rows_ = 0;
  uint64_t blocking_rows_ = 0;
  bool ordered_ = false;
};

}  // namespace

void MergeRules(RuleTable& table, ProgressGauge& gauge, MergeScratch& scratch) {
  ClassifyDeclarations(table, scratch);
  PropertyIndex index(table, scratch);
  SelectorClasses selector_classes(table, scratch);
  MergeableRules mergeable(table, scratch);
  std::vector<Rule>& rules = table.rules();
  const uint32_t count = static_cast<uint32_t>(rules.size());
  scratch.next_at_rule.assign(count + 1, count);
  for (uint32_t r = count; r-- > 0;)
    scratch.next_at_rule[r] = rules[r].at_rule ? r : scratch.next_at_rule[r + 1];
  for (uint32_t k = 0; k < count; ++k) {
    Rule& rule = rules[k];
    scratch.own.clear();
    for (uint32_t i = 0; i < rule.declaration_count; ++i) {
      if (table.AllDeclarations()[rule.first_declaration + i].text.empty()) continue;
      scratch.own.push_back(rule.first_declaration + i);
      if (k + 1 != kGaugeMergeRule) StepGaugeBelow(gauge, 94);
    }
    if (scratch.own.empty() || !mergeable.TakesPart(k)) continue;
    Absorber absorber(table, scratch);
    bool absorbed = false;  // whether the rule's own selectors are marked yet
    for (uint32_t place = k;;) {
      uint32_t s = kNone;
      for (uint64_t rows = absorber.blocking_rows(); rows != 0; rows &= rows - 1)
        s = std::min(s, index.NextKeeping(static_cast<size_t>(std::countr_zero(rows)), place));
      if (s == kNone || s > scratch.next_at_rule[k + 1] || !mergeable.TakesPart(s) ||
          !absorber.CanAbsorb(rules[s]))
        break;
      if (!absorbed) selector_classes.MarkOwn(rule, k);
      absorbed = true;
      AppendSelectors(table, rule, k, rules[s], selector_classes);
      absorber.ClearMatched();
      if (RaisesGaugeWhenAbsorbing(k + 1)) RaiseGaugeTo(gauge, 94);
      place = s;
    }
  }
}

void MergeRules(RuleTable& table, ProgressGauge& gauge) {
  MergeScratch scratch;
  MergeRules(table, gauge, scratch);
}

}  // namespace pelloran
