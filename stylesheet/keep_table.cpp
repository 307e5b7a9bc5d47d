#include "stylesheet/keep_table.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "charfile/char_file.h"
#include "stylesheet/keep_search.h"

namespace pelloran {

namespace {

struct RowTexts {
  int test;
  int start;
};

// The search's numbers of each row's two texts, in row order.
const std::array<RowTexts, kKeepTable.size()>& RowTextIndexes() {
  static const std::array<RowTexts, kKeepTable.size()> indexes = [] {
    const KeepSearch& search = KeepSearch::ForKeepTable();
    std::array<RowTexts, kKeepTable.size()> result{};
    for (size_t i = 0; i < kKeepTable.size(); ++i) {
      result[i] = {search.IndexOf(kKeepTable[i].test), search.IndexOf(kKeepTable[i].start)};
    }
    return result;
  }();
  return indexes;
}

// The first ";" from `from` on, eight bytes at a time: a declaration is
// short, and a library search costs more to start than to run here.
size_t FindSemicolon(std::string_view block, size_t from) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHighs = 0x8080808080808080ULL;
  size_t i = from;
  for (; i + 8 <= block.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, block.data() + i, sizeof word);
    word ^= kOnes * ';';
    // The lowest byte that is now zero, if any, marks the first ";".
    const uint64_t zero_bytes = (word - kOnes) & ~word & kHighs;
    if (zero_bytes != 0) return i + std::countr_zero(zero_bytes) / 8;
  }
  for (; i < block.size(); ++i) {
    if (block[i] == ';') return i;
  }
  return std::string_view::npos;
}

// The declaration starting at `start`: up to the next ";", or else to the end
// of the block without its "}" and the blanks before that.
std::string_view DeclarationAt(std::string_view block, size_t start) {
  const size_t semicolon = FindSemicolon(block, start);
  if (semicolon != std::string_view::npos) return block.substr(start, semicolon - start);
  size_t end = block.size();
  if (end > start && block[end - 1] == '}') --end;
  while (end > start && IsBlank(static_cast<unsigned char>(block[end - 1]))) --end;
  return block.substr(start, end - start);
}

}  // namespace

void KeepDeclarations(const BlockText& block_text, const Options& options, RuleTable& table) {
  const std::string_view block = block_text.text();
  const KeepSearch& search = KeepSearch::ForKeepTable();
  const auto& indexes = RowTextIndexes();
  KeepSearch::Wanted wanted{};
  KeepSearch::Positions first;
  std::array<bool, kKeepTable.size()> ticked{};
  for (size_t i = 0; i < kKeepTable.size(); ++i) {
    ticked[i] = options.IsTicked(kKeepTable[i].box);
    if (!ticked[i]) continue;
    wanted[indexes[i].test] = true;
    wanted[indexes[i].start] = true;
  }
  search.FindFirstAt(block, block_text.starts(), wanted, first);
  // Rows that start at the same place keep the same text ("background" and
  // "background-color" often do); it is stored once.
  std::array<size_t, kKeepTable.size()> kept_at;
  uint32_t kept = 0;
  for (size_t i = 0; i < kKeepTable.size(); ++i) {
    if (!ticked[i] || first[indexes[i].test] == KeepSearch::kNotFound) continue;
    const size_t start = first[indexes[i].start];
    uint32_t earlier = 0;
    while (earlier < kept && kept_at[earlier] != start) ++earlier;
    if (earlier < kept) {
      table.AddDeclarationAgain(kKeepTable[i].box, earlier);
    } else {
      table.AddDeclaration(kKeepTable[i].box, DeclarationAt(block, start));
    }
    kept_at[kept++] = start;
  }
}

}  // namespace pelloran
