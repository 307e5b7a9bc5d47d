#include "cleaner/tag_filter.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "cleaner/attribute_picker.h"
#include "cleaner/class_tables.h"
#include "cleaner/link_report.h"
#include "cleaner/link_value_check.h"
#include "cleaner/markup_scanner.h"
#include "cleaner/office_markup.h"
#include "cleaner/page_targets.h"
#include "interfaces/link_check.h"
#include "stylesheet/case_fold.h"
#include "stylesheet/filter_style_block.h"

namespace pelloran {
namespace {

constexpr int kGaugeCap = 95;

// Tags whose attributes carry what a reader sees or does: a control's kind,
// value and state, a frame's page, an image map's areas, the address every
// relative link starts from.
bool KeepsItsAttributes(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "input", "select", "option", "textarea", "button", "form",
      "label", "frame",  "iframe", "area",     "map",    "base",
  };
  for (std::string_view kept : kNames) {
    if (EqualIgnoringCase(name, kept)) return true;
  }
  return false;
}

// What a tag cut to its class keeps besides it: its id, and for the few kinds
// below the attributes that hold what the element shows rather than how it
// looks: an open details or dialog, the source of media and embedded content,
// the controls without which a video or audio cannot be played. (Frames and
// form controls keep every attribute.)
constexpr KeptName kOpenNames[] = {"id", "open"};
constexpr KeptName kDataNames[] = {"id", "data"};
constexpr KeptName kSourceNames[] = {"id", "src"};
constexpr KeptName kSourceSetNames[] = {"id", "src", "srcset"};
constexpr KeptName kMediaNames[] = {"id", "src", "controls", "poster"};

std::span<const KeptName> KeptWhenCut(std::string_view name) {
  struct Kind {
    std::string_view name;
    std::span<const KeptName> kept;
  };
  static constexpr Kind kKinds[] = {
      {"details", kOpenNames}, {"dialog", kOpenNames},  {"object", kDataNames},
      {"embed", kSourceNames}, {"track", kSourceNames}, {"source", kSourceSetNames},
      {"video", kMediaNames},  {"audio", kMediaNames},
  };
  for (const Kind& kind : kKinds) {
    if (EqualIgnoringCase(name, kind.name)) return kind.kept;
  }
  return kIdName;
}

// What a link tag keeps: where it leads and the targets it is.
enum LinkName : size_t { kHref, kName, kLinkId };
constexpr KeptName kLinkNames[] = {"href", "name", "id"};
// What an image keeps besides its source: the text shown in its place, its
// id, and the image map whose areas are links.
enum ImageName : size_t { kSource, kAlt, kImageId, kUseMap, kIsMap };
constexpr KeptName kImageNames[] = {"src", "alt", "id", "usemap", "ismap"};

class TagFilter {
 public:
  TagFilter(CleanContext& context, ClassTables& tables, RunState& run)
      : context_(context),
        tables_(tables),
        run_(run),
        scan_(context.input, context.working_copy),
        office_(scan_, context.statistics == nullptr
                           ? nullptr
                           : &context.statistics->office_markup_bytes_dropped),
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
  bool DropsOfficeMarkup() const { return context_.options.IsOfficeMarkupDropped(); }
  // The rest of a tag copied through its ">", after `blank` (read already),
  // less Office's own declarations when those are dropped.
  bool CopyAttributes(int blank) {
    if (DropsOfficeMarkup()) return office_.CopyAttributes(blank);
    scan_.Put(blank);
    return scan_.CopyThroughClose();
  }

  void StepGauge();
  void HandleTag();
  bool ApplyCase(TagKind kind, bool drop_spans);
  void HeadTag(std::string_view lower_name);
  void StyleElement();
  void SpanStart(bool drop_spans);
  void SpanEnd();
  void ImageTag();
  void LinkTag();
  void CheckAndReportLink(const AttributePicker::Kept& href);
  void RecordLink(const LinkOutcome& outcome);
  void DefaultPath();
  void ClassProcessing();
  // How a class value ended: the character after it (a blank, ">" or the end
  // mark) and the quote still open, or 0.
  struct ClassValueEnd {
    int last;
    int open_quote;
  };
  ClassValueEnd CopyClassValue();
  void RecordSelector();

  CleanContext& context_;
  ClassTables& tables_;
  RunState& run_;
  MarkupScanner scan_;
  OfficeMarkup office_;
  std::string selector_;    // tag name + "." + class value, or "p." + class value
  std::string link_value_;  // the href value as checked
  AttributePicker picker_;
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
  if (DropsOfficeMarkup() && office_.DropConstruct(kind)) {
    run_.handled_mark = true;
    return;
  }
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
      if (DropsOfficeMarkup()) {
        office_.CopyTable();
      } else {
        scan_.CopyUntouched("table", "/table>");
      }
      break;
    case TagKind::kImg:
      ImageTag();
      break;
    case TagKind::kA:
      LinkTag();
      break;
    case TagKind::kRawText:
      // The start tag as any other; its content is text to a browser.
      DefaultPath();
      if (!scan_.AtInputEnd()) scan_.CopyRawText();
      break;
    case TagKind::kP:
    case TagKind::kOther:
      return false;
  }
  run_.handled_mark = true;
  return true;
}

// html, meta, link: name in small letters, attributes copied; a blank after
// the name is written as a space.
void TagFilter::HeadTag(std::string_view lower_name) {
  scan_.Write(lower_name);
  const int terminator = scan_.terminator();
  if (terminator == '>') {
    scan_.Put('>');
    return;
  }
  CopyAttributes(terminator == '/' ? '/' : ' ');
}

// <style>: the stylesheet filter reads and writes the rules; we close it.
void TagFilter::StyleElement() {
  scan_.Write("style");
  scan_.WriteTerminator();
  FilterStyleBlock(context_,
                   scan_.terminator() == '>' ? StyleTag::kClosed : StyleTag::kAttributesFollow);
  scan_.Write("</style>");
  scan_.DropThroughClose();
}

// <span ...>: kept as "<span" with its attributes, or dropped whole, all but
// its id.
void TagFilter::SpanStart(bool drop_spans) {
  const int c = scan_.Next();
  if (drop_spans) {
    Count(&CleanStatistics::span_tags_dropped);
    if (c == '>') return;
    picker_.Start(kIdName);
    // The name's end, or the rest of a longer name (<spanner id=x>).
    if (!IsBlank(c) && c != '/') picker_.Feed(c);
    const bool closed = scan_.DropThroughClose(&picker_);
    scan_.WriteIdHolder(picker_, closed);
    return;
  }
  scan_.Write("<span");
  if (c != '>' && c != kEndMark) {
    CopyAttributes(c);
  } else {
    scan_.Put(c);
  }
}

// </span> when spans are dropped: nothing of it is written.
void TagFilter::SpanEnd() {
  Count(&CleanStatistics::span_tags_dropped);
  if (scan_.terminator() != '>') scan_.DropThroughClose();
}

// <img ...>: reduced to its source, then its alt text, id and map as they stand;
// without a source it comes out as <img src>.
void TagFilter::ImageTag() {
  Count(&CleanStatistics::image_tags_reduced);
  scan_.Write("img src");
  picker_.Start(kImageNames);
  const bool closed = scan_.terminator() == '>' || scan_.DropThroughClose(&picker_);
  bool last_unquoted = false;
  if (const AttributePicker::Kept* source = picker_.Find(kSource)) {
    scan_.Write(picker_.TextOf(*source).substr(std::string_view(" src").size()));
    last_unquoted = source->unquoted;
  }
  for (const AttributePicker::Kept& kept : picker_.kept()) {
    if (kept.which == kSource) continue;
    scan_.Write(picker_.TextOf(kept));
    last_unquoted = kept.unquoted;
  }
  if (closed) scan_.PutCloseAfterKept(picker_, last_unquoted);
}

// <a ...>: reduced to its href, name and id in page order; the href value may
// be checked and reported.
void TagFilter::LinkTag() {
  Count(&CleanStatistics::link_tags_reduced);
  scan_.Write("a");
  picker_.Start(kLinkNames, &context_.working_copy, kHref);
  const bool closed = scan_.terminator() == '>' || scan_.DropThroughClose(&picker_);
  bool last_unquoted = false;
  picker_.TakeCompleted(&last_unquoted);  // written already, as read
  if (closed) scan_.PutCloseAfterKept(picker_, last_unquoted);
  const AttributePicker::Kept* href = picker_.Find(kHref);
  if (closed && href != nullptr && context_.options.IsLinkCheckingOn()) CheckAndReportLink(*href);
}

// The check gets the value as it stands between its quotes; the report line
// shows it as it stands in the page, with its own quotes or none.
void TagFilter::CheckAndReportLink(const AttributePicker::Kept& href) {
  link_value_.assign(picker_.captured(), 0, kKeptValueCap);
  const LinkOutcome outcome = CheckLinkValue(context_, page_targets_, link_value_);
  if (context_.statistics != nullptr) RecordLink(outcome);
  const std::string_view quote = href.quote == '"' ? "\"" : href.quote == '\'' ? "'" : "";
  WriteLinkLine(context_.link_report, link_value_, quote,
                outcome.verdict == LinkVerdict::kAvailable);
}

// The value for the statistics, with what was found.
void TagFilter::RecordLink(const LinkOutcome& outcome) {
  context_.statistics->links.push_back({link_value_, outcome});
}

// Any other tag: copied, or cut down to its class when style overriding is on.
// Form controls, frames and image maps keep their attributes, without which
// they would lose their kind, value or target.
void TagFilter::DefaultPath() {
  if (scan_.terminator() == '>' || !StyleOverriding() || KeepsItsAttributes(scan_.name())) {
    if (!DropsOfficeMarkup()) {
      scan_.CopyTag();
      return;
    }
    scan_.WriteName();
    if (scan_.terminator() == '>') {
      scan_.Put('>');
    } else {
      office_.CopyAttributes(scan_.terminator());
    }
    return;
  }
  scan_.WriteName();
  Count(&CleanStatistics::tags_cut_to_class);
  ClassProcessing();
}

// Keeps only the class attribute, and the id (and for some kinds the content
// attributes) beside it, and records the class
// in the tables. A tag cut off by the end of the page keeps what of them was
// read, without a closing ">".
void TagFilter::ClassProcessing() {
  picker_.Start(KeptWhenCut(scan_.name()));
  const std::string_view found = scan_.FindAttributeNamed("class", &picker_);
  bool last_unquoted = false;
  scan_.Write(picker_.TakeCompleted(&last_unquoted));  // an id in front of the class
  if (found.empty()) return;
  if (found == ">") {
    scan_.PutCloseAfterKept(picker_, last_unquoted);
    return;
  }
  const ClassValueEnd end = CopyClassValue();
  RecordSelector();
  if (end.last == '>') {
    scan_.Put('>');  // a "/" before it went out with the value
    return;
  }
  if (end.last == kEndMark) return;
  picker_.Feed(end.last);
  // A quoted value with blanks in it is written whole, else the browser would
  // take the text after the tag for the rest of the value.
  if (end.open_quote != 0) {
    scan_.Put(end.last);
    if (!scan_.CopyThroughQuote(end.open_quote, &picker_)) return;
  }
  const bool closed = scan_.DropThroughClose(&picker_);
  const std::string_view id_behind = picker_.TakeCompleted(&last_unquoted);
  scan_.Write(id_behind);
  if (!closed) return;
  if (id_behind.empty()) {
    scan_.PutClose();
  } else {
    scan_.PutCloseAfterKept(picker_, last_unquoted);
  }
}

// Writes " class=" and the value, which ends at any blank or at a ">" outside
// its quotes; "=" is left
// out, quotes stay. selector_ gets the tag name, "." and at most
// kKeptValueCap characters of the value.
TagFilter::ClassValueEnd TagFilter::CopyClassValue() {
  scan_.Write(" class=");
  selector_.assign(scan_.name());
  selector_.push_back('.');
  const size_t key_cap = selector_.size() + kKeptValueCap;
  int opening = 0;  // the value's first character
  bool open_quote = false;
  int c = scan_.Next();
  for (; !IsBlank(c) && (c != '>' || open_quote); c = scan_.Next()) {
    picker_.Feed(c);
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
  return {c, open_quote ? opening : 0};
}

// p classes are counted for dominance; other tag.class pairs mark a selector in use.
// selector_ holds the tag name, "." and the class value.
void TagFilter::RecordSelector() {
  const std::string_view name = scan_.name();
  if (EqualIgnoringCase(name, "p")) {
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
