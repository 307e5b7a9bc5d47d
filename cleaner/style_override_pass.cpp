#include "cleaner/style_override_pass.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cleaner/class_tables.h"
#include "cleaner/markup_scanner.h"
#include "stylesheet/rule_writer.h"
#include "stylesheet/style_reader.h"

namespace pelloran {
namespace {

// Bare tag selectors whose rules survive on every page.
constexpr std::string_view kAlwaysUsed[] = {"a", "A", "img", "IMG"};

class StyleOverridePass final : public WholeRuleReader::Handler {
 public:
  StyleOverridePass(CleanContext& context, ClassTables& tables, RunState& run)
      : tables_(tables),
        run_(run),
        scan_(context.input, context.working_copy),
        statistics_(context.statistics) {}

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
  void Token(std::string_view token) override;
  void AddSelector(std::string_view selector);
  bool KeepRule() override;
  void RuleEnded(bool kept, std::string_view block) override;

  ClassTables& tables_;
  RunState& run_;
  MarkupScanner scan_;
  CleanStatistics* statistics_;  // none: nothing counted
  bool dominance_found_ = false;
  int match_count_ = 0;  // used-selector slots matched by the rule's tokens so far
  // The rule's selectors to write: the first selector_count_ entries (the
  // strings are reused from rule to rule).
  std::vector<std::string> selectors_;
  size_t selector_count_ = 0;
  WholeRuleReader rules_;
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
    case TagKind::kRawText:  // no paragraph inside is one
      scan_.CopyTag();
      if (!scan_.AtInputEnd()) scan_.CopyRawText();
      break;
    default:
      scan_.CopyTag();
      break;
  }
}

// <p ...>: every paragraph start tag becomes <p>, or <p/> when it closed
// itself; an id, the target of in-page links, stays, also in a tag cut off by
// the end of the page.
void StyleOverridePass::ParagraphTag() {
  if (statistics_ != nullptr) ++statistics_->paragraph_tags_bared;
  scan_.Put('p');
  if (scan_.terminator() == '>') {
    scan_.PutClose();
    return;
  }
  picker_.Start(kIdName);
  const bool closed = scan_.DropThroughClose(&picker_);
  bool last_unquoted = false;
  scan_.Write(picker_.TakeCompleted(&last_unquoted));
  if (closed) scan_.PutCloseAfterKept(picker_, last_unquoted);  // cut off: no ">"
}

// <style>: keeps the rules whose selectors are in use, the dominant class as "p".
void StyleOverridePass::StyleElement() {
  match_count_ = 0;
  selector_count_ = 0;
  scan_.Write("style>");
  int c = scan_.current();
  if (c != '{') c = scan_.Next();
  c = rules_.ReadRules(scan_.input(), c, *this);
  // A rule cut off by the end tag or the end of the page is dropped.
  if (c == '<') {
    scan_.Put('<');
    scan_.CopyThroughClose();
  }
}

// Counts the token's uses and decides what it contributes to the rule's selectors.
void StyleOverridePass::Token(std::string_view token) {
  const int matches = tables_.CountUsedSelector(token);
  match_count_ += matches;
  if (!token.starts_with("p.")) {
    AddSelector(token);
  } else if (matches > 0 && dominance_found_ && token == run_.dominant_class) {
    AddSelector("p");
  }
}

void StyleOverridePass::AddSelector(std::string_view selector) {
  if (selector_count_ == selectors_.size()) selectors_.emplace_back();
  selectors_[selector_count_++].assign(selector);
}

// A rule is kept when a selector in use and one to write exist.
bool StyleOverridePass::KeepRule() { return match_count_ > 0 && selector_count_ > 0; }

// A kept rule goes out in the stylesheet writer's layout: its head, then the
// block as it was read and a line end.
void StyleOverridePass::RuleEnded(bool kept, std::string_view block) {
  if (kept) {
    WriteRuleHead(scan_.output(), std::span(selectors_.data(), selector_count_));
    scan_.Write(block);
    scan_.Write("\r\n");
  }
  if (statistics_ != nullptr)
    ++(kept ? statistics_->override_rules_kept : statistics_->unused_rules_dropped);
  match_count_ = 0;
  selector_count_ = 0;
}

}  // namespace

void RunStyleOverridePass(CleanContext& context, ClassTables& tables, RunState& run) {
  StyleOverridePass(context, tables, run).Run();
}

}  // namespace pelloran
