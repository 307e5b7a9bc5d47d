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

bool RuleTable::AddSelector(std::string_view selector) {
  Rule& rule = rules_.back();
  if (rule.selector_count >= kMaxSelectors) return false;
  selectors_.push_back(AddText(selector));
  ++rule.selector_count;
  return true;
}

void RuleTable::AddDeclaration(int slot, std::string_view text) {
  AddDeclaration(slot, AddText(text));
}

void RuleTable::AddDeclaration(int slot, TextRef text) {
  declarations_.push_back({text, static_cast<uint8_t>(slot)});
  ++rules_.back().declaration_count;
}

void RuleTable::AddDeclarationAgain(int slot, uint32_t earlier) {
  Rule& rule = rules_.back();
  const TextRef text = declarations_[rule.first_declaration + earlier].text;
  declarations_.push_back({text, static_cast<uint8_t>(slot), static_cast<uint8_t>(earlier)});
  ++rule.declaration_count;
}

void RuleTable::DropLastRule() {
  const Rule& rule = rules_.back();
  text_size_ = last_rule_text_;
  selectors_.resize(rule.first_selector);
  declarations_.resize(rule.first_declaration);
  rules_.pop_back();
}

void RuleTable::AppendSelector(Rule& rule, TextRef selector) {
  if (rule.selector_count >= kMaxSelectors) return;
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

void RuleTable::RemoveLastSelector(Rule& rule) {
  selectors_.pop_back();
  --rule.selector_count;
}

TextRef RuleTable::AddText(std::string_view text) {
  const size_t needed = text_size_ + text.size() + kTextPadding;
  if (needed > text_.size()) text_.resize(std::max<size_t>({needed, 4096, 2 * text_.size()}));
  const TextRef ref{static_cast<uint32_t>(text_size_), static_cast<uint32_t>(text.size())};
  if (!text.empty()) std::memcpy(text_.data() + text_size_, text.data(), text.size());
  text_size_ += text.size();
  return ref;
}

}  // namespace pelloran
