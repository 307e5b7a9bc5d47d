#include "cleaner/markup_scanner.h"

#include <cstring>
#include <span>

#include "cleaner/scan_operations.h"
#include "stylesheet/case_fold.h"

namespace pelloran {
namespace {

// A tag's name ends at any blank, "/" or ">", as a browser's does (the "/"
// of an end tag comes first and is the name's).
bool EndsTagName(int c) { return IsBlank(c) || c == '/' || c == '>'; }

}  // namespace

TagKind ClassifyTagName(std::string_view name) {
  if (name.empty()) return TagKind::kOther;
  if (name[0] == '!') {
    return EqualIgnoringCase(name, "!--[if") ? TagKind::kConditionalComment : TagKind::kDeclaration;
  }
  // A processing instruction (<?xml ...?>) is copied as it stands, like a declaration.
  if (name[0] == '?') return TagKind::kDeclaration;
  // kRawText: elements whose content a browser reads as text, markup and all.
  switch (name.size()) {
    case 1:
      if (EqualIgnoringCase(name, "a")) return TagKind::kA;
      if (EqualIgnoringCase(name, "p")) return TagKind::kP;
      break;
    case 3:
      if (EqualIgnoringCase(name, "img")) return TagKind::kImg;
      if (EqualIgnoringCase(name, "xmp")) return TagKind::kRawText;
      break;
    case 4:
      if (EqualIgnoringCase(name, "html")) return TagKind::kHtml;
      if (EqualIgnoringCase(name, "meta")) return TagKind::kMeta;
      if (EqualIgnoringCase(name, "link")) return TagKind::kLink;
      if (EqualIgnoringCase(name, "span")) return TagKind::kSpan;
      break;
    case 5:
      if (EqualIgnoringCase(name, "style")) return TagKind::kStyle;
      if (EqualIgnoringCase(name, "table")) return TagKind::kTable;
      if (EqualIgnoringCase(name, "/span")) return TagKind::kSpanEnd;
      if (EqualIgnoringCase(name, "title")) return TagKind::kRawText;
      break;
    case 6:
      if (EqualIgnoringCase(name, "script")) return TagKind::kScript;
      if (EqualIgnoringCase(name, "iframe")) return TagKind::kRawText;
      break;
    case 7:
      if (EqualIgnoringCase(name, "noembed")) return TagKind::kRawText;
      break;
    case 8:
      if (EqualIgnoringCase(name, "noscript")) return TagKind::kNoscript;
      if (EqualIgnoringCase(name, "textarea") || EqualIgnoringCase(name, "noframes"))
        return TagKind::kRawText;
      break;
    case 9:
      if (EqualIgnoringCase(name, "plaintext")) return TagKind::kRawText;
      break;
  }
  return TagKind::kOther;
}

void MarkupScanner::ReadTagName(bool span_rule) {
  name_.clear();
  name_cut_ = false;
  // CopyText hands over only a "<" with a name character right after it.
  int c = Next();
  while (c != kEndMark) {
    name_.push_back(static_cast<char>(c));
    if (span_rule && name_.size() == 4 && EqualIgnoringCase(name_, "span")) {
      terminator_ = ' ';
      return;
    }
    if (name_.size() == kTagNameCap) {
      name_cut_ = true;
      terminator_ = kEndMark;
      return;
    }
    c = Next();
    if (EndsTagName(c)) break;
  }
  terminator_ = c;
  // A ">" that ends the name follows the name's last character.
  before_close_ = c == '>' && !name_.empty() ? static_cast<unsigned char>(name_.back()) : kEndMark;
}

void MarkupScanner::WriteName() {
  Write(name_);
  if (!name_cut_) return;
  int c = Next();
  for (; !EndsTagName(c); c = Next()) output_.PutByte(static_cast<unsigned char>(c));
  terminator_ = c;
  name_cut_ = false;
}

int MarkupScanner::CopyRunUpTo(unsigned char stop) {
  for (;;) {
    const std::span<const unsigned char> run = input_.Buffered();
    if (run.empty()) {
      const int next = input_.Peek();  // refills, or finds the end
      if (next == kEndMark || next == stop) return next;
      continue;
    }
    const void* found = std::memchr(run.data(), stop, run.size());
    size_t n =
        found == nullptr ? run.size() : static_cast<const unsigned char*>(found) - run.data();
    // A byte 26 is the end mark: nothing after it is read.
    const void* end_mark = std::memchr(run.data(), kEndMark, n);
    if (end_mark != nullptr) n = static_cast<const unsigned char*>(end_mark) - run.data();
    output_.PutBytes(std::string_view(reinterpret_cast<const char*>(run.data()), n));
    input_.Consume(n);
    if (n < run.size()) return run[n];
  }
}

bool MarkupScanner::CopyThroughClose() {
  if (CopyRunUpTo('>') == kEndMark) return false;
  input_.Consume(1);
  output_.PutByte('>');
  return true;
}

bool MarkupScanner::DropThroughClose(AttributePicker* picker) {
  if (picker == nullptr) {
    quotes_.Start({});
    picker = &quotes_;
  }
  for (int before = current_;;) {
    const int c = Next();
    if (c == '>' && !picker->InQuotes()) {
      before_close_ = before;
      picker->Finish(/*at_end=*/false);
      return true;
    }
    if (c == kEndMark) {
      picker->Finish(/*at_end=*/true);
      return false;
    }
    picker->Feed(c);
    before = c;
  }
}

bool MarkupScanner::CopyThroughQuote(int quote, AttributePicker* picker) {
  for (;;) {
    const int c = Next();
    if (c == kEndMark) return false;
    output_.PutByte(static_cast<unsigned char>(c));
    if (picker != nullptr) picker->Feed(c);
    if (c == quote) return true;
  }
}

size_t MarkupScanner::WriteIdHolder(AttributePicker& picker, bool closed) {
  bool last_unquoted = false;
  const std::string_view id = picker.TakeCompleted(&last_unquoted);
  if (id.empty()) return 0;
  Write("<span");
  Write(id);
  if (closed) Write("></span>");
  return id.size();
}

bool MarkupScanner::CopyRawText() {
  if (EqualIgnoringCase(name_, "plaintext")) {
    CopyRunUpTo(kEndMark);
    return false;
  }
  marker_.assign(1, '/');
  for (char c : name_)
    marker_.push_back(static_cast<char>(FoldCase(static_cast<unsigned char>(c))));
  marker_.push_back('>');
  return CopyElement(marker_, /*as_found=*/true);
}

bool MarkupScanner::CopyElement(std::string_view marker_lower, bool as_found) {
  // Repeating CopyToMarker(n, first, first) writes every character and stops
  // exactly at the first place where either form of the marker begins, since
  // each marker holds its first character nowhere else. So the copy can go
  // run by run and look ahead only at that character.
  const size_t n = marker_lower.size();
  const auto first = static_cast<unsigned char>(marker_lower[0]);
  for (;;) {
    if (CopyRunUpTo(first) == kEndMark) return false;
    input_.Consume(1);
    if (MarkerFollows(marker_lower)) {
      if (as_found) output_.PutByte(first);
      for (size_t i = 1; i < n; ++i) {
        const int c = NextChar(input_);
        if (as_found) Put(c);
      }
      if (!as_found) Write(marker_lower);
      return true;
    }
    output_.PutByte(first);
  }
}

bool MarkupScanner::MarkerFollows(std::string_view marker_lower) {
  for (size_t i = 1; i < marker_lower.size(); ++i) {
    const auto c = static_cast<unsigned char>(input_.Peek(i - 1));
    if (FoldCase(c) != static_cast<unsigned char>(marker_lower[i])) return false;
  }
  return true;
}

std::string_view MarkupScanner::FindAttributeNamed(std::string_view name, AttributePicker* picker) {
  const size_t n = name.size();
  const char letter1 = name[0];
  const auto letter2 = static_cast<char>(letter1 - 'a' + 'A');
  NamePosition position;  // the scans start right after the tag's name
  for (;;) {
    const bool stands = FindAttribute(input_, n, letter1, letter2, window_, position, picker);
    if (window_ == ">") {
      if (picker != nullptr) picker->Finish(/*at_end=*/false);
      // Nothing read after the name: the terminator came last.
      before_close_ = position.last_read() >= 0 ? position.last_read() : terminator_;
      current_ = '>';
      return window_;
    }
    if (stands && EqualIgnoringCase(window_, name)) return window_;
    if (window_.size() < n) {
      if (picker != nullptr) picker->Finish(/*at_end=*/true);
      return {};
    }
  }
}

}  // namespace pelloran
