#pragma once

// Merges rules that keep equal declarations (compared without regard to
// letter case), but only where a browser computes the same afterwards.
// Only rules whose selectors every browser reads take part (see
// standard_selector.h): one selector a browser rejects voids the whole rule
// it stands in, so such a rule neither absorbs nor is absorbed, and stays
// as it would be written without a merge. Taking the rules in table order,
// rule k absorbs a later rule s when
//   - both take part;
//   - s keeps every declaration k keeps, equal ignoring case;
//   - s keeps no other declaration of a property that overlaps one of k's
//     (the same property, or a shorthand and a longhand it sets);
//   - where two of k's declarations overlap, s has them in the same order;
//   - no rule between k and s keeps a declaration of a property that
//     overlaps one of k's (whether it takes part or not: the user's browser
//     may read a selector another rejects), and no at-rule stands between
//     them.
// Rule k then appends those of s's selectors it does not have yet (ignoring
// case), and s's declarations equal to k's are cleared. The walk from k goes
// on past s to the next rule keeping such a property. Steps the gauge below
// 94 once per declaration of every rule but the 600th, and raises it to 94
// when rule 150, 300, 450 or 600 absorbs a rule.
//
// Each rule looks only at the rules up to the next one that may block it,
// so the merge costs a few searches per rule and per absorbed rule, however
// long the table.

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
  std::vector<uint32_t> row_begin;       // per keep-table row, then one past the last
  std::vector<uint64_t> row_entries;     // rule number << 32 | declaration number
  std::vector<uint32_t> next_entry;      // per entry: where a live one may be next
  std::vector<uint32_t> next_at_rule;    // per rule
  std::vector<uint32_t> own;             // the declarations of the absorbing rule
  std::vector<uint32_t> matched;         // those of the rule it may absorb
  FoldedIndex selector_index;
  std::vector<uint32_t> selector_class;  // per selector as read
  std::vector<TextRef> selector_class_head;
  std::vector<uint32_t> selector_mark;  // per class: the last rule to hold it
  std::vector<uint8_t> takes_part;      // per rule: not looked at yet, yes or no
};

void MergeRules(RuleTable& table, ProgressGauge& gauge, MergeScratch& scratch);
void MergeRules(RuleTable& table, ProgressGauge& gauge);

}  // namespace pelloran
