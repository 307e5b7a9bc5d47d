#include "cleaner/tag_filter.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "cleaner/class_tables.h"
#include "cleaner/link_value_check.h"
#include "cleaner/markup_scanner.h"
#include "cleaner/page_targets.h"
#include "interfaces/link_check.h"
#include "stylesheet/filter_style_block.h"

namespace pelloran {
namespace {

constexpr int kGaugeCap = 95;

// Tags whose attributes carry what a reader sees or does: a control's kind,
// value and state, a frame's page, an image map's areas.
bool KeepsItsAttributes(std::string_view name) {
  static constexpr std::string_view kNames[][2] = {
      {"input", "INPUT"},   {"select", "SELECT"}, {"option", "OPTION"}, {"textarea", "TEXTAREA"},
      {"button", "BUTTON"}, {"form", "FORM"},     {"label", "LABEL"},   {"frame", "FRAME"},
      {"iframe", "IFRAME"}, {"area", "AREA"},     {"map", "MAP"},
  };
  for (const auto& forms : kNames) {
    if (name == forms[0] || name == forms[1]) return true;
  }
  return false;
}

class TagFilter {
 public:
  TagFilter(CleanContext& context, ClassTables& tables, RunState& run)
      : context_(context),
        tables_(tables),
        run_(run),
        scan_(context.input, context.working_copy),
        page_targets_(context.input.name()) {
    selector_.reserve(64);
    link_value_.reserve(128);
  }

  void Run() {
    while (!scan_.AtInputEnd()) {
      StepGauge();
      if (!scan_.CopyText()) break;
      HandleTag();
    }
  }

 private:
  bool Ticked(int box) const { return context_.options.IsTicked(box); }
  // Adds one to a count of the page's statistics, when they are kept.
  void Count(int64_t CleanStatistics::*count) {
    if (context_.statistics != nullptr) ++(context_.statistics->*count);
  }
  bool StyleOverriding() const { return IsStyleOverridingOn(context_.options); }

  void StepGauge();
  void HandleTag();
  bool ApplyCase(TagKind kind, bool drop_spans);
  void HeadTag(std::string_view lower_name);
  void StyleElement();
  void SpanStart(bool drop_spans);
  void SpanEnd();
  void ImageTag();
  void LinkTag();
  bool CopyLinkValue();
  void CheckAndReportLink(bool closed);
  void RecordLink(const LinkOutcome& outcome);
  void DefaultPath();
  void ClassProcessing();
  void RecordSelector();

  CleanContext& context_;
  ClassTables& tables_;
  RunState& run_;
  MarkupScanner scan_;
  std::string selector_;      // tag name + "." + class value, or "p." + class value
  std::string link_value_;    // the link attribute's value with its quotes
  PageTargets page_targets_;  // for in-page links
};

// Every cycle after a specially handled tag moves the gauge one step, up to 95.
void TagFilter::StepGauge() {
  if (run_.handled_mark && context_.gauge.Progress() < kGaugeCap) context_.gauge.AddProgress(1);
}

// One tag: its name decides the case; the "<" is held back for span tags.
void TagFilter::HandleTag() {
  scan_.ReadTagName(/*span_rule=*/true);
  const TagKind kind = ClassifyTagName(scan_.name());
  const bool drop_spans = Ticked(kDropSpansBox);
  if (kind != TagKind::kSpan && !(kind == TagKind::kSpanEnd && drop_spans)) scan_.Put('<');
  run_.handled_mark = false;
  if (!ApplyCase(kind, drop_spans)) DefaultPath();
}

// The special cases in their order; false when none applies.
bool TagFilter::ApplyCase(TagKind kind, bool drop_spans) {
  switch (kind) {
    case TagKind::kConditionalComment:
      scan_.CopyConditionalComment();
      break;
    case TagKind::kDeclaration:
      scan_.CopyTag();  // comments, doctype, other "!" tags
      break;
    case TagKind::kHtml:
      HeadTag("html");
      break;
    case TagKind::kMeta:
      HeadTag("meta");
      break;
    case TagKind::kLink:
      HeadTag("link");
      break;
    case TagKind::kStyle:
      StyleElement();
      break;
    case TagKind::kSpan:
      SpanStart(drop_spans);
      break;
    case TagKind::kSpanEnd:
      if (!drop_spans) return false;
      SpanEnd();
      break;
    case TagKind::kScript:
      scan_.CopyScript();
      break;
    case TagKind::kNoscript:
      scan_.CopyNoscript();
      break;
    case TagKind::kTable:
      if (!Ticked(kOverrideExceptTablesBox)) return false;
      scan_.CopyUntouched("table", "/table>", "/TABLE>");
      break;
    case TagKind::kImg:
      ImageTag();
      break;
    case TagKind::kA:
      LinkTag();
      break;
    case TagKind::kP:
    case TagKind::kOther:
      return false;
  }
  run_.handled_mark = true;
  return true;
}

// html, meta, link: name in small letters, attributes copied.
void TagFilter::HeadTag(std::string_view lower_name) {
  scan_.Write(lower_name);
  if (scan_.terminator() == '>') {
    scan_.Put('>');
    return;
  }
  scan_.Put(' ');
  scan_.CopyThroughClose();
}

// <style>: the stylesheet filter reads and writes the rules; we close it.
void TagFilter::StyleElement() {
  scan_.Write("style");
  scan_.WriteTerminator();
  FilterStyleBlock(context_);
  scan_.Write("</style>");
  scan_.DropThroughClose();
}

// <span ...>: kept as "<span" with its attributes, or dropped whole.
void TagFilter::SpanStart(bool drop_spans) {
  const int c = scan_.Next();
  if (drop_spans) {
    Count(&CleanStatistics::span_tags_dropped);
    if (c != '>') scan_.DropThroughClose();
    return;
  }
  scan_.Write("<span");
  scan_.Put(c);
  if (c != '>' && c != kEndMark) scan_.CopyThroughClose();
}

// </span> when spans are dropped: nothing of it is written.
void TagFilter::SpanEnd() {
  Count(&CleanStatistics::span_tags_dropped);
  if (scan_.terminator() != '>') scan_.DropThroughClose();
}

// <img ...>: reduced to its source; without one it comes out as <img src>.
void TagFilter::ImageTag() {
  Count(&CleanStatistics::image_tags_reduced);
  const std::string_view found =
      scan_.terminator() == '>' ? ">" : scan_.FindAttributeNamed('s', 'S', "src", "SRC");
  const bool closed_without_source = found == ">";
  const bool cut_off = found.empty();
  scan_.Write("img src");
  if (closed_without_source) scan_.PutClose();
  if (closed_without_source || cut_off) return;
  // The value runs to its second double quote, or to a ">" when unquoted.
  for (int quotes = 0;;) {
    const int c = scan_.Next();
    scan_.Put(c);
    if (c == kEndMark || c == '>') return;
    if (c == '"' && ++quotes == 2) break;
  }
  if (scan_.DropThroughClose()) scan_.PutClose();
}

// <a ...>: reduced to its first href or name; the value may be checked and reported.
void TagFilter::LinkTag() {
  Count(&CleanStatistics::link_tags_reduced);
  const std::string_view found =
      scan_.terminator() == '>' ? ">" : scan_.FindAttributeNamed('h', 'n', "href", "name");
  scan_.Write("a");
  if (found.empty()) return;
  if (found == ">") {
    scan_.PutClose();
    return;
  }
  scan_.Write(found == "href" ? " href" : " name");
  const bool closed = CopyLinkValue();
  if (context_.options.IsLinkCheckingOn()) CheckAndReportLink(closed);
  if (closed && scan_.DropThroughClose()) scan_.PutClose();
}

// Copies the attribute's text to its closing double quote or a ">", gathering
// the quoted value with both quotes. True when it ended at the closing quote.
bool TagFilter::CopyLinkValue() {
  link_value_.clear();
  int quotes = 0;
  int c = scan_.current();
  for (;;) {
    if (quotes == 1 && link_value_.size() < kKeptValueCap) {
      link_value_.push_back(static_cast<char>(c));
    }
    c = scan_.Next();
    if (c == kEndMark) return false;
    scan_.Put(c);
    if (c == '"' && ++quotes == 2) {
      link_value_.push_back('"');
      return true;
    }
    if (c == '>') return false;
  }
}

// Asks the link check; a value that reached its closing quote gets a report line.
void TagFilter::CheckAndReportLink(bool closed) {
  const LinkOutcome outcome = CheckLinkValue(context_, page_targets_, link_value_);
  const bool available = outcome.verdict == LinkVerdict::kAvailable;
  if (context_.statistics != nullptr) RecordLink(outcome);
  if (available) link_value_ += "     OK";
  if (!closed) return;
  const bool in_page = link_value_.find('#') != std::string::npos;
  PutText(context_.link_report, in_page ? "     " : "ext  ");
  PutText(context_.link_report, link_value_);
  PutLineEnd(context_.link_report);
}

// The value for the statistics without its quotes, with what was found.
void TagFilter::RecordLink(const LinkOutcome& outcome) {
  context_.statistics->links.push_back({std::string(WithoutQuotes(link_value_)), outcome});
}

// Any other tag: copied, or cut down to its class when style overriding is on.
// Form controls, frames and image maps keep their attributes, without which
// they would lose their kind, value or target.
void TagFilter::DefaultPath() {
  if (scan_.terminator() == '>' || !StyleOverriding() || KeepsItsAttributes(scan_.name())) {
    scan_.CopyTag();
    return;
  }
  scan_.WriteName();
  Count(&CleanStatistics::tags_cut_to_class);
  ClassProcessing();
}

// Keeps only the class attribute and records the class in the tables.
void TagFilter::ClassProcessing() {
  const std::string_view found = scan_.FindAttributeNamed('c', 'C', "class", "CLASS");
  if (found.empty()) return;
  if (found == ">") {
    scan_.PutClose();
    return;
  }
  scan_.Write(" class=");
  // The value ends at any blank or ">"; "=" is left out, quotes stay. It is
  // written as read; the key keeps at most kKeptValueCap characters of it.
  selector_.assign(scan_.name());
  selector_.push_back('.');
  const size_t key_cap = selector_.size() + kKeptValueCap;
  int opening = 0;  // the value's first character
  bool open_quote = false;
  int c = scan_.Next();
  for (; !IsBlank(c) && c != '>'; c = scan_.Next()) {
    if (c == '=') continue;
    scan_.Put(c);
    if (opening == 0) {
      opening = c;
      open_quote = c == '"' || c == '\'';
    } else if (c == opening) {
      open_quote = false;
    }
    if (selector_.size() < key_cap) selector_.push_back(static_cast<char>(c));
  }
  RecordSelector();
  if (c == '>') {
    scan_.Put('>');  // a "/" before it went out with the value
    return;
  }
  if (c == kEndMark) return;
  // A quoted value with blanks in it is written whole, else the browser would
  // take the text after the tag for the rest of the value.
  if (open_quote) {
    scan_.Put(c);
    if (!scan_.CopyThroughQuote(opening)) return;
  }
  if (scan_.DropThroughClose()) scan_.PutClose();
}

// p classes are counted for dominance; other tag.class pairs mark a selector in use.
// selector_ holds the tag name, "." and the class value.
void TagFilter::RecordSelector() {
  const std::string_view name = scan_.name();
  if (name == "p" || name == "P") {
    selector_[0] = 'p';  // the key is "p." + value for either form
    tables_.CountParagraphClass(selector_);
  } else {
    tables_.AddUsedSelectorOnce(selector_);
  }
}

}  // namespace

void RunTagFilter(CleanContext& context, ClassTables& tables, RunState& run) {
  TagFilter(context, tables, run).Run();
}

}  // namespace pelloran
