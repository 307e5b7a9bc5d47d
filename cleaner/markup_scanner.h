#pragma once

// What the two passes share: the scanner state (current character, tag name,
// terminator, a reusable scan window) and the moves both make over a page.
// Nothing here allocates per character: the strings keep their storage.

#include <cstddef>
#include <string>
#include <string_view>

#include "charfile/byte_file.h"
#include "charfile/text_file.h"
#include "cleaner/attribute_picker.h"

namespace pelloran {

// The tags either pass tells apart; names match in any letter case, as a
// browser reads them: <Img>, <TABLE> and <tAbLe> are all the same tag.
enum class TagKind {
  kConditionalComment,  // !--[if
  kDeclaration,         // any other name that starts with "!", or with "?"
  kHtml,
  kMeta,
  kLink,
  kStyle,
  kSpan,
  kSpanEnd,  // /span
  kScript,
  kNoscript,
  kTable,
  kImg,
  kA,
  kP,
  kRawText,  // textarea, title, xmp, iframe, noembed, noframes, plaintext
  kOther,
};

TagKind ClassifyTagName(std::string_view name);

// The longest tag name a pass keeps in memory. Every name a case looks for is
// far shorter, so a longer one can only be a "!" declaration or an ordinary
// tag; its first kTagNameCap characters are kept and the rest is streamed to
// the output by WriteName, so a page of nothing but "<" needs no more memory
// than a short one.
inline constexpr size_t kTagNameCap = 4096;

class MarkupScanner {
 public:
  MarkupScanner(TextFile& input, ByteFile& output) : input_(input), output_(output) {
    name_.reserve(64);
    window_.reserve(16);
  }

  bool AtInputEnd() { return AtEnd(input_); }

  // Copies text up to the next "<" that opens a tag, which is consumed and
  // not written. False when the input ended first.
  bool CopyText() {
    for (;;) {
      if (CopyRunUpTo('<') == kEndMark) return false;
      input_.Consume(1);  // the "<"
      if (OpensTag(input_.Peek())) return true;
      output_.PutByte('<');
    }
  }
  // As in a browser, only a letter, "/", "!" or "?" right after a "<" opens
  // a tag: `5 < 6` is text.
  static bool OpensTag(int next) {
    return (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || next == '/' ||
           next == '!' || next == '?';
  }

  // Reads the name after "<": it ends at any blank (the end mark too), "/" or
  // ">" after its first character (that character, consumed, becomes the
  // terminator). With `span_rule` it stops as soon as it reads "span" or
  // "SPAN", as if a space had ended it. A name reaching kTagNameCap stops
  // there: name() holds its start and the terminator is not read yet.
  void ReadTagName(bool span_rule);

  // The name as read, cut at kTagNameCap.
  std::string_view name() const { return name_; }
  // Is the name longer than name() shows, its rest still unread?
  bool name_cut() const { return name_cut_; }
  // Writes the whole name: name(), then, for a cut name, the rest copied
  // from the input up to its terminator, which is then read.
  void WriteName();
  // Valid once the whole name is read (after WriteName for a cut name).
  int terminator() const { return terminator_; }
  int current() const { return current_; }

  // Reads the next character into current().
  int Next() { return current_ = NextChar(input_); }

  void Write(std::string_view text) { output_.PutBytes(text); }
  // Writes c unless it is the end mark, which never reaches the output.
  void Put(int c) {
    if (c != kEndMark) output_.PutByte(static_cast<unsigned char>(c));
  }
  void WriteTerminator() { Put(terminator_); }

  // Reads and writes up to and including the next ">". False when the input
  // ended first.
  bool CopyThroughClose();
  // Reads up to and including the tag's ">", writing nothing: as in a
  // browser, a ">" inside a quoted value does not end the tag. False at the
  // end. Every character before the ">" goes to `picker`, when one is given,
  // which is finished at the ">" or the end.
  bool DropThroughClose(AttributePicker* picker = nullptr);
  // Reads and writes up to and including the next `quote`. False at the end.
  bool CopyThroughQuote(int quote, AttributePicker* picker = nullptr);
  // Writes the ">" of a tag whose own ">" was dropped or ended its name: "/>"
  // when the last character read before it was a "/" (self-closing markup
  // stays so).
  void PutClose() { Write(before_close_ == '/' ? "/>" : ">"); }
  // The same after the attributes `picker` kept were written, the last of
  // them ending in an unquoted value when `last_unquoted`: a "/" that went
  // out with a kept value is not written again, and one written after an
  // unquoted value is set off by a blank, lest it join the value.
  void PutCloseAfterKept(const AttributePicker& picker, bool last_unquoted) {
    if (picker.ClosedInKeptValue()) {
      Put('>');
    } else {
      Write(before_close_ != '/' ? ">" : last_unquoted ? " />" : "/>");
    }
  }

  // In place of a tag dropped whole that had an id: an empty span with the id
  // `picker` kept, so that in-page links still find their target, and
  // nothing else of the tag shows. Without "></span>" when the tag was cut
  // off by the end of the page (`closed` false). Nothing when no id was kept.
  // Answers how many of the bytes written were the page's (the id as kept).
  size_t WriteIdHolder(AttributePicker& picker, bool closed);

  // Copies an element's content through to its end marker, which begins
  // with a character that is not a letter and stands nowhere else in it; the
  // marker is found in any letter case. Writes the marker in small letters;
  // false (nothing written for the marker) when the input ended first.
  // With `as_found`, the marker is written as it stands in the page.
  bool CopyElement(std::string_view marker_lower, bool as_found = false);
  // After the start tag of a kRawText element (its name still in name()):
  // the content a browser reads as plain text, copied unchanged through the
  // end tag, which is written as found; plaintext's content runs to the end
  // of the page. False when the input ended first.
  bool CopyRawText();
  // An element copied untouched: `written_name` (the tag name in small
  // letters), the terminator, then everything through the end marker.
  bool CopyUntouched(std::string_view written_name, std::string_view marker_lower) {
    Write(written_name);
    WriteTerminator();
    return CopyElement(marker_lower);
  }
  // The elements both passes copy untouched, end markers in small letters:
  // conditional comments whole, script and noscript so that markup inside
  // their strings stays as it is.
  bool CopyConditionalComment() { return CopyUntouched("!--[if", "![endif]-->"); }
  bool CopyScript() { return CopyUntouched("script", "/script>"); }
  bool CopyNoscript() { return CopyUntouched("noscript", "/noscript>"); }
  // A tag copied as it stands: its name, the terminator, the rest through ">".
  void CopyTag() {
    WriteName();
    WriteTerminator();
    if (terminator_ != '>') CopyThroughClose();
  }
  // Do the characters after the one just read complete the marker, in any
  // letter case?
  bool MarkerFollows(std::string_view marker_lower);

  // Repeats FindAttribute(n, letter1, letter2) over the tag, n being the
  // length of `name` (small letters), letter1 and letter2 its first letter in
  // either case, until the window is `name` in any letter case beginning
  // where a name can stand, or ">". Returns that window, or an empty view
  // when the input ended first. Every character read goes to `picker`, when
  // one is given, which is finished at the ">" or the end of the input.
  std::string_view FindAttributeNamed(std::string_view name, AttributePicker* picker = nullptr);

  TextFile& input() { return input_; }
  ByteFile& output() { return output_; }

 private:
  // Copies the input up to the next `stop` or end mark, a buffered run at a
  // time, and answers which of the two is next (neither is consumed).
  int CopyRunUpTo(unsigned char stop);

  TextFile& input_;
  ByteFile& output_;
  std::string name_;
  std::string window_;
  std::string marker_;      // a raw-text element's end tag
  AttributePicker quotes_;  // tells the quoted values of a tag dropped without a picker
  int terminator_ = kEndMark;
  int before_close_ = kEndMark;  // the character read before the tag's last ">"
  bool name_cut_ = false;
  int current_ = kEndMark;
};

}  // namespace pelloran
