#pragma once

// A hash index of texts compared without regard to letter case. It stores
// only numbers; the caller owns the texts and tells the index how to find the
// text of a number, so nothing is copied. Every text must be followed by
// seven readable bytes, as those of a rule table are, since they are hashed
// and compared a word at a time.

#include <cstdint>
#include <string_view>
#include <vector>

#include "stylesheet/case_fold.h"

namespace pelloran {

class FoldedIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  // Room for `expected` texts without growing.
  explicit FoldedIndex(size_t expected = 0) { Reset(expected); }

  // Empties the index, keeping room for `expected` texts.
  void Reset(size_t expected) {
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    slots_.assign(capacity, Slot{});
    count_ = 0;
  }

  // The number stored for a text equal to `text` ignoring case; when there is
  // none, stores `number` for it and returns kNone. text_of(n) gives the text
  // of a stored number n.
  template <typename TextOf>
  uint32_t FindOrAdd(std::string_view text, uint32_t number, const TextOf& text_of) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    const uint32_t hash = static_cast<uint32_t>(HashPaddedIgnoringCase(text));
    size_t i = hash & (slots_.size() - 1);
    for (; slots_[i].number != kNone; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i].hash == hash && EqualPaddedIgnoringCase(text_of(slots_[i].number), text)) {
        return slots_[i].number;
      }
    }
    slots_[i] = {hash, number};
    ++count_;
    return kNone;
  }

 private:
  struct Slot {
    uint32_t hash = 0;  // the low half of the text's hash, which places it
    uint32_t number = kNone;
  };

  // Doubles the slots, placing the stored numbers again by the hashes kept.
  void Grow() {
    // The old slots go to a spare array that keeps its storage, so that an
    // index reset and filled again grows without allocating.
    old_slots_.swap(slots_);
    Reset(old_slots_.size());
    for (const Slot& slot : old_slots_) {
      if (slot.number == kNone) continue;
      size_t i = slot.hash & (slots_.size() - 1);
      while (slots_[i].number != kNone) i = (i + 1) & (slots_.size() - 1);
      slots_[i] = slot;
      ++count_;
    }
  }

  std::vector<Slot> slots_;
  std::vector<Slot> old_slots_;
  size_t count_ = 0;
};

}  // namespace pelloran
