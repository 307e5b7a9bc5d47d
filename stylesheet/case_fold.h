#pragma once

// Letter case in single-byte text (code page 1251): Latin and Cyrillic
// capitals fold to their small letters, every other byte stays as it is.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace pelloran {

// The small letter of `c`, or `c` itself when it is no capital.
unsigned char FoldCase(unsigned char c);

// Equal when compared without regard to letter case.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// A hash that is equal for texts that are EqualIgnoringCase.
uint64_t HashIgnoringCase(std::string_view text);

// The same hash for a text followed by at least seven readable bytes (whose
// values do not matter), which it reads a whole word at a time.
inline uint64_t HashPaddedIgnoringCase(std::string_view text);

// EqualIgnoringCase for texts each followed by at least seven readable bytes.
inline bool EqualPaddedIgnoringCase(std::string_view a, std::string_view b);

// ---- inline definitions: these run for every declaration and selector the
// merge meets ----

namespace case_fold_detail {

inline constexpr uint64_t kHashMultiplier = 0x9E3779B97F4A7C15ULL;

// Mixes in a word of eight bytes, or fewer with zeros above them, after
// taking it to a projection that letter case cannot change: ASCII bytes with
// the case bit set, and every byte from 128 up as one value (all Cyrillic
// pairs lie there).
inline void MixFolded(uint64_t& hash, uint64_t word) {
  constexpr uint64_t kHigh = 0x8080808080808080ULL;
  constexpr uint64_t kCaseBits = 0x2020202020202020ULL;
  const uint64_t high = word & kHigh;
  word = ((word | kCaseBits) & ~((high >> 7) * 0xFF)) | high;
  hash = (hash ^ word) * kHashMultiplier;
  hash ^= hash >> 29;
}

inline uint64_t LoadWord(const char* p) {
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

// The low `n` bytes of a word, for n from 1 to 7.
inline uint64_t LowBytes(uint64_t word, size_t n) { return word & ((uint64_t{1} << (8 * n)) - 1); }

}  // namespace case_fold_detail

uint64_t HashPaddedIgnoringCase(std::string_view text) {
  using namespace case_fold_detail;
  uint64_t hash = text.size() * kHashMultiplier;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) MixFolded(hash, LoadWord(text.data() + i));
  if (i < text.size()) MixFolded(hash, LowBytes(LoadWord(text.data() + i), text.size() - i));
  return hash;
}

bool EqualPaddedIgnoringCase(std::string_view a, std::string_view b) {
  using namespace case_fold_detail;
  if (a.size() != b.size()) return false;
  // Equal words are the common case; a word that differs may still differ
  // only in letter case.
  for (size_t i = 0; i < a.size(); i += 8) {
    uint64_t x = LoadWord(a.data() + i);
    uint64_t y = LoadWord(b.data() + i);
    if (a.size() - i < 8) {
      x = LowBytes(x, a.size() - i);
      y = LowBytes(y, a.size() - i);
    }
    if (x != y && !EqualIgnoringCase(a.substr(i, 8), b.substr(i, 8))) return false;
  }
  return true;
}

}  // namespace pelloran
