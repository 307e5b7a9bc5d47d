#include "stylesheet/standard_selector.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "stylesheet/case_fold.h"

namespace pelloran {

namespace {

using namespace std::string_view_literals;

constexpr auto kPseudoClasses = std::to_array({
    "active"sv,        "any-link"sv,
    "checked"sv,       "default"sv,
    "disabled"sv,      "empty"sv,
    "enabled"sv,       "first-child"sv,
    "first-of-type"sv, "focus"sv,
    "focus-visible"sv, "focus-within"sv,
    "fullscreen"sv,    "hover"sv,
    "in-range"sv,      "indeterminate"sv,
    "invalid"sv,       "last-child"sv,
    "last-of-type"sv,  "link"sv,
    "modal"sv,         "only-child"sv,
    "only-of-type"sv,  "optional"sv,
    "out-of-range"sv,  "placeholder-shown"sv,
    "read-only"sv,     "read-write"sv,
    "required"sv,      "root"sv,
    "scope"sv,         "target"sv,
    "user-invalid"sv,  "user-valid"sv,
    "valid"sv,         "visited"sv,
});
// The first four are written with one colon or two.
constexpr auto kPseudoElements =
    std::to_array({"before"sv, "after"sv, "first-line"sv, "first-letter"sv, "marker"sv,
                   "placeholder"sv, "selection"sv});
constexpr std::span<const std::string_view> kLegacyPseudoElements =
    std::span(kPseudoElements).first<4>();

constexpr int kEnd = -1;

constexpr bool IsNameStart(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}
constexpr bool IsDigit(int c) { return c >= '0' && c <= '9'; }
constexpr bool IsNameChar(int c) { return IsNameStart(c) || IsDigit(c) || c == '-'; }
constexpr std::array<bool, 256> kNameChars = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 256; ++c) table[static_cast<size_t>(c)] = IsNameChar(c);
  return table;
}();
bool IsHexDigit(int c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsCssBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsLineEnd(int c) { return c == '\n' || c == '\r' || c == '\f'; }

bool IsListed(std::string_view name, std::span<const std::string_view> list) {
  return std::any_of(list.begin(), list.end(),
                     [&](std::string_view l) { return EqualIgnoringCase(name, l); });
}

// Where a selector stands: pseudo-elements only at the top, :has nowhere
// inside :has.
enum class Where { kTop, kNested, kInsideHas };

class SelectorParser {
 public:
  explicit SelectorParser(std::string_view text) : text_(text) {}

  bool WholeSelector() {
    SkipBlanks();
    if (!ComplexSelector(Where::kTop)) return false;
    SkipBlanks();
    return at_ == text_.size();
  }

 private:
  int Peek(size_t ahead = 0) const {
    return at_ + ahead < text_.size() ? static_cast<unsigned char>(text_[at_ + ahead]) : kEnd;
  }
  bool Take(int c) {
    if (Peek() != c) return false;
    ++at_;
    return true;
  }
  // Whether any blank was passed over.
  bool SkipBlanks() {
    const size_t from = at_;
    while (IsCssBlank(Peek())) ++at_;
    return at_ != from;
  }

  bool ValidEscapeAt(size_t ahead) const {
    return Peek(ahead) == '\\' && Peek(ahead + 1) != kEnd && !IsLineEnd(Peek(ahead + 1));
  }
  bool StartsIdent() const;
  void Escape();
  bool Ident();
  std::string_view PlainName();
  bool TakeWord(std::string_view lower);
  bool String();
  bool ComplexSelector(Where where);
  bool ComplexList(Where where);
  bool RelativeList();
  bool Compound(Where where, bool& pseudo_element);
  bool TypeSelector();
  bool Attribute();
  bool AttributeValue();
  bool Pseudo(Where where, bool& pseudo_element);
  bool FunctionArguments(std::string_view name, Where where);
  bool AnPlusB();
  bool Digits();

  std::string_view text_;
  size_t at_ = 0;
};

// An ident starts with a name-start character or an escape, after "-"
// or "--"; a bare "--" is taken for nothing, as older engines did.
bool SelectorParser::StartsIdent() const {
  size_t i = 0;
  if (Peek(i) == '-') ++i;
  if (Peek(i) == '-') ++i;
  return IsNameStart(Peek(i)) || ValidEscapeAt(i) || (i == 2 && IsNameChar(Peek(i)));
}

// After a valid escape's "\": up to six hex digits and one blank, or any
// one character.
void SelectorParser::Escape() {
  ++at_;
  if (!IsHexDigit(Peek())) {
    ++at_;
    return;
  }
  for (int n = 0; n < 6 && IsHexDigit(Peek()); ++n) ++at_;
  if (IsCssBlank(Peek())) ++at_;
}

bool SelectorParser::Ident() {
  if (!StartsIdent()) return false;
  for (;;) {
    while (at_ < text_.size() && kNameChars[static_cast<unsigned char>(text_[at_])]) ++at_;
    if (!ValidEscapeAt(0)) return Peek() != '\\';  // a "\" that escapes nothing
    Escape();
  }
}

// A keyword: ASCII letters, digits and "-"; empty when anything else of a
// name follows (an escape, "_", a non-ASCII letter), so that it is in no list.
std::string_view SelectorParser::PlainName() {
  const size_t from = at_;
  while ((Peek() >= 'a' && Peek() <= 'z') || (Peek() >= 'A' && Peek() <= 'Z') || IsDigit(Peek()) ||
         Peek() == '-')
    ++at_;
  if (IsNameChar(Peek()) || Peek() == '\\') return {};
  return text_.substr(from, at_ - from);
}

// A keyword that stands whole at this place, in any case.
bool SelectorParser::TakeWord(std::string_view lower) {
  const size_t from = at_;
  if (EqualIgnoringCase(PlainName(), lower) && Peek() != '(') return true;
  at_ = from;
  return false;
}

// From its quote through the closing one; a line end or the end of the
// text inside makes it a bad string.
bool SelectorParser::String() {
  const int quote = Peek();
  ++at_;
  for (;;) {
    const int c = Peek();
    if (c == kEnd || IsLineEnd(c)) return false;
    ++at_;
    if (c == quote) return true;
    if (c == '\\') {
      if (Peek() == kEnd) return false;
      ++at_;  // an escaped line end continues the string
    }
  }
}

// Compound selectors joined by combinators. Ends before a "," or ")" or at
// whatever cannot go on; the caller looks at what stands there.
bool SelectorParser::ComplexSelector(Where where) {
  for (;;) {
    bool pseudo_element = false;
    if (!Compound(where, pseudo_element)) return false;
    if (pseudo_element) return true;  // nothing may follow it
    const bool blank = SkipBlanks();
    const int c = Peek();
    if (c == '>' || c == '+' || c == '~') {
      ++at_;
      SkipBlanks();
    } else if (!blank || c == kEnd || c == ',' || c == ')') {
      return true;
    }
  }
}

bool SelectorParser::ComplexList(Where where) {
  for (;;) {
    SkipBlanks();
    if (!ComplexSelector(where)) return false;
    SkipBlanks();
    if (!Take(',')) return true;
  }
}

// The argument of :has: selectors that may start with a combinator.
bool SelectorParser::RelativeList() {
  for (;;) {
    SkipBlanks();
    if (Peek() == '>' || Peek() == '+' || Peek() == '~') {
      ++at_;
      SkipBlanks();
    }
    if (!ComplexSelector(Where::kInsideHas)) return false;
    SkipBlanks();
    if (!Take(',')) return true;
  }
}

// An optional type selector, then ids, classes, attributes and pseudo-
// classes, then perhaps a pseudo-element; not empty.
bool SelectorParser::Compound(Where where, bool& pseudo_element) {
  const size_t from = at_;
  if (!TypeSelector()) return false;
  while (!pseudo_element) {
    const int c = Peek();
    bool ok = true;
    if (c == '#' || c == '.') {
      ++at_;
      ok = Ident();
    } else if (c == '[') {
      ok = Attribute();
    } else if (c == ':') {
      ok = Pseudo(where, pseudo_element);
    } else {
      break;
    }
    if (!ok) return false;
  }
  return at_ != from;
}

// "*" or a name, perhaps after "*|" or "|"; true also when there is none.
bool SelectorParser::TypeSelector() {
  const bool star = Take('*');
  if (Take('|')) return Take('*') || Ident();
  if (star || !StartsIdent()) return true;
  return Ident() && Peek() != '|';  // a named namespace prefix
}

// "[", a name (perhaps after "*|" or "|"), and perhaps an operator, a value
// and the flag "i", then "]".
bool SelectorParser::Attribute() {
  ++at_;
  SkipBlanks();
  if (Peek() == '*' && Peek(1) == '|' && Peek(2) != '=') at_ += 2;
  if (Peek() == '|' && Peek(1) != '=') ++at_;
  if (!Ident() || (Peek() == '|' && Peek(1) != '=')) return false;
  SkipBlanks();
  if (Take(']')) return true;
  const int c = Peek();
  if (c == '~' || c == '|' || c == '^' || c == '$' || c == '*') ++at_;
  if (!Take('=')) return false;
  SkipBlanks();
  if (!AttributeValue()) return false;
  SkipBlanks();
  if ((Peek() == 'i' || Peek() == 'I') && (IsCssBlank(Peek(1)) || Peek(1) == ']')) ++at_;
  SkipBlanks();
  return Take(']');
}

// A string or an ident: "[width=100]" is no attribute selector.
bool SelectorParser::AttributeValue() {
  if (Peek() == '"' || Peek() == '\'') return String();
  return Ident();
}

// After ":": a pseudo-class, or a pseudo-element ("::" or one of the four
// old ones with one colon), which must end the selector.
bool SelectorParser::Pseudo(Where where, bool& pseudo_element) {
  ++at_;
  const bool two_colons = Take(':');
  const std::string_view name = PlainName();
  if (two_colons || IsListed(name, kLegacyPseudoElements)) {
    pseudo_element = true;
    return where == Where::kTop && (two_colons ? IsListed(name, kPseudoElements) : Peek() != '(');
  }
  if (!Take('(')) return IsListed(name, kPseudoClasses);
  SkipBlanks();
  if (!FunctionArguments(name, where)) return false;
  SkipBlanks();
  return Take(')');
}

bool SelectorParser::FunctionArguments(std::string_view name, Where where) {
  const Where inner = where == Where::kInsideHas ? where : Where::kNested;
  if (EqualIgnoringCase(name, "not") || EqualIgnoringCase(name, "is") ||
      EqualIgnoringCase(name, "where"))
    return ComplexList(inner);
  if (EqualIgnoringCase(name, "has")) return where != Where::kInsideHas && RelativeList();
  if (EqualIgnoringCase(name, "nth-child") || EqualIgnoringCase(name, "nth-last-child")) {
    if (!AnPlusB()) return false;
    const size_t before = at_;
    if (SkipBlanks() && TakeWord("of")) return ComplexList(inner);
    at_ = before;
    return true;
  }
  if (EqualIgnoringCase(name, "nth-of-type") || EqualIgnoringCase(name, "nth-last-of-type"))
    return AnPlusB();
  if (EqualIgnoringCase(name, "lang")) return Ident();
  if (EqualIgnoringCase(name, "dir")) return TakeWord("ltr") || TakeWord("rtl");
  return false;
}

// "odd", "even", an integer, or An+B with its blanks where CSS allows them:
// "2n+1", "-n + 3", "n- 1", but not "- n" or "2 n". The caller checks that
// it stands whole.
bool SelectorParser::AnPlusB() {
  if (TakeWord("odd") || TakeWord("even")) return true;
  if (Peek() == '+' || Peek() == '-') ++at_;
  const bool digits = Digits();
  if (!Take('n') && !Take('N')) return digits;
  const size_t after_n = at_;
  SkipBlanks();
  if (!Take('+') && !Take('-')) {
    at_ = after_n;
    return true;
  }
  SkipBlanks();
  return Digits();
}

bool SelectorParser::Digits() {
  const size_t from = at_;
  while (IsDigit(Peek())) ++at_;
  return at_ != from;
}

}  // namespace

bool IsStandardSelector(std::string_view selector) {
  return SelectorParser(selector).WholeSelector();
}

}  // namespace pelloran
