#pragma once

// Merges rules that keep an equal declaration (compared without regard to
// letter case). Taking the rules in table order and each rule's declarations
// in slot order, the first rule holding a declaration absorbs every later
// rule holding an equal one: it appends that rule's selectors it does not yet
// have (ignoring case; at most kMaxSelectors in all) and clears the equal
// slots there. Equal declarations within one rule stay. Steps the gauge below
// 94 once per declaration of rules 1 to 599, and raises it to 94 when rule
// 150, 300, 450 or 600 absorbs a rule.

#include <cstdint>
#include <vector>

#include "interfaces/progress_gauge.h"
#include "stylesheet/folded_index.h"
#include "stylesheet/rule_table.h"

namespace pelloran {

// The merge's working storage. Kept from one table to the next, it lets the
// merge run without allocating once it has grown to the tables' size.
struct MergeScratch {
  FoldedIndex declaration_index;
  std::vector<uint32_t> class_of;        // per declaration
  std::vector<TextRef> class_head_text;  // per class: the text of its first member
  std::vector<uint32_t> member_begin;    // per class, then one past the last
  std::vector<uint32_t> next_member;     // per class, while listing them
  std::vector<uint64_t> members;         // rule number << 32 | declaration number
  std::vector<uint8_t> merged;           // per class
  std::vector<uint32_t> appended_to;     // per rule
  FoldedIndex selector_index;
  std::vector<uint32_t> selector_class;  // per selector as read
  std::vector<TextRef> selector_class_head;
  std::vector<uint32_t> selector_mark;  // per class: the last rule to hold it
};

void MergeRules(RuleTable& table, ProgressGauge& gauge, MergeScratch& scratch);
void MergeRules(RuleTable& table, ProgressGauge& gauge);

}  // namespace pelloran
