#pragma once

// Finds the first occurrence of each text of the keep table in a block.
// Every text is four to 24 characters long. A position of the block is passed
// over unless a hash of its four next bytes says some text starts with them;
// BlockText does this test as the block is read, so the block costs one table
// look-up per character however many boxes are ticked. At a position that
// passes, the texts shorter than eight characters are looked up by the four
// bytes and the others by the eight, and the few found are all compared at
// once, without branches, since which of them match is as hard to foresee as
// the text itself.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "charfile/char_file.h"

namespace pelloran {

class KeepSearch {
 public:
  static constexpr uint32_t kNotFound = UINT32_MAX;
  static constexpr size_t kMaxTexts = 64;
  static constexpr size_t kMinLength = 4;
  static constexpr size_t kMaxLength = 24;
  // How many readable bytes must follow a block given to FindFirstAt.
  static constexpr size_t kPadding = kMaxLength;

  // At most kMaxTexts texts of kMinLength to kMaxLength characters, all
  // distinct, none holding a zero byte.
  explicit KeepSearch(const std::vector<std::string_view>& texts);

  // The search over every distinct text of the keep table.
  static const KeepSearch& ForKeepTable();

  // The number under which `text` was given; -1 when it was not.
  int IndexOf(std::string_view text) const;

  using Positions = std::array<uint32_t, kMaxTexts>;

  // first[i] becomes the position of the first occurrence of text i in
  // `block`, or kNotFound; bit i of the result tells whether it was found.
  // Only the positions in `starts` (ascending) are tried; they must hold
  // every position at which a text starts. kPadding readable bytes must
  // follow the block; what they hold does not matter.
  uint64_t FindFirstAt(std::string_view block, std::span<const uint32_t> starts,
                       Positions& first) const;

  // Appends to `starts` (at `count`, which it advances) every position p
  // from `from` up to `to` (excluded) whose four bytes text[p..p+3] may begin
  // a text; all four must be there. Passes over most positions where none
  // begins, and over none where one does.
  void NoteStarts(const char* text, size_t from, size_t to, uint32_t* starts, size_t& count) const;

 private:
  static constexpr int kSlotBits = 12;

  // A text as three little-endian words and the masks of its bytes in them.
  struct Pattern {
    std::array<uint64_t, 3> word{};
    std::array<uint64_t, 3> mask{};
    uint32_t length = 0;
    uint32_t text = 0;
  };
  // The texts that begin with the same key (their first four or first
  // eight bytes), side by side in patterns_.
  struct Group {
    uint64_t key = 0;
    uint32_t first = 0;
    uint32_t count = 0;
  };
  // Groups found by a hash of their key, each in a slot of its own. Slot
  // entries are group numbers; group 0 is empty and stands for none.
  template <typename Key>
  struct GroupIndex {
    std::vector<Group> groups{Group{}};
    std::array<uint8_t, size_t{1} << kSlotBits> at{};
    Key multiplier = static_cast<Key>(0x9E3779B97F4A7C15ULL) | 1;

    size_t Slot(Key key) const {
      return static_cast<size_t>((key * multiplier) >> (8 * sizeof(Key) - kSlotBits));
    }
    // The group of `key`, or the empty one.
    const Group& Find(Key key) const {
      const Group& group = groups[at[Slot(key)]];
      return group.key == key ? group : groups[0];
    }
    // Picks a multiplier that gives every group a slot of its own.
    void Place();
  };

  // Adds the texts among `numbers` whose key is that of text `leader` as
  // one group, unless that key has its group already.
  template <typename Key>
  void AddGroup(GroupIndex<Key>& index, size_t leader, const std::vector<size_t>& numbers);

  std::vector<std::string_view> texts_;
  std::vector<Pattern> patterns_;
  // Every four bytes a text starts with, with the texts shorter than eight.
  GroupIndex<uint32_t> by_four_;
  // Every eight bytes a text starts with, with those texts.
  GroupIndex<uint64_t> by_eight_;
};

// A rule's block text as it is read, with the places where a text of the
// keep table may start noted on the way. It is read a buffered run at a time,
// the run scanned for its stop characters before it is copied.
class BlockText {
 public:
  enum class End { kBrace, kEndOfInput, kStopped };

  // Reads from `input` up to and including the first "}" (kBrace), or to
  // the end of the input (kEndOfInput). At every "<" it asks stops_at_less()
  // whether the text ends there (kStopped, the "<" consumed); otherwise the
  // "<" is part of the text.
  template <typename StopsAtLess>
  End ReadThroughBrace(TextFile& input, StopsAtLess stops_at_less);

  // Followed by KeepSearch::kPadding readable bytes.
  std::string_view text() const { return std::string_view(text_.data(), size_); }
  std::span<const uint32_t> starts() const { return std::span(starts_).first(start_count_); }
  // How many characters the storage holds without growing.
  size_t text_capacity() const { return text_.size(); }

 private:
  // Consumes and appends characters up to the first "}", "<" or end mark,
  // which it returns; the "}" and "<" are consumed, and only the "}" is
  // appended.
  int ReadUpToStop(TextFile& input);
  void Append(std::span<const unsigned char> run);

  const KeepSearch& search_ = KeepSearch::ForKeepTable();
  std::vector<char> text_;
  size_t size_ = 0;
  std::vector<uint32_t> starts_;  // as long as text_
  size_t start_count_ = 0;
};

template <typename StopsAtLess>
BlockText::End BlockText::ReadThroughBrace(TextFile& input, StopsAtLess stops_at_less) {
  size_ = 0;
  start_count_ = 0;
  for (;;) {
    const int c = ReadUpToStop(input);
    if (c == '}') return End::kBrace;
    if (c == kEndMark) return End::kEndOfInput;
    if (stops_at_less()) return End::kStopped;
    const unsigned char less = '<';
    Append(std::span(&less, 1));
  }
}

}  // namespace pelloran
