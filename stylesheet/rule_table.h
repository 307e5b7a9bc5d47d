#pragma once

// The rule table of one style element: the rules in the order read, each with
// its selectors and the declarations kept for the ticked property boxes.
//
// All texts sit in one buffer and each rule's selectors and declarations are
// runs of two shared arrays, so a table costs a handful of allocations rather
// than several per rule, and none at all when the table is cleared and filled
// again. The table grows as far as the style element goes; it holds only the
// texts kept, so it stays below the size of the element it was read from.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelloran {

// A stretch of the table's text; an empty one marks a free slot.
struct TextRef {
  uint32_t offset = 0;
  uint32_t length = 0;
  bool empty() const { return length == 0; }
  // The same stored text, not merely an equal one.
  bool operator==(const TextRef&) const = default;
};

struct Declaration {
  TextRef text;        // emptied when the merge clears the slot
  uint8_t slot = 0;    // the property box that kept it
  uint16_t place = 0;  // which declaration of its block it was, from 0
};

struct Rule {
  uint32_t first_selector = 0;
  uint32_t selector_count = 0;
  uint32_t first_declaration = 0;
  uint32_t declaration_count = 0;  // in ascending slot order
  // An at-rule kept as it stands: its whole text is its one selector, and
  // it has no declarations.
  bool at_rule = false;
  // A browser rejects the selector list as it stood in the page, though the
  // selectors stored may read well (an empty one was not stored, a comment
  // that parted two names was taken out).
  bool list_rejected = false;
};

class RuleTable {
 public:
  // Readable bytes after every text, so that a reader may load whole words
  // at its end.
  static constexpr size_t kTextPadding = 8;

  // Forgets every rule, keeping the storage for the next table.
  void Clear();
  // How many bytes of text the storage holds without growing.
  size_t text_capacity() const { return text_.size(); }

  std::vector<Rule>& rules() { return rules_; }
  const std::vector<Rule>& rules() const { return rules_; }

  // Followed by kTextPadding readable bytes.
  std::string_view Text(TextRef ref) const {
    return std::string_view(text_.data() + ref.offset, ref.length);
  }
  std::span<TextRef> SelectorsOf(const Rule& rule) {
    return std::span(selectors_).subspan(rule.first_selector, rule.selector_count);
  }
  std::span<const TextRef> SelectorsOf(const Rule& rule) const {
    return std::span(selectors_).subspan(rule.first_selector, rule.selector_count);
  }
  std::span<Declaration> DeclarationsOf(const Rule& rule) {
    return std::span(declarations_).subspan(rule.first_declaration, rule.declaration_count);
  }
  std::span<const Declaration> DeclarationsOf(const Rule& rule) const {
    return std::span(declarations_).subspan(rule.first_declaration, rule.declaration_count);
  }
  bool KeepsAnything(const Rule& rule) const;
  // Every declaration of the table, in rule and slot order.
  std::span<Declaration> AllDeclarations() { return declarations_; }
  std::span<const Declaration> AllDeclarations() const { return declarations_; }
  // Every selector of the table: those of the rules in the order read, then
  // any appended by the merge.
  std::span<const TextRef> AllSelectors() const { return selectors_; }

  // Building, one rule at a time: selectors and declarations go to the last rule.
  void BeginRule();
  void AddSelector(std::string_view selector);
  void MarkListRejected() { rules_.back().list_rejected = true; }
  void AddDeclaration(int slot, std::string_view text, uint16_t place);
  // An at-rule, as a rule of its own.
  void AddAtRule(std::string_view text);
  // Forgets the last rule and all it stored; only before the next BeginRule.
  void DropLastRule();

  // Appends a selector of the table to a rule. The rule's selectors move to
  // the end of the array first when they are not already there.
  void AppendSelector(Rule& rule, TextRef selector);

 private:
  TextRef AddText(std::string_view text);

  std::vector<char> text_;  // text_size_ bytes in use, then at least kTextPadding
  size_t text_size_ = 0;
  std::vector<TextRef> selectors_;
  std::vector<Declaration> declarations_;
  std::vector<Rule> rules_;
  size_t last_rule_text_ = 0;  // where the last rule's texts begin
};

}  // namespace pelloran
