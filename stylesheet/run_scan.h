#pragma once

// Scanning a run of text for the first of a few stop bytes, sixteen bytes
// at a time where the processor has SSE2: blocks, comments and declarations
// are long runs with few characters that matter, and a scanner passes over
// what lies before the first of them whole.

#include <array>
#include <bit>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pelloran {

class StopBytes {
 public:
  static constexpr size_t kMost = 8;

  // At most kMost bytes, at least one.
  constexpr explicit StopBytes(std::string_view bytes) {
    for (size_t i = 0; i < kMost; ++i) {
      // Unused places repeat the first byte, so that every place is compared.
      const unsigned char c = static_cast<unsigned char>(bytes[i < bytes.size() ? i : 0]);
      table_[c] = true;
      for (char& lane : lanes_[i]) lane = static_cast<char>(c);
    }
  }

  bool Has(unsigned char c) const { return table_[c]; }

  // The place of the first stop byte in data[0, size); size when none is.
  size_t Find(const unsigned char* data, size_t size) const {
    size_t i = 0;
#if defined(__SSE2__)
    if (size >= 16) {
      const __m128i s0 = Lanes(0), s1 = Lanes(1), s2 = Lanes(2), s3 = Lanes(3);
      const __m128i s4 = Lanes(4), s5 = Lanes(5), s6 = Lanes(6), s7 = Lanes(7);
      for (; i + 16 <= size; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const __m128i hits = _mm_or_si128(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, s0), _mm_cmpeq_epi8(chunk, s1)),
                         _mm_or_si128(_mm_cmpeq_epi8(chunk, s2), _mm_cmpeq_epi8(chunk, s3))),
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, s4), _mm_cmpeq_epi8(chunk, s5)),
                         _mm_or_si128(_mm_cmpeq_epi8(chunk, s6), _mm_cmpeq_epi8(chunk, s7))));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) return i + static_cast<size_t>(std::countr_zero(mask));
      }
    }
#endif
    while (i < size && !table_[data[i]]) ++i;
    return i;
  }
  // The place of the first stop byte in text from `from` on; text.size()
  // when none is.
  size_t Find(std::string_view text, size_t from = 0) const {
    if (from >= text.size()) return text.size();
    return from +
           Find(reinterpret_cast<const unsigned char*>(text.data()) + from, text.size() - from);
  }

 private:
#if defined(__SSE2__)
  __m128i Lanes(size_t i) const {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes_[i].data()));
  }
#endif

  std::array<bool, 256> table_{};
  // Each stop byte sixteen times, to be compared with sixteen bytes at once.
  alignas(16) std::array<std::array<char, 16>, kMost> lanes_{};
};

// The place of the first blank (0-32) or ":" in text; text.size() when
// none is. Ends a declaration's name.
inline size_t FindBlankOrColon(std::string_view text) {
  const auto* data = reinterpret_cast<const unsigned char*>(text.data());
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i space = _mm_set1_epi8(32);
  const __m128i colon = _mm_set1_epi8(':');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    // A byte is at most 32 when the smaller of it and 32 is itself.
    const __m128i blank = _mm_cmpeq_epi8(_mm_min_epu8(chunk, space), chunk);
    const __m128i hits = _mm_or_si128(blank, _mm_cmpeq_epi8(chunk, colon));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0) return i + static_cast<size_t>(std::countr_zero(mask));
  }
#endif
  while (i < text.size() && data[i] > 32 && data[i] != ':') ++i;
  return i;
}

}  // namespace pelloran
