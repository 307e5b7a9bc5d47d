#pragma once

// Picks the attributes a reduced tag keeps (a link's targets, an image's text,
// any tag's id) out of the tag's text as a pass reads it, one character at a
// time, and gathers each as it is to be written: a blank, its name in small
// letters, then the rest exactly as it stands in the page (blanks, "=", the
// value with its quotes, or nothing). The tag is split into attributes as a
// browser splits it (a value is double-quoted, single-quoted or runs to a
// blank), except that a name counts only where a name can stand: at the first
// character read after the tag's name or after a blank, never inside a value.
// Nothing allocates per character: the buffers keep their storage.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "charfile/byte_file.h"

namespace pelloran {

// A name a tag keeps, in small letters; it is found in any letter case, as a
// browser reads attribute names.
using KeptName = std::string_view;

// What a tag cut down or dropped keeps: its id, the target of in-page links.
inline constexpr KeptName kIdName[] = {"id"};

class AttributePicker {
 public:
  static constexpr size_t kNoCapture = static_cast<size_t>(-1);
  // The most of a captured value held (its first characters).
  static constexpr size_t kCapturedCap = 4096;

  // One kept attribute: the first of its name in the tag.
  struct Kept {
    size_t which;       // index into the names given to Start
    size_t begin, end;  // its text, " name" and the rest, when gathered
    int quote;          // '"', '\'' or 0 (unquoted or no value)
    bool unquoted;      // a value without quotes, not empty
  };

  AttributePicker();

  // Starts a tag that keeps the first attribute of each of `names` (which
  // must outlive the tag). With `stream`, kept attributes are written there
  // as they are read instead of gathered, so that a value of any length costs
  // no memory; only for a scan in which nothing but the end of the input
  // cuts a value, since nothing written is taken back. The value of
  // names[capture], when kept, is held without its quotes (captured()).
  void Start(std::span<const KeptName> names, ByteFile* stream = nullptr,
             size_t capture = kNoCapture);
  // Every character of the tag after its name, but the ">" that ends it.
  void Feed(int c);
  // The tag ended, at its ">" (`at_end` false) or at the end of the input.
  // An attribute whose quoted value is still open is kept as read at the end
  // of the input, and dropped at a ">" (a scan that lets any ">" end a tag).
  void Finish(bool at_end);

  bool InQuotes() const { return state_ == State::kQuoted; }
  // Was the ">" that ended the tag read inside a kept unquoted value? Then a
  // "/" before it went out with that value.
  bool ClosedInKeptValue() const { return closed_in_kept_value_; }

  std::span<const Kept> kept() const { return kept_; }
  const Kept* Find(size_t which) const;
  std::string_view TextOf(const Kept& kept) const {
    return std::string_view(text_).substr(kept.begin, kept.end - kept.begin);
  }
  // The first kCapturedCap characters of the captured value.
  const std::string& captured() const { return captured_; }
  // The gathered attributes completed since the last call, in page order,
  // and whether the last of them ends in an unquoted value.
  std::string_view TakeCompleted(bool* last_unquoted);

 private:
  enum class State { kBetween, kName, kAfterName, kAfterEquals, kQuoted, kUnquoted };

  void Begin(int c);
  void FeedName(int c);
  void FeedAfterName(int c);
  void FeedAfterEquals(int c);
  void FeedQuoted(int c);
  void FeedUnquoted(int c);
  void EndName();
  void Complete();
  void Keep(int c) {
    if (!keeping_) return;
    if (stream_ != nullptr) {
      stream_->PutByte(static_cast<unsigned char>(c));
    } else {
      text_.push_back(static_cast<char>(c));
    }
  }
  void KeepText(std::string_view text) {
    for (char c : text) Keep(static_cast<unsigned char>(c));
  }
  // A character of the value itself.
  void KeepValue(int c) {
    Keep(c);
    ++value_size_;
    if (keeping_ && which_ == capture_ && captured_.size() < kCapturedCap) {
      captured_.push_back(static_cast<char>(c));
    }
  }

  std::span<const KeptName> names_;
  ByteFile* stream_ = nullptr;
  size_t capture_ = kNoCapture;
  unsigned taken_ = 0;  // bit per name already kept
  State state_ = State::kBetween;
  bool standing_ = true;  // a name could begin at the next character
  bool name_stands_ = false;
  bool name_long_ = false;
  bool keeping_ = false;
  bool closed_in_kept_value_ = false;
  size_t which_ = 0;
  int quote_ = 0;
  size_t begin_ = 0;
  size_t value_size_ = 0;
  std::string name_;     // the name being read, cut at a few characters
  std::string pending_;  // blanks after a kept name, written if "=" follows
  std::string text_;
  std::string captured_;
  std::vector<Kept> kept_;
  size_t taken_up_to_ = 0;  // kept_ entries handed out by TakeCompleted
};

}  // namespace pelloran
