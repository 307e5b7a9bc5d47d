#include "stylesheet/rule_table.h"

#include <algorithm>
#include <cstring>

namespace pelloran {

void RuleTable::Clear() {
  text_size_ = 0;
  selectors_.clear();
  declarations_.clear();
  rules_.clear();
  last_rule_text_ = 0;
}

bool RuleTable::KeepsAnything(const Rule& rule) const {
  for (const Declaration& declaration : DeclarationsOf(rule)) {
    if (!declaration.text.empty()) return true;
  }
  return false;
}

void RuleTable::BeginRule() {
  Rule rule;
  rule.first_selector = static_cast<uint32_t>(selectors_.size());
  rule.first_declaration = static_cast<uint32_t>(declarations_.size());
  rules_.push_back(rule);
  last_rule_text_ = text_size_;
}

void RuleTable::AddSelector(std::string_view selector) {
  selectors_.push_back(AddText(selector));
  ++rules_.back().selector_count;
}

void RuleTable::AddDeclaration(int slot, std::string_view text, uint16_t place) {
  declarations_.push_back({AddText(text), static_cast<uint8_t>(slot), place});
  ++rules_.back().declaration_count;
}

void RuleTable::AddAtRule(std::string_view text) {
  BeginRule();
  AddSelector(text);
  rules_.back().at_rule = true;
}

void RuleTable::DropLastRule() {
  const Rule& rule = rules_.back();
  text_size_ = last_rule_text_;
  selectors_.resize(rule.first_selector);
  declarations_.resize(rule.first_declaration);
  rules_.pop_back();
}

void RuleTable::AppendSelector(Rule& rule, TextRef selector) {
  if (rule.first_selector + rule.selector_count != selectors_.size()) {
    const uint32_t moved = static_cast<uint32_t>(selectors_.size());
    for (uint32_t i = 0; i < rule.selector_count; ++i) {
      const TextRef kept = selectors_[rule.first_selector + i];
      selectors_.push_back(kept);
    }
    rule.first_selector = moved;
  }
  selectors_.push_back(selector);
  ++rule.selector_count;
}

TextRef RuleTable::AddText(std::string_view text) {
  const size_t needed = text_size_ + text.size() + kTextPadding;
  // Grown by half, not doubled: the texts of a large element are most of the
  // filter's memory.
  if (needed > text_.size())
    text_.resize(std::max<size_t>({needed, 4096, text_.size() + text_.size() / 2}));
  const TextRef ref{static_cast<uint32_t>(text_size_), static_cast<uint32_t>(text.size())};
  if (!text.empty()) std::memcpy(text_.data() + text_size_, text.data(), text.size());
  text_size_ += text.size();
  return ref;
}

}  // namespace pelloran
