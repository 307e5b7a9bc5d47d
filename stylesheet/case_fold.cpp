#include "stylesheet/case_fold.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace pelloran {

namespace {

// Capitals of code page 1251 that lie outside the regular runs A-Z and
// 0xC0-0xDF, with their small letters.
constexpr std::array<std::array<unsigned char, 2>, 15> kCyrillicPairs{{
    {0x80, 0x90},  // Ђ ђ
    {0x81, 0x83},  // Ѓ ѓ
    {0x8A, 0x9A},  // Љ љ
    {0x8C, 0x9C},  // Њ њ
    {0x8D, 0x9D},  // Ќ ќ
    {0x8E, 0x9E},  // Ћ ћ
    {0x8F, 0x9F},  // Џ џ
    {0xA1, 0xA2},  // Ў ў
    {0xA3, 0xBC},  // Ј ј
    {0xA5, 0xB4},  // Ґ ґ
    {0xA8, 0xB8},  // Ё ё
    {0xAA, 0xBA},  // Є є
    {0xAF, 0xBF},  // Ї ї
    {0xB2, 0xB3},  // І і
    {0xBD, 0xBE},  // Ѕ ѕ
}};

constexpr std::array<unsigned char, 256> MakeFoldTable() {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c);
  for (int c = 'A'; c <= 'Z'; ++c) table[c] = static_cast<unsigned char>(c + 32);
  for (int c = 0xC0; c <= 0xDF; ++c) table[c] = static_cast<unsigned char>(c + 32);
  for (const auto& pair : kCyrillicPairs) table[pair[0]] = pair[1];
  return table;
}

constexpr std::array<unsigned char, 256> kFold = MakeFoldTable();

}  // namespace

unsigned char FoldCase(unsigned char c) { return kFold[c]; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // the common case, and a fast one
  for (size_t i = 0; i < a.size(); ++i) {
    if (kFold[static_cast<unsigned char>(a[i])] != kFold[static_cast<unsigned char>(b[i])]) {
      return false;
    }
  }
  return true;
}

uint64_t HashIgnoringCase(std::string_view text) {
  using namespace case_fold_detail;
  uint64_t hash = text.size() * kHashMultiplier;
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) MixFolded(hash, LoadWord(text.data() + i));
  if (i < text.size()) {
    // Byte by byte: a short copy into a word would stall the load after it.
    uint64_t word = 0;
    for (size_t j = i; j < text.size(); ++j) {
      word |= static_cast<uint64_t>(static_cast<unsigned char>(text[j])) << (8 * (j - i));
    }
    MixFolded(hash, word);
  }
  return hash;
}

}  // namespace pelloran
