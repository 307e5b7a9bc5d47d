#pragma once

// Finds the first occurrence of each text of the keep table in a block.
// Every text is at least four characters long. A position of the block is
// passed over unless its two next bytes begin some text (a bit table);
// otherwise its four next bytes are looked up in a small hash table of the
// texts' first four bytes, and only the texts starting with them are
// compared. BlockText does the first step as the block is read, so the
// block costs about one bit test per character however many boxes are
// ticked.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "charfile/char_file.h"

namespace pelloran {

class KeepSearch {
 public:
  static constexpr size_t kNotFound = static_cast<size_t>(-1);
  static constexpr size_t kMaxTexts = 64;
  static constexpr size_t kMinLength = 4;

  // At most kMaxTexts texts of at least kMinLength characters, all distinct.
  explicit KeepSearch(const std::vector<std::string_view>& texts);

  // The search over every distinct text of the keep table.
  static const KeepSearch& ForKeepTable();

  size_t text_count() const { return texts_.size(); }
  // The number under which `text` was given; -1 when it was not.
  int IndexOf(std::string_view text) const;

  using Positions = std::array<size_t, kMaxTexts>;
  using Wanted = std::array<bool, kMaxTexts>;

  // first[i] becomes the position of the first occurrence of text i in
  // `block`, or kNotFound. Only the positions in `starts` (ascending) are
  // tried; they must hold every position at which a text starts.
  // Stops early once every text marked in `wanted` has been found; the
  // others may then stay kNotFound.
  void FindFirstAt(std::string_view block, std::span<const uint32_t> starts, const Wanted& wanted,
                   Positions& first) const;

  // 1 when a text may start with these four bytes (the first in the low
  // byte), judged by the first two; else 0.
  uint32_t MayStart(uint32_t four) const {
    return static_cast<uint32_t>(starts_[(four & 0xFFFF) / 64] >> (four % 64)) & 1;
  }

 private:
  struct Bucket {
    uint32_t prefix = 0;
    uint8_t first = 0;  // into candidates_
    uint8_t count = 0;  // 0: an empty bucket
  };
  static constexpr size_t kBuckets = 256;

  static size_t Home(uint32_t prefix) { return (prefix * 0x9E3779B1u) >> 24; }
  const Bucket* Find(uint32_t prefix) const {
    for (size_t b = Home(prefix);; b = (b + 1) % kBuckets) {
      const Bucket& bucket = buckets_[b];
      if (bucket.count == 0) return nullptr;
      if (bucket.prefix == prefix) return &bucket;
    }
  }
  // Records the texts of `bucket` that start at `pos`; true once every
  // wanted text is found.
  bool TryAt(std::string_view block, size_t pos, const Bucket& bucket, const Wanted& wanted,
             Positions& first, size_t& missing) const;
  size_t CountWanted(const Wanted& wanted) const;

  std::vector<std::string_view> texts_;
  std::array<Bucket, kBuckets> buckets_{};
  std::array<uint64_t, 65536 / 64> starts_{};  // bit per first two bytes of a text
  std::vector<uint8_t> candidates_;  // text numbers grouped by their first four bytes
};

// A rule's block text as it is read, with the places where a text of the
// keep table may start noted on the way.
class BlockText {
 public:
  enum class End { kBrace, kEndOfInput, kStopped };

  // Reads from `input` up to and including the first "}" (kBrace), or to
  // the end of the input (kEndOfInput). At every "<" it asks stops_at_less()
  // whether the text ends there (kStopped, the "<" consumed); otherwise the
  // "<" is part of the text.
  template <typename StopsAtLess>
  End ReadThroughBrace(TextFile& input, StopsAtLess stops_at_less);

  std::string_view text() const {
    return std::string_view(reinterpret_cast<const char*>(text_.data()), size_);
  }
  std::span<const uint32_t> starts() const { return std::span(starts_).first(start_count_); }

 private:
  // Appends characters up to the first "}", "<" or end mark, which it
  // returns (appending only the "}").
  int ReadRun(TextFile& input);
  void Append(int c);

  const KeepSearch& search_ = KeepSearch::ForKeepTable();
  // char8_t, unlike char, cannot alias the input file's own variables, so
  // the reading loop keeps them in registers.
  std::vector<char8_t> text_;
  size_t size_ = 0;
  std::vector<uint32_t> starts_;  // as long as text_
  size_t start_count_ = 0;
  uint32_t window_ = 0;  // the last four characters, the latest in the high byte
};

template <typename StopsAtLess>
BlockText::End BlockText::ReadThroughBrace(TextFile& input, StopsAtLess stops_at_less) {
  size_ = 0;
  start_count_ = 0;
  window_ = 0;
  for (;;) {
    const int c = ReadRun(input);
    if (c == '}') return End::kBrace;
    if (c == kEndMark) return End::kEndOfInput;
    if (stops_at_less()) return End::kStopped;
    Append(c);
  }
}

}  // namespace pelloran
