#pragma once

// Scanning a run of buffered input (TextFile::Buffered) for the first of a
// few stop characters, eight bytes at a time: blocks and comments are long
// runs with few characters that matter.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace pelloran {

// The place of the first byte in `run` equal to a, b or c; run.size() when
// there is none.
inline size_t FindFirstOf(std::span<const unsigned char> run, unsigned char a, unsigned char b,
                          unsigned char c) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHighs = 0x8080808080808080ULL;
  // Flags the bytes of `word` that are zero; the lowest flag is always a true
  // one, which is all that is asked of it.
  auto zero_bytes = [](uint64_t word) { return (word - kOnes) & ~word & kHighs; };
  size_t i = 0;
  for (; i + 8 <= run.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, run.data() + i, sizeof word);
    const uint64_t found = zero_bytes(word ^ (kOnes * a)) | zero_bytes(word ^ (kOnes * b)) |
                           zero_bytes(word ^ (kOnes * c));
    if (found != 0) return i + static_cast<size_t>(std::countr_zero(found)) / 8;
  }
  for (; i < run.size(); ++i) {
    if (run[i] == a || run[i] == b || run[i] == c) return i;
  }
  return run.size();
}

}  // namespace pelloran
