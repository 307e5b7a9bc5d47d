#include "stylesheet/style_reader.h"

#include <array>
#include <span>
#include <string_view>

#include "stylesheet/gauge_steps.h"
#include "stylesheet/keep_table.h"
#include "stylesheet/run_scan.h"

namespace pelloran {

namespace {

// Characters that end a selector token. A line feed ends one like a carriage
// return does, or a sheet with bare line feeds and "{" on the next line would
// never open a block.
constexpr bool EndsToken(int c) {
  return (c <= ',' && (c == ',' || c == ' ' || c == '\r' || c == '\n')) || c == '{';
}

// The characters a token's run stops at: those that end it, and those that
// may end the style text.
constexpr std::array<bool, 256> kStopsToken = [] {
  std::array<bool, 256> stops{};
  for (int c = 0; c < 256; ++c) stops[c] = EndsToken(c) || c == '<' || c == kEndMark;
  return stops;
}();

}  // namespace

bool StyleReader::AtClosingTag() {
  for (const std::string_view form : {std::string_view("/style"), std::string_view("/STYLE")}) {
    size_t i = 0;
    while (i < form.size() && input_.Peek(i) == static_cast<unsigned char>(form[i])) ++i;
    if (i == form.size()) return true;
  }
  return false;
}

// Drops characters up to and including `stop`.
StyleReader::Step StyleReader::DropThrough(unsigned char stop) {
  for (;;) {
    const int c = SkipTo(stop);
    if (c == kEndMark) return Step::kEndOfInput;
    if (c == kClosingTag) return Step::kStyleTextEnded;
    if (c == stop) return Step::kGoOn;
  }
}

int StyleReader::SkipTo(unsigned char stop) {
  const std::span<const unsigned char> run = input_.Buffered();
  if (run.empty()) return Read();  // refills, or meets the end
  const size_t at = FindFirstOf(run, stop, '<', kEndMark);
  if (at == run.size()) {
    input_.Consume(at);
    return kNothingYet;
  }
  const int c = run[at];
  if (c == kEndMark) {
    input_.Consume(at);
    return kEndMark;
  }
  input_.Consume(at + 1);
  return c == '<' && AtClosingTag() ? kClosingTag : c;
}

StyleReader::Result StyleReader::ReadRules() {
  Step step = LeadingSkips();
  while (step == Step::kGoOn) {
    table_.BeginRule();
    step = ReadRule();
    if (step != Step::kGoOn) {
      table_.DropLastRule();  // cut off: the rule is lost
      break;
    }
    const bool last = table_.rules().size() == kMaxRules;
    if (last) StepGaugeBelow(gauge_, 93);
    KeepDeclarations(block_, options_, table_);
    if (statistics_ != nullptr) CountRule();
    if (last) {
      StepGaugeBelow(gauge_, 94);
      DropAfterFullTable();
      return Result::kStyleTextEnded;
    }
    step = BetweenRules();
  }
  return step == Step::kEndOfInput ? Result::kEndOfInput : Result::kStyleTextEnded;
}

// The rule just read: its "property: value" pieces, and those the boxes kept
// (a text kept for two boxes counts once).
void StyleReader::CountRule() {
  ++statistics_->style_rules_read;
  const std::string_view block = block_.text();
  for (size_t start = 0; start < block.size();) {
    size_t end = block.find(';', start);
    if (end == std::string_view::npos) end = block.size();
    if (block.substr(start, end - start).find(':') != std::string_view::npos)
      ++statistics_->declarations_read;
    start = end + 1;
  }
  for (const Declaration& d : table_.DeclarationsOf(table_.rules().back()))
    if (d.same_as == Declaration::kStoredHere) ++statistics_->declarations_kept;
}

// Before rule 1, after blanks: "<" skips to the next space (a comment opener),
// "/" to the next "/" (a comment), "@" to the next "}" when at-rules are
// dropped.
StyleReader::Step StyleReader::LeadingSkips() {
  for (;;) {
    const int c = ReadNonBlank();
    Step step;
    if (c == kEndMark) return Step::kEndOfInput;
    if (c == kClosingTag) return Step::kStyleTextEnded;
    if (c == '<') {
      step = DropThrough(' ');
    } else if (c == '/') {
      step = DropThrough('/');
    } else if (c == '@' && SkipsAtRules()) {
      step = DropThrough('}');
    } else {
      current_ = c;
      return Step::kGoOn;
    }
    if (step != Step::kGoOn) return step;
  }
}

// One rule from the character in hand: its selectors, then its block.
StyleReader::Step StyleReader::ReadRule() {
  if (current_ != '{') {
    const Step step = ReadSelectors();
    if (step != Step::kGoOn) return step;
  }
  return ReadBlock();
}

// Tokens up to the "{" that stands first after a token. A "{" that ends a
// token does not open the block; it is dropped like any token end.
StyleReader::Step StyleReader::ReadSelectors() {
  token_.assign(1, static_cast<char>(current_));
  for (;;) {
    if (!EndsToken(current_)) {
      const Step step = ReadTokenRest();
      if (step != Step::kGoOn) return step;
    }
    StoreToken();
    const int c = ReadNonBlank();
    if (c == kEndMark) return Step::kEndOfInput;
    if (c == kClosingTag) return Step::kStyleTextEnded;
    current_ = c;
    if (c == '{') return Step::kGoOn;
    token_.assign(1, static_cast<char>(c));
  }
}

// Appends characters to the token up to the one that ends it, which becomes
// the character in hand.
StyleReader::Step StyleReader::ReadTokenRest() {
  for (;;) {
    const std::span<const unsigned char> run = input_.Buffered();
    size_t n = 0;
    while (n < run.size() && !kStopsToken[run[n]]) ++n;
    token_.append(reinterpret_cast<const char*>(run.data()), n);
    input_.Consume(n);
    if (n == run.size() && !run.empty()) continue;
    // A character that may end the token, or an empty run: NextChar refills.
    const int c = Read();
    if (c == kEndMark) return Step::kEndOfInput;
    if (c == kClosingTag) return Step::kStyleTextEnded;
    if (EndsToken(c)) {
      current_ = c;
      return Step::kGoOn;
    }
    token_.push_back(static_cast<char>(c));
  }
}

// The block text up to and including the first "}"; braces do not nest.
StyleReader::Step StyleReader::ReadBlock() {
  switch (block_.ReadThroughBrace(input_, [this] { return AtClosingTag(); })) {
    case BlockText::End::kBrace:
      return Step::kGoOn;
    case BlockText::End::kEndOfInput:
      return Step::kEndOfInput;
    case BlockText::End::kStopped:
      break;
  }
  return Step::kStyleTextEnded;
}

void StyleReader::StoreToken() {
  const int index = static_cast<int>(table_.rules().back().selector_count);
  const bool stored = table_.AddSelector(token_);
  if (table_.rules().size() == 1 && !closer_decided_) NoteStartTagCloser(stored ? index : -1);
}

// A tag's attributes come first in the style text, so the first ">" among
// rule 1's tokens closes the tag when only attribute text ("name=value") or
// nothing at all stands before it. After plain selectors it is a child
// combinator ("div > p").
void StyleReader::NoteStartTagCloser(int selector_index) {
  ++rule1_tokens_;
  const size_t closer = token_.find('>');
  const bool equals_in_token = token_.find('=') < closer;
  if (closer == std::string::npos) {
    equals_before_closer_ = equals_before_closer_ || equals_in_token;
    return;
  }
  closer_decided_ = true;
  const bool nothing_before = rule1_tokens_ == 1 && closer == 0;
  if (equals_before_closer_ || equals_in_token || nothing_before) {
    closer_.read = true;
    closer_.selector = selector_index;
  }
}

// Between rules, after blanks: "-" skips to ">" (a comment closer), "/" to the
// next "/", "@" to the next "}" when at-rules are dropped; "<" ends the style
// text.
StyleReader::Step StyleReader::BetweenRules() {
  for (;;) {
    const int c = ReadNonBlank();
    Step step;
    if (c == kEndMark) return Step::kEndOfInput;
    if (c == '<' || c == kClosingTag) return Step::kStyleTextEnded;
    if (c == '-') {
      step = DropThrough('>');
    } else if (c == '/') {
      step = DropThrough('/');
    } else if (c == '@' && SkipsAtRules()) {
      step = DropThrough('}');
    } else {
      current_ = c;
      return Step::kGoOn;
    }
    if (step != Step::kGoOn) return step;
  }
}

// With the table full, the rest of the style text up to the next "<" is lost.
// The input may end first; the full table is written all the same.
void StyleReader::DropAfterFullTable() {
  for (;;) {
    const int c = SkipTo('<');
    if (c == kEndMark || c == '<' || c == kClosingTag) return;
  }
}

}  // namespace pelloran
