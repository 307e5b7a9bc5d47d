#pragma once

// The rule table of one style element: the rules in the order read, each with
// its selector tokens and the declarations kept for the ticked property boxes.
// It lives for one call of FilterStyleBlock.

#include <string>
#include <vector>

namespace pelloran {

inline constexpr int kMaxRules = 600;
inline constexpr int kMaxSelectors = 200;

struct Rule {
  // Selector tokens in the order read, then those the merge appended; at most
  // kMaxSelectors. An empty string is a free slot.
  std::vector<std::string> selectors;
  // Kept declarations in ascending slot (box) order; slots[i] is the slot of
  // declarations[i]. The merge empties a declaration to clear its slot.
  std::vector<std::string> declarations;
  std::vector<unsigned char> slots;

  bool KeepsAnything() const {
    for (const std::string& d : declarations) {
      if (!d.empty()) return true;
    }
    return false;
  }
};

// Rule number n (1 to kMaxRules) is rules[n - 1].
struct RuleTable {
  std::vector<Rule> rules;
};

}  // namespace pelloran
