#include "cleaner/style_override_pass.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cleaner/class_tables.h"
#include "cleaner/markup_scanner.h"
#include "stylesheet/rule_writer.h"

namespace pelloran {
namespace {

// Bare tag selectors whose rules survive on every page.
constexpr std::string_view kAlwaysUsed[] = {"a", "A", "img", "IMG"};

bool EndsToken(int c) { return IsBlank(c) || c == '{' || c == ',' || c == '<'; }

class StyleOverridePass {
 public:
  StyleOverridePass(CleanContext& context, ClassTables& tables, RunState& run)
      : tables_(tables),
        run_(run),
        scan_(context.input, context.working_copy),
        statistics_(context.statistics) {
    token_.reserve(64);
    block_.reserve(256);
  }

  void Run() {
    FindDominance();
    while (!scan_.AtInputEnd()) {
      if (!scan_.CopyText()) break;
      HandleTag();
    }
  }

 private:
  void FindDominance();
  void HandleTag();
  void ParagraphTag();
  void StyleElement();
  int ReadToken(int c);
  void LookUpToken();
  void AddSelector(std::string_view selector);
  int ReadBlock();
  bool AtStyleEndTag();
  void WriteRule();

  ClassTables& tables_;
  RunState& run_;
  MarkupScanner scan_;
  CleanStatistics* statistics_;  // none: nothing counted
  bool dominance_found_ = false;
  int match_count_ = 0;  // used-selector slots matched by the rule's tokens so far
  std::string token_;    // the selector token being read
  // The rule's selectors to write: the first selector_count_ entries (the
  // strings are reused from rule to rule).
  std::vector<std::string> selectors_;
  size_t selector_count_ = 0;
  std::string block_;  // the rule's block, braces included
  AttributePicker picker_;
};

// A paragraph class used by more than 40 per cent of the counted paragraphs
// (over every page cleaned so far) dominates; the keys that matter for this
// page enter the used-selector list.
void StyleOverridePass::FindDominance() {
  dominance_found_ = false;
  const auto& classes = tables_.paragraph_classes();
  int64_t total = 0;
  for (const auto& entry : classes) total += entry.count;
  // count / total > 0.4, exactly: 5 * count > 2 * total.
  auto dominant = [total](const ClassTables::ParagraphClass& entry) {
    return 5 * static_cast<int64_t>(entry.count) > 2 * total;
  };
  for (const auto& entry : classes) {
    if (!dominant(entry)) continue;
    dominance_found_ = true;
    tables_.AddUsedSelector(entry.key);
    run_.dominant_class = entry.key;
  }
  if (!dominance_found_) {
    for (const auto& entry : classes) tables_.AddUsedSelector(entry.key);
  }
  for (std::string_view selector : kAlwaysUsed) tables_.AddUsedSelector(selector);
}

// One tag: paragraphs are bared, style elements filtered, the rest copied.
void StyleOverridePass::HandleTag() {
  scan_.ReadTagName(/*span_rule=*/false);
  scan_.Put('<');
  switch (ClassifyTagName(scan_.name())) {
    case TagKind::kP:
      ParagraphTag();
      break;
    case TagKind::kConditionalComment:
      scan_.CopyConditionalComment();  // style elements inside stay as they are
      break;
    case TagKind::kStyle:
      StyleElement();
      break;
    case TagKind::kScript:
      scan_.CopyScript();
      break;
    case TagKind::kNoscript:
      scan_.CopyNoscript();
      break;
    default:
      scan_.CopyTag();
      break;
  }
}

// <p ...>: every paragraph start tag becomes <p>, or <p/> when it closed
// itself; an id, the target of in-page links, stays.
void StyleOverridePass::ParagraphTag() {
  static constexpr KeptName kIdName[] = {{"id", true}};
  if (statistics_ != nullptr) ++statistics_->paragraph_tags_bared;
  scan_.Put('p');
  if (scan_.terminator() == '>') {
    scan_.PutClose();
    return;
  }
  picker_.Start(kIdName);
  if (!scan_.DropThroughClose(&picker_)) return;
  bool last_unquoted = false;
  scan_.Write(picker_.TakeCompleted(&last_unquoted));
  scan_.PutCloseAfterKept(picker_, last_unquoted);
}

// <style>: keeps the rules whose selectors are in use, the dominant class as "p".
void StyleOverridePass::StyleElement() {
  match_count_ = 0;
  selector_count_ = 0;
  scan_.Write("style>");
  int c = scan_.current();
  if (c != '{') c = scan_.Next();
  while (c != '<' && c != kEndMark) {
    c = ReadToken(c);
    if (c != '{' && c != '<' && !token_.empty()) LookUpToken();
    if (c == '{') c = ReadBlock();
    if (c != '<' && c != kEndMark) {
      c = scan_.Next();
      if (c == '\r') c = scan_.Next();  // a line end counts as one character
    }
  }
  // A rule cut off by the end tag or the end of the page is dropped.
  if (c == '<') {
    scan_.Put('<');
    scan_.CopyThroughClose();
  }
}

// Reads a token from `c` to a blank, "{", "," or "<", keeps what follows its
// last blank and returns the character that ended it.
int StyleOverridePass::ReadToken(int c) {
  token_.clear();
  do {
    token_.push_back(static_cast<char>(c));
    if (c != '{') c = scan_.Next();
  } while (!EndsToken(c));
  size_t start = token_.size();
  while (start > 0 && !IsBlank(static_cast<unsigned char>(token_[start - 1]))) --start;
  token_.erase(0, start);
  return c;
}

// Counts the token's uses and decides what it contributes to the rule's selectors.
void StyleOverridePass::LookUpToken() {
  const int matches = tables_.CountUsedSelector(token_);
  match_count_ += matches;
  if (!token_.starts_with("p.")) {
    AddSelector(token_);
  } else if (matches > 0 && dominance_found_ && token_ == run_.dominant_class) {
    AddSelector("p");
  }
}

void StyleOverridePass::AddSelector(std::string_view selector) {
  if (selector_count_ == selectors_.size()) selectors_.emplace_back();
  selectors_[selector_count_++].assign(selector);
}

// Reads a block from its "{" to its "}"; writes the rule when a selector in
// use and one to write exist. Returns "}", or "<" / the end mark when cut off.
int StyleOverridePass::ReadBlock() {
  const bool keep = match_count_ > 0 && selector_count_ > 0;
  block_.assign(1, '{');
  int c;
  for (;;) {
    c = scan_.Next();
    if (c == kEndMark || (c == '<' && AtStyleEndTag())) break;
    if (keep) block_.push_back(static_cast<char>(c));
    if (c == '}') {
      if (keep) WriteRule();
      if (statistics_ != nullptr)
        ++(keep ? statistics_->override_rules_kept : statistics_->unused_rules_dropped);
      break;
    }
  }
  match_count_ = 0;
  selector_count_ = 0;
  return c;
}

// Is the "<" just read the start of "</style" or "</STYLE"?
bool StyleOverridePass::AtStyleEndTag() {
  static constexpr std::string_view kLower = "/style", kUpper = "/STYLE";
  TextFile& input = scan_.input();
  bool lower = true, upper = true;
  for (size_t i = 0; i < kLower.size() && (lower || upper); ++i) {
    const int c = input.Peek(i);
    lower = lower && c == kLower[i];
    upper = upper && c == kUpper[i];
  }
  return lower || upper;
}

// The rule in the stylesheet writer's layout: its head, then the block as it
// was read and a line end.
void StyleOverridePass::WriteRule() {
  WriteRuleHead(scan_.output(), std::span(selectors_.data(), selector_count_));
  scan_.Write(block_);
  scan_.Write("\r\n");
}

}  // namespace

void RunStyleOverridePass(CleanContext& context, ClassTables& tables, RunState& run) {
  StyleOverridePass(context, tables, run).Run();
}

}  // namespace pelloran
