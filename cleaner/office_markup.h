#pragma once

// The markup Office programs leave in a page for themselves, which the first
// pass drops when the switch "служебная разметка Office" is on: conditional
// comments, the revealed-comment markers, <xml> data islands, tags of the
// Office namespaces, the declarations of those namespaces and the mso-
// declarations of style attributes. What a browser shows stays.
//
// A construct cut off by the end of the page is written as it was read:
// nothing after its start is lost. A tag dropped whole leaves its id in an
// empty span. The bytes held for that are kept in strings that keep their
// storage, so the per-character path allocates only while a page's longest
// construct is longer than any before it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "cleaner/markup_scanner.h"

namespace pelloran {

class OfficeMarkup {
 public:
  // `dropped` counts the bytes left out; none are counted when it is null.
  OfficeMarkup(MarkupScanner& scan, int64_t* dropped) : scan_(scan), dropped_(dropped) {
    held_.reserve(256);
    attribute_.reserve(128);
    kept_.reserve(128);
  }

  // Right after the scanner read a tag's name (its "<" not yet written):
  // drops the Office construct that starts there and answers true, or answers
  // false having read nothing more.
  bool DropConstruct(TagKind kind);

  // The rest of a tag whose name is written, copied through its ">" with
  // `blank` (read already, kEndMark for none) in front, without Office namespace declarations
  // (their prefixes are noted as Office prefixes for the rest of the page) and without the mso-
  // declarations of its style attribute. False when the input ended first.
  bool CopyAttributes(int blank);

  // A table copied as it stands but for its Office markup: "table", the
  // terminator, everything through "/table>" or "/TABLE>", written "/table>".
  // False when the input ended first.
  bool CopyTable();

  // Is `name` (a tag name as read, "/" in front for an end tag) in one of
  // the Office namespaces?
  bool IsOfficeTagName(std::string_view name) const;

 private:
  void Count(size_t bytes) {
    if (dropped_ != nullptr) *dropped_ += static_cast<int64_t>(bytes);
  }
  void HoldTagStart();
  bool DropComment();
  bool DropTag(bool keeps_id);
  bool DropIsland();
  bool FeedStartTag(int c);
  enum class StyleLeft { kAsItWas, kLess, kEmpty };
  void ReadAttribute(int c);
  int ReadBlanks(int c);
  int ReadValue(int c);
  void WriteAttribute();
  StyleLeft FilterStyle(std::string_view value);
  bool IsOfficePrefix(std::string_view prefix) const;
  void NoteDeclaredPrefix(std::string_view prefix);
  bool TableTag();
  bool Ahead(std::string_view text) const;

  static constexpr size_t kPrefixCap = 16;    // longest prefix noted
  static constexpr size_t kDeclaredCap = 16;  // prefixes noted per page

  MarkupScanner& scan_;
  int64_t* dropped_;
  std::string held_;       // a construct read so far, written back if it is cut off
  std::string attribute_;  // one attribute with the blanks in front of it
  std::string kept_;       // a style value without its mso- declarations
  size_t name_begin_ = 0;  // where the attribute's name starts in attribute_
  size_t name_end_ = 0;
  size_t value_begin_ = 0;     // where its value starts; 0: it has none
  size_t attribute_size_ = 0;  // its length; blanks read after it may follow
  int attribute_end_ = 0;      // the character after the attribute, already read
  std::array<std::array<char, kPrefixCap>, kDeclaredCap> declared_{};
  size_t declared_count_ = 0;
  AttributePicker picker_;  // the id of a tag dropped
};

}  // namespace pelloran
