#include "stylesheet/style_reader.h"

#include <array>
#include <span>
#include <string_view>

#include "stylesheet/gauge_steps.h"
#include "stylesheet/keep_table.h"

namespace pelloran {

namespace {

// The characters at which a run of copied text stops for a look: those that
// matter to the construct read, and those that may end the style text ("<"
// and the end mark, 26).
constexpr StopBytes kPreludeStops("{/\"'<\x1A");
constexpr StopBytes kBlockStops("}/\"'<\x1A");
constexpr StopBytes kAtRuleStops("{};/\"'<\x1A");
constexpr StopBytes kStringStops("\"'\\\r\n<\x1A");
constexpr StopBytes kCommentStops("*<\x1A");
// In a selector list: what may end a selector, and what ends a string in it.
constexpr StopBytes kListStops("\"'()[],");
constexpr StopBytes kQuotedStops("\"'\\");
static_assert(kEndMark == 0x1A);

// The rule whose block is read when the gauge takes its steps of the reading.
constexpr int kGaugeRule = 600;

}  // namespace

bool AtClosingStyleTag(TextFile& input) {
  for (const std::string_view form : {std::string_view("/style"), std::string_view("/STYLE")}) {
    size_t i = 0;
    while (i < form.size() && input.Peek(i) == static_cast<unsigned char>(form[i])) ++i;
    if (i == form.size()) return true;
  }
  return false;
}

void StyleReader::CopyRun(const StopBytes& stops, std::string* into) {
  const std::span<const unsigned char> run = input_.Buffered();
  const size_t n = stops.Find(run.data(), run.size());
  if (into != nullptr) into->append(reinterpret_cast<const char*>(run.data()), n);
  input_.Consume(n);
}

StyleReader::Result StyleReader::ReadRules(bool attributes_follow) {
  b_.tag_rest.clear();
  Step step = attributes_follow ? ReadTagRest() : Step::kGoOn;
  if (step == Step::kGoOn) step = LeadingSkips();
  int rules_read = 0;
  while (step == Step::kGoOn) {
    if (current_ == '@') {
      step = ReadAtRule();
    } else {
      table_.BeginRule();
      step = ReadRule();
      if (step != Step::kGoOn) {
        table_.DropLastRule();  // cut off: the rule is lost
        break;
      }
      if (++rules_read == kGaugeRule) StepGaugeBelow(gauge_, 93);
      const KeepCount count = KeepDeclarations(b_.block, options_, table_);
      if (rules_read == kGaugeRule) StepGaugeBelow(gauge_, 94);
      if (statistics_ != nullptr) {
        ++statistics_->style_rules_read;
        statistics_->declarations_read += count.read;
        statistics_->declarations_kept += count.kept;
      }
    }
    if (step == Step::kGoOn) step = BetweenRules();
  }
  return step == Step::kEndOfInput ? Result::kEndOfInput : Result::kStyleTextEnded;
}

// The style tag's attributes through its ">" (outside quotes), kept to be
// written as they stand.
StyleReader::Step StyleReader::ReadTagRest() {
  int quote = 0;
  for (;;) {
    const int c = Read();
    if (c == kEndMark || c == kClosingTag) return Ended(c);
    b_.tag_rest.push_back(static_cast<char>(c));
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return Step::kGoOn;
    }
  }
}

// Drops characters up to and including `stop`.
StyleReader::Step StyleReader::DropThrough(int stop) {
  const char bytes[] = {static_cast<char>(stop), '<', static_cast<char>(kEndMark)};
  const StopBytes stops(std::string_view(bytes, sizeof bytes));
  for (;;) {
    CopyRun(stops, nullptr);
    const int c = Read();
    if (c == stop) return Step::kGoOn;
    if (c == kEndMark || c == kClosingTag) return Ended(c);
  }
}

// Outside rules, after a "/": "/*" starts a comment, dropped through "*/";
// any other "/" drops characters through the next "/".
StyleReader::Step StyleReader::Slash() {
  if (input_.Peek(0) != '*') return DropThrough('/');
  NextChar(input_);
  return DropComment(nullptr);
}

// After "/*": the comment through "*/", copied into `into` when given.
StyleReader::Step StyleReader::DropComment(std::string* into) {
  for (;;) {
    CopyRun(kCommentStops, into);
    const int c = Read();
    if (c == kEndMark || c == kClosingTag) return Ended(c);
    if (into != nullptr) into->push_back(static_cast<char>(c));
    if (c == '*' && input_.Peek(0) == '/') {
      NextChar(input_);
      if (into != nullptr) into->push_back('/');
      return Step::kGoOn;
    }
  }
}

// After an opening quote: the string through its closing quote, copied into
// `into` when given, the quote first. As in a browser, a line end closes a
// string left open and a backslash escapes the character after it.
StyleReader::Step StyleReader::String(int quote, std::string* into) {
  if (into != nullptr) into->push_back(static_cast<char>(quote));
  for (;;) {
    CopyRun(kStringStops, into);
    int c = Read();
    if (c == kEndMark || c == kClosingTag) return Ended(c);
    if (into != nullptr) into->push_back(static_cast<char>(c));
    if (c == quote || c == '\r' || c == '\n') return Step::kGoOn;
    if (c == '\\') {
      c = Read();
      if (c == kEndMark || c == kClosingTag) return Ended(c);
      if (into != nullptr) into->push_back(static_cast<char>(c));
    }
  }
}

// One step inside a selector list or a block, from `c`: a comment is
// dropped, a string copied into `into`, any other character appended to it.
StyleReader::Step StyleReader::CommentStringOrChar(int c, std::string& into) {
  if (c == '/' && input_.Peek(0) == '*') {
    NextChar(input_);
    return DropComment(nullptr);
  }
  if (c == '"' || c == '\'') return String(c, &into);
  into.push_back(static_cast<char>(c));
  return Step::kGoOn;
}

// After a "<": drops the rest of a comment opener "<!--" when one stands
// there. A browser passes over comment markers between rules.
bool StyleReader::DroppedCommentOpener() {
  if (input_.Peek(0) != '!' || input_.Peek(1) != '-' || input_.Peek(2) != '-') return false;
  for (int i = 0; i < 3; ++i) NextChar(input_);
  return true;
}

// Before rule 1, after blanks: a comment opener "<!--" is dropped, any
// other "<" skips to the next space, "/" a comment; anything else starts a
// rule or an at-rule.
StyleReader::Step StyleReader::LeadingSkips() {
  for (;;) {
    const int c = ReadNonBlank();
    if (c == kEndMark || c == kClosingTag) return Ended(c);
    Step step = Step::kGoOn;
    if (c == '<' && DroppedCommentOpener()) {
      continue;
    } else if (c == '<') {
      step = DropThrough(' ');
    } else if (c == '/') {
      step = Slash();
    } else {
      current_ = c;
      return Step::kGoOn;
    }
    if (step != Step::kGoOn) return step;
  }
}

// One rule from the character in hand: its selectors, then its block.
StyleReader::Step StyleReader::ReadRule() {
  const Step step = ReadPrelude();
  if (step != Step::kGoOn) return step;
  StoreSelectors();
  return ReadBlock();
}

// The selector list up to the "{" that opens the block, outside strings;
// comments are dropped.
StyleReader::Step StyleReader::ReadPrelude() {
  b_.prelude.clear();
  for (int c = current_;;) {
    if (c == '{') return Step::kGoOn;
    if (c == kEndMark || c == kClosingTag) return Ended(c);
    const bool comment = c == '/' && input_.Peek(0) == '*';
    const Step step = CommentStringOrChar(c, b_.prelude);
    if (step != Step::kGoOn) return step;
    if (comment) MarkJoiningComment();
    CopyRun(kPreludeStops, &b_.prelude);
    c = Read();
  }
}

// After a comment in a selector list: when it stood between two characters
// other than blanks and commas, taking it out joins what a browser reads
// apart ("a/**/b" is no selector), so the rule is marked rejected.
void StyleReader::MarkJoiningComment() {
  const auto parts = [](int c) { return c != kEndMark && !IsBlank(c) && c != ','; };
  if (!b_.prelude.empty() && parts(static_cast<unsigned char>(b_.prelude.back())) &&
      parts(input_.Peek(0)))
    table_.MarkListRejected();
}

// The selector list split at commas outside parentheses, brackets and
// strings.
void StyleReader::StoreSelectors() {
  const std::string_view prelude = b_.prelude;
  int depth = 0;
  char quote = 0;
  size_t start = 0;
  for (size_t i = 0; i < prelude.size(); ++i) {
    i = (quote != 0 ? kQuotedStops : kListStops).Find(prelude, i);
    if (i == prelude.size()) break;
    const char c = prelude[i];
    if (quote != 0) {
      if (c == '\\')
        ++i;
      else if (c == quote)
        quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(' || c == '[') {
      ++depth;
    } else if ((c == ')' || c == ']') && depth > 0) {
      --depth;
    } else if (c == ',' && depth == 0) {
      StoreSelector(prelude.substr(start, i - start));
      start = i + 1;
    }
  }
  StoreSelector(prelude.substr(start));
}

// One selector, each run of blanks inside it made one space and those at
// its ends dropped; an empty one is not stored, and the browser's rejection
// of the list is noted.
void StyleReader::StoreSelector(std::string_view selector) {
  const auto blank_at = [&](size_t i) { return IsBlank(static_cast<unsigned char>(selector[i])); };
  b_.selector.clear();
  for (size_t i = 0; i < selector.size();) {
    while (i < selector.size() && blank_at(i)) ++i;
    size_t end = i;
    while (end < selector.size() && !blank_at(end)) ++end;
    if (end == i) break;
    if (!b_.selector.empty()) b_.selector.push_back(' ');
    b_.selector.append(selector, i, end - i);
    i = end;
  }
  if (!b_.selector.empty())
    table_.AddSelector(b_.selector);
  else
    table_.MarkListRejected();
}

// The block up to the first "}" outside strings and comments, without it;
// comments are dropped.
StyleReader::Step StyleReader::ReadBlock() {
  b_.block.clear();
  for (;;) {
    CopyRun(kBlockStops, &b_.block);
    const int c = Read();
    if (c == '}') return Step::kGoOn;
    if (c == kEndMark || c == kClosingTag) return Ended(c);
    const Step step = CommentStringOrChar(c, b_.block);
    if (step != Step::kGoOn) return step;
  }
}

// From the "@" in hand: through the first ";" when it comes before any "{",
// else through the "}" that matches the "{" (braces nest; those in strings
// and comments do not count). Dropped when at-rules are skipped, else kept
// as it stands.
StyleReader::Step StyleReader::ReadAtRule() {
  std::string* const into = SkipsAtRules() ? nullptr : &b_.at_rule;
  b_.at_rule.assign(1, '@');
  int depth = 0;
  for (;;) {
    CopyRun(kAtRuleStops, into);
    const int c = Read();
    if (c == kEndMark || c == kClosingTag) return Ended(c);
    Step step = Step::kGoOn;
    if (c == '/' && input_.Peek(0) == '*') {
      NextChar(input_);
      if (into != nullptr) into->append("/*");
      step = DropComment(into);
    } else if (c == '"' || c == '\'') {
      step = String(c, into);
    } else {
      if (into != nullptr) into->push_back(static_cast<char>(c));
      const bool ends = (c == ';' && depth == 0) || (c == '}' && depth == 1);
      if (c == '{') ++depth;
      if (c == '}' && depth > 0) --depth;
      if (ends) break;
    }
    if (step != Step::kGoOn) return step;
  }
  if (into != nullptr) table_.AddAtRule(b_.at_rule);
  return Step::kGoOn;
}

// Between rules, after blanks: "-" skips to ">" (a comment closer), "/" a
// comment, "<!--" is dropped; any other "<" ends the style text.
StyleReader::Step StyleReader::BetweenRules() {
  for (;;) {
    const int c = ReadNonBlank();
    if (c == kEndMark) return Step::kEndOfInput;
    if (c == '<' && DroppedCommentOpener()) continue;
    if (c == '<' || c == kClosingTag) return Step::kStyleTextEnded;
    Step step;
    if (c == '-') {
      step = DropThrough('>');
    } else if (c == '/') {
      step = Slash();
    } else {
      current_ = c;
      return Step::kGoOn;
    }
    if (step != Step::kGoOn) return step;
  }
}

WholeRuleReader::WholeRuleReader() {
  token_.reserve(64);
  block_.reserve(256);
}

int WholeRuleReader::ReadRules(TextFile& input, int c, Handler& handler) {
  while (c != '<' && c != kEndMark) {
    c = ReadToken(input, c);
    if (c != '{' && c != '<' && !token_.empty()) handler.Token(token_);
    if (c == '{') c = ReadBlock(input, handler);
    if (c != '<' && c != kEndMark) {
      c = NextChar(input);
      if (c == '\r') c = NextChar(input);  // a line end counts as one character
    }
  }
  return c;
}

// Reads a token from `c` to a blank, "{", "," or "<", keeps what follows its
// last blank and returns the character that ended it.
int WholeRuleReader::ReadToken(TextFile& input, int c) {
  const auto ends_token = [](int c) { return IsBlank(c) || c == '{' || c == ',' || c == '<'; };
  token_.clear();
  do {
    token_.push_back(static_cast<char>(c));
    if (c != '{') c = NextChar(input);
  } while (!ends_token(c));
  size_t start = token_.size();
  while (start > 0 && !IsBlank(static_cast<unsigned char>(token_[start - 1]))) --start;
  token_.erase(0, start);
  return c;
}

// Reads a block from its "{" to its "}". Returns "}", or "<" / the end mark
// when cut off.
int WholeRuleReader::ReadBlock(TextFile& input, Handler& handler) {
  const bool keep = handler.KeepRule();
  block_.assign(1, '{');
  for (;;) {
    const int c = NextChar(input);
    if (c == kEndMark || (c == '<' && AtClosingStyleTag(input))) return c;
    if (keep) block_.push_back(static_cast<char>(c));
    if (c == '}') {
      handler.RuleEnded(keep, keep ? std::string_view(block_) : std::string_view());
      return c;
    }
  }
}

}  // namespace pelloran
