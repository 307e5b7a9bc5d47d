#pragma once

// A hash index of texts compared without regard to letter case. It stores
// only numbers; the caller owns the texts and tells the index how to find the
// text of a number, so nothing is copied.

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

  void Reset(size_t expected) {
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    slots_.assign(capacity, kNone);
    count_ = 0;
  }

  // The number stored for a text equal to `text` ignoring case, or kNone.
  // text_of(number) gives the text of a stored number.
  template <typename TextOf>
  uint32_t Find(std::string_view text, TextOf text_of) const {
    for (size_t i = Home(text);; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i] == kNone) return kNone;
      if (EqualIgnoringCase(text_of(slots_[i]), text)) return slots_[i];
    }
  }

  // Stores `number` for `text`, which must not be in the index yet.
  template <typename TextOf>
  void Add(std::string_view text, uint32_t number, TextOf text_of) {
    if ((count_ + 1) * 2 > slots_.size()) Grow(text_of);
    size_t i = Home(text);
    while (slots_[i] != kNone) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = number;
    ++count_;
  }

 private:
  size_t Home(std::string_view text) const {
    return static_cast<size_t>(HashIgnoringCase(text)) & (slots_.size() - 1);
  }

  template <typename TextOf>
  void Grow(TextOf text_of) {
    std::vector<uint32_t> old;
    old.swap(slots_);
    slots_.assign(old.size() * 2, kNone);
    count_ = 0;
    for (uint32_t number : old) {
      if (number != kNone) Add(text_of(number), number, text_of);
    }
  }

  std::vector<uint32_t> slots_;
  size_t count_ = 0;
};

}  // namespace pelloran
