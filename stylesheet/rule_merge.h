#pragma once

// Merges rules that keep an equal declaration (compared without regard to
// letter case). Taking the rules in table order and each rule's declarations
// in slot order, the first rule holding a declaration absorbs every later
// rule holding an equal one: it appends that rule's selectors it does not yet
// have (ignoring case; at most kMaxSelectors in all) and clears the equal
// slots there. Equal declarations within one rule stay. Steps the gauge below
// 94 once per declaration of rules 1 to 599, and raises it to 94 when rule
// 150, 300, 450 or 600 absorbs a rule.

#include "cleaner/progress_gauge.h"
#include "stylesheet/rule_table.h"

namespace pelloran {

void MergeRules(RuleTable& table, ProgressGauge& gauge);

}  // namespace pelloran
