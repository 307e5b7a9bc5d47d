#include "cleaner/office_markup.h"

#include <algorithm>

#include "stylesheet/case_fold.h"

namespace pelloran {
namespace {

// Does `text` start with `lower` in any letter case, as a browser reads names?
bool StartsWith(std::string_view text, std::string_view lower) {
  return EqualIgnoringCase(text.substr(0, lower.size()), lower);
}

bool IsBlankChar(int c) { return c != kEndMark && IsBlank(c); }

// The prefixes Office writes, declared on the page or not.
constexpr std::string_view kOfficePrefixes[] = {
    "o", "v", "w", "x", "m", "st1", "st2",
};

// A namespace whose prefix is Office's, wherever it is declared.
constexpr std::string_view kOfficeNamespace = "urn:schemas-microsoft-com:";

// <![if ...]> and <![endif]> around what every browser shows, and the comment
// <!--<![endif]--> that closes the revealed form of a conditional comment.
bool IsRevealedMarker(std::string_view name, int terminator) {
  if (StartsWith(name, "![if") || StartsWith(name, "![endif")) return true;
  return terminator == '>' && EqualIgnoringCase(name, "!--<![endif]--");
}

// A style declaration of Office's own: "mso-" after any blanks.
bool IsMsoDeclaration(std::string_view declaration) {
  const size_t start = std::min(declaration.size(), declaration.find_first_not_of(" \t\r\n"));
  return StartsWith(declaration.substr(start), "mso-");
}

// Where the declaration starting at `start` ends: its ";" or `end`. A ";"
// inside quotes (a font name) does not end it.
size_t DeclarationEnd(std::string_view value, size_t start, size_t end) {
  char quote = 0;
  for (size_t i = start; i < end; ++i) {
    const char c = value[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      return i;
    }
  }
  return end;
}

std::string_view WithoutOpeningQuote(std::string_view value) {
  if (!value.empty() && (value[0] == '"' || value[0] == '\'')) value.remove_prefix(1);
  return value;
}

}  // namespace

bool OfficeMarkup::DropConstruct(TagKind kind) {
  if (scan_.name_cut()) return false;
  const std::string_view name = scan_.name();
  switch (kind) {
    case TagKind::kConditionalComment:
      return DropComment();
    case TagKind::kDeclaration:
      return IsRevealedMarker(name, scan_.terminator()) && DropTag(/*keeps_id=*/false);
    case TagKind::kOther:
      if (EqualIgnoringCase(name, "xml")) return DropIsland();
      if (EqualIgnoringCase(name, "/xml")) return DropTag(/*keeps_id=*/false);
      return IsOfficeTagName(name) && DropTag(/*keeps_id=*/!name.starts_with('/'));
    default:
      return false;
  }
}

bool OfficeMarkup::IsOfficeTagName(std::string_view name) const {
  if (name.starts_with('/')) name.remove_prefix(1);
  const size_t colon = name.substr(0, kPrefixCap).find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  return IsOfficePrefix(name.substr(0, colon));
}

bool OfficeMarkup::IsOfficePrefix(std::string_view prefix) const {
  for (std::string_view office : kOfficePrefixes) {
    if (EqualIgnoringCase(prefix, office)) return true;
  }
  for (size_t i = 0; i < declared_count_; ++i) {
    if (prefix == std::string_view(declared_[i].data())) return true;
  }
  return false;
}

// What was read of the tag so far: "<", its name and its terminator.
void OfficeMarkup::HoldTagStart() {
  held_.assign(1, '<');
  held_.append(scan_.name());
  if (scan_.terminator() != kEndMark) held_.push_back(static_cast<char>(scan_.terminator()));
}

// <!--[if ...]> through the first "-->" or "--!>", where a browser ends the
// comment: the hidden form with all it holds, or only the opening marker
// <!--[if ...]><!--> of the revealed form, whose content is page content.
bool OfficeMarkup::DropComment() {
  held_.assign("<!--[if");  // as the copy of a conditional comment writes it
  if (scan_.terminator() != kEndMark) held_.push_back(static_cast<char>(scan_.terminator()));
  for (;;) {
    const int c = scan_.Next();
    if (c == kEndMark) {
      scan_.Write(held_);
      return true;
    }
    held_.push_back(static_cast<char>(c));
    if (c == '>' && (held_.ends_with("-->") || held_.ends_with("--!>"))) break;
  }
  Count(held_.size());
  return true;
}

// An Office tag or marker, dropped through its ">"; a start tag's id stays
// in an empty span (`keeps_id`).
bool OfficeMarkup::DropTag(bool keeps_id) {
  HoldTagStart();
  picker_.Start(kIdName);
  for (bool in_tag = scan_.terminator() != '>'; in_tag;) {
    const int c = scan_.Next();
    if (c == kEndMark) {
      scan_.Write(held_);
      return true;
    }
    held_.push_back(static_cast<char>(c));
    in_tag = FeedStartTag(c);
  }
  Count(held_.size() - (keeps_id ? scan_.WriteIdHolder(picker_, /*closed=*/true) : 0));
  return true;
}

// <xml ...> ... </xml>: a data island, dropped whole but for the id of its
// start tag; an island inside it does not end it.
bool OfficeMarkup::DropIsland() {
  HoldTagStart();
  picker_.Start(kIdName);
  bool in_start_tag = scan_.terminator() != '>';
  int depth = 1;
  for (int c = scan_.terminator(); depth > 0;) {
    if (c != kEndMark) c = scan_.Next();
    if (c == kEndMark) {
      scan_.Write(held_);
      return true;
    }
    held_.push_back(static_cast<char>(c));
    if (in_start_tag) in_start_tag = FeedStartTag(c);
    if (c != '<') continue;
    if (Ahead("/xml>")) {
      if (--depth > 0) continue;
      for (int i = 0; i < 5; ++i) held_.push_back(static_cast<char>(scan_.Next()));
    } else if (Ahead("xml>") || Ahead("xml ")) {
      ++depth;
    }
  }
  // A start tag still open at the island's end holds no id a browser sees.
  Count(held_.size() - (in_start_tag ? 0 : scan_.WriteIdHolder(picker_, /*closed=*/true)));
  return true;
}

// A character of a dropped start tag: false when it was the tag's ">", which
// inside a quoted value it is not, as in a browser.
bool OfficeMarkup::FeedStartTag(int c) {
  if (c == '>' && !picker_.InQuotes()) {
    picker_.Finish(/*at_end=*/false);
    return false;
  }
  picker_.Feed(c);
  return true;
}

// `text` in small letters, found in any letter case.
bool OfficeMarkup::Ahead(std::string_view text) const {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(scan_.input().Peek(i));
    if (FoldCase(c) != static_cast<unsigned char>(text[i])) return false;
  }
  return true;
}

bool OfficeMarkup::CopyAttributes(int blank) {
  attribute_.clear();
  if (blank != kEndMark) attribute_.push_back(static_cast<char>(blank));
  for (int c = scan_.Next();; c = attribute_end_) {
    ReadAttribute(c);
    WriteAttribute();
    attribute_.erase(0, attribute_size_);  // blanks read after it go with the next
    if (attribute_end_ == kEndMark || attribute_end_ == '>') {
      scan_.Write(attribute_);
      scan_.Put(attribute_end_);
      return attribute_end_ == '>';
    }
  }
}

// Adds to attribute_ the blanks in front of an attribute, its name and its
// value: blanks may stand around the "=", and the value is quoted or runs up
// to a blank. A "=" where a name starts is the name's, as in a browser. A ">"
// ends the tag even inside quotes, as it does for the tags copied whole. The
// attribute is the first attribute_size_ characters; blanks after a name
// without "=" follow it. The character after those goes to attribute_end_.
void OfficeMarkup::ReadAttribute(int c) {
  value_begin_ = 0;
  c = ReadBlanks(c);
  name_begin_ = attribute_.size();
  for (bool first = true; c != '>' && !IsBlank(c) && (c != '=' || first); c = scan_.Next()) {
    attribute_.push_back(static_cast<char>(c));
    first = false;
  }
  name_end_ = attribute_.size();
  c = ReadBlanks(c);
  if (c == '=') {
    attribute_.push_back('=');
    c = ReadValue(ReadBlanks(scan_.Next()));
  }
  attribute_size_ = value_begin_ == 0 ? name_end_ : attribute_.size();
  attribute_end_ = c;
}

int OfficeMarkup::ReadBlanks(int c) {
  for (; IsBlankChar(c); c = scan_.Next()) attribute_.push_back(static_cast<char>(c));
  return c;
}

// The value from its first character `c`; answers the character after it.
int OfficeMarkup::ReadValue(int c) {
  value_begin_ = attribute_.size();
  if (c == '"' || c == '\'') {
    const int quote = c;
    attribute_.push_back(static_cast<char>(c));
    for (c = scan_.Next(); c != kEndMark && c != '>'; c = scan_.Next()) {
      attribute_.push_back(static_cast<char>(c));
      if (c == quote) return scan_.Next();
    }
    return c;
  }
  for (; !IsBlank(c) && c != '>'; c = scan_.Next()) attribute_.push_back(static_cast<char>(c));
  return c;
}

// Writes the attribute read, less what is Office's own.
void OfficeMarkup::WriteAttribute() {
  const std::string_view whole = std::string_view(attribute_).substr(0, attribute_size_);
  const std::string_view name = whole.substr(name_begin_, name_end_ - name_begin_);
  const std::string_view value =
      value_begin_ == 0 ? std::string_view() : whole.substr(value_begin_);
  if (StartsWith(name, "xmlns:") && WithoutOpeningQuote(value).starts_with(kOfficeNamespace)) {
    NoteDeclaredPrefix(name.substr(6));
    Count(whole.size());
    return;
  }
  if (value_begin_ == 0 || !EqualIgnoringCase(name, "style")) {
    scan_.Write(whole);
    return;
  }
  switch (FilterStyle(value)) {
    case StyleLeft::kAsItWas:
      scan_.Write(whole);
      return;
    case StyleLeft::kEmpty:
      Count(whole.size());
      return;
    case StyleLeft::kLess:
      scan_.Write(whole.substr(0, value_begin_));
      scan_.Write(kept_);
      Count(value.size() - kept_.size());
      return;
  }
}

// Fills kept_ with `value` (quotes included) less its mso- declarations, each
// with its ";" (the last one, having none, takes the ";" in front of it).
OfficeMarkup::StyleLeft OfficeMarkup::FilterStyle(std::string_view value) {
  size_t begin = 0;
  size_t end = value.size();
  if (end > 0 && (value[0] == '"' || value[0] == '\'')) {
    begin = 1;
    if (end > 1 && value[end - 1] == value[0]) --end;
  }
  kept_.assign(value.substr(0, begin));
  bool removed = false;
  for (size_t start = begin; start < end;) {
    const size_t stop = DeclarationEnd(value, start, end);
    const bool has_semicolon = stop < end;
    const std::string_view declaration = value.substr(start, stop - start + has_semicolon);
    if (IsMsoDeclaration(declaration)) {
      removed = true;
      if (!has_semicolon && kept_.size() > begin && kept_.back() == ';') kept_.pop_back();
    } else {
      kept_.append(declaration);
    }
    start = stop + 1;
  }
  if (!removed) return StyleLeft::kAsItWas;
  const bool empty = kept_.find_first_not_of(" \t\r\n", begin) == std::string::npos;
  kept_.append(value.substr(end));
  return empty ? StyleLeft::kEmpty : StyleLeft::kLess;
}

void OfficeMarkup::NoteDeclaredPrefix(std::string_view prefix) {
  if (prefix.empty() || prefix.size() >= kPrefixCap || declared_count_ == kDeclaredCap) return;
  if (IsOfficePrefix(prefix)) return;
  std::copy(prefix.begin(), prefix.end(), declared_[declared_count_].begin());
  declared_[declared_count_][prefix.size()] = '\0';
  ++declared_count_;
}

bool OfficeMarkup::CopyTable() {
  scan_.Write("table");
  if (scan_.terminator() == '>') {
    scan_.Put('>');
  } else if (!CopyAttributes(scan_.terminator())) {
    return false;
  }
  for (;;) {
    const int c = scan_.Next();
    if (c == kEndMark) return false;
    if (c == '/' && scan_.MarkerFollows("/table>")) {
      for (int i = 1; i < 7; ++i) scan_.Next();
      scan_.Write("/table>");
      return true;
    }
    if (c == '<' && TableTag()) continue;
    scan_.Put(c);
  }
}

// A "<" inside a table: an Office construct is dropped; another tag keeps
// its name and loses only Office declarations. False when the "<" is to be
// copied as text (it opens no tag, or the table's end tag).
bool OfficeMarkup::TableTag() {
  const int next = scan_.input().Peek(0);
  if (!MarkupScanner::OpensTag(next) || Ahead("/table>")) return false;
  scan_.ReadTagName(/*span_rule=*/false);
  if (DropConstruct(ClassifyTagName(scan_.name()))) return true;
  const unsigned char first = scan_.name().empty() ? 0 : scan_.name()[0];
  scan_.Put('<');
  scan_.WriteName();
  const bool element_tag = ((first | 0x20) >= 'a' && (first | 0x20) <= 'z') || first == '/';
  if (element_tag && scan_.terminator() != '>') {
    CopyAttributes(scan_.terminator());
  } else {
    scan_.WriteTerminator();
  }
  return true;
}

}  // namespace pelloran
