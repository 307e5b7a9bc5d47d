#include "stylesheet/keep_table.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "charfile/text_file.h"
#include "stylesheet/run_scan.h"

namespace pelloran {

namespace {

constexpr int kNoRow = -1;

// "border", "border-left", "border-width", "border-left-width": the side and
// the aspect each sets, "" for all of them.
struct BorderPart {
  std::string_view side;
  std::string_view aspect;
};

constexpr bool IsSide(std::string_view word) {
  return word == "top" || word == "right" || word == "bottom" || word == "left";
}

constexpr BorderPart PartsOfBorder(std::string_view name) {
  BorderPart part;
  name.remove_prefix(std::string_view("border").size());
  while (name.starts_with('-')) {
    name.remove_prefix(1);
    const std::string_view word = name.substr(0, name.find('-'));
    (IsSide(word) ? part.side : part.aspect) = word;
    name.remove_prefix(word.size());
  }
  return part;
}

constexpr bool Compatible(std::string_view a, std::string_view b) {
  return a.empty() || b.empty() || a == b;
}

// Whether setting one property may set a value the other sets.
constexpr bool Overlap(std::string_view a, std::string_view b) {
  if (a == b) return true;
  auto shorthand_of = [](std::string_view s, std::string_view l) {
    return l.size() > s.size() && l.starts_with(s) && l[s.size()] == '-';
  };
  if (shorthand_of(a, b) || shorthand_of(b, a)) return true;
  // The font shorthand resets line-height too.
  if ((a == "font" && b == "line-height") || (b == "font" && a == "line-height")) return true;
  if (a.starts_with("border") && b.starts_with("border")) {
    const BorderPart x = PartsOfBorder(a);
    const BorderPart y = PartsOfBorder(b);
    return Compatible(x.side, y.side) && Compatible(x.aspect, y.aspect);
  }
  return false;
}

constexpr std::array<uint64_t, kKeepTable.size()> kOverlapMasks = [] {
  std::array<uint64_t, kKeepTable.size()> result{};
  for (size_t i = 0; i < kKeepTable.size(); ++i)
    for (size_t j = 0; j < kKeepTable.size(); ++j)
      if (Overlap(kKeepTable[i].property, kKeepTable[j].property)) result[i] |= uint64_t{1} << j;
  return result;
}();

// Where a declaration found for a row stands in the block; rows found are
// marked in a mask, so that nothing need be cleared per block.
struct Found {
  uint32_t start;
  uint32_t length;
  uint16_t place;  // which declaration of the block, counted from 0
};

constexpr StopBytes kValueStops(";\"'()");
constexpr StopBytes kQuotedStops("\"'\\");

// After the opening quote at `at`: the place after its closing quote, a "\"
// escaping the character after it; the block's end when it is not closed.
size_t AfterQuoted(std::string_view block, size_t at) {
  const char quote = block[at];
  for (size_t i = at + 1; (i = kQuotedStops.Find(block, i)) < block.size(); ++i) {
    if (block[i] == '\\') {
      ++i;
    } else if (block[i] == quote) {
      return i + 1;
    }
  }
  return block.size();
}

// The end of the declaration starting at `from`: the next ";" outside
// quotes and parentheses, or the block's end.
size_t DeclarationEnd(std::string_view block, size_t from) {
  int depth = 0;
  for (size_t i = from; (i = kValueStops.Find(block, i)) < block.size();) {
    const char c = block[i];
    if (c == '"' || c == '\'') {
      i = AfterQuoted(block, i);
      continue;
    }
    if (c == ';' && depth == 0) return i;
    if (c == '(') ++depth;
    if (c == ')') depth = std::max(0, depth - 1);
    ++i;
  }
  return block.size();
}

// The row of the declaration in block[start, end) when it is "name:" of a
// property in the table; kNoRow otherwise. `named` tells whether it has a ":".
int RowOfDeclaration(std::string_view piece, bool& named) {
  size_t n = FindBlankOrColon(piece);
  size_t colon = n;
  while (colon < piece.size() && IsBlank(static_cast<unsigned char>(piece[colon]))) ++colon;
  named = colon < piece.size() && piece[colon] == ':' && n > 0;
  return named ? RowOfProperty(piece.substr(0, n)) : kNoRow;
}

// The rows by the length of their property and its first letter, so that a
// name is compared with the one or two that may equal it.
struct CandidateRows {
  std::array<int8_t, 4> rows{};
  int8_t count = 0;
};
constexpr size_t kLongestProperty = 24;

// Every property starts with a small letter, which the five low bits tell
// apart; so do they for a capital.
constexpr size_t LetterKey(char c) { return static_cast<unsigned char>(c) & 31u; }

constexpr std::array<std::array<CandidateRows, 32>, kLongestProperty + 1> kCandidates = [] {
  std::array<std::array<CandidateRows, 32>, kLongestProperty + 1> candidates{};
  for (size_t i = 0; i < kKeepTable.size(); ++i) {
    const std::string_view property = kKeepTable[i].property;
    CandidateRows& rows = candidates[property.size()][LetterKey(property[0])];
    rows.rows[static_cast<size_t>(rows.count++)] = static_cast<int8_t>(i);
  }
  return candidates;
}();

// Eight bytes with their ASCII capitals made small, the rest as they are.
uint64_t SmallLetters(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101ULL;
  constexpr uint64_t kHighs = 0x8080808080808080ULL;
  const uint64_t low7 = word & ~kHighs;
  // Bit 7 of a byte: at least "A", above "Z", and below 128 itself.
  const uint64_t from_a = low7 + kOnes * (0x80 - 'A');
  const uint64_t past_z = low7 + kOnes * (0x80 - 'Z' - 1);
  const uint64_t capitals = from_a & ~past_z & ~word & kHighs;
  return word | (capitals >> 2);
}

// Whether `name` equals a property of its length (small letters) ignoring
// case. No property holds a letter other than ASCII, so folding the ASCII
// capitals is enough; eight bytes are compared at a time.
bool IsProperty(std::string_view property, std::string_view name) {
  for (size_t i = 0; i < name.size(); i += 8) {
    const size_t n = std::min<size_t>(8, name.size() - i);
    uint64_t a = 0;
    uint64_t b = 0;
    std::memcpy(&a, name.data() + i, n);
    std::memcpy(&b, property.data() + i, n);
    if (SmallLetters(a) != b) return false;
  }
  return true;
}

}  // namespace

int RowOfProperty(std::string_view name) {
  if (name.empty() || name.size() > kLongestProperty) return kNoRow;
  const CandidateRows& candidates = kCandidates[name.size()][LetterKey(name[0])];
  for (int8_t i = 0; i < candidates.count; ++i) {
    const int row = candidates.rows[static_cast<size_t>(i)];
    if (IsProperty(kKeepTable[static_cast<size_t>(row)].property, name)) return row;
  }
  return kNoRow;
}

int RowOfBox(int box) {
  static constexpr std::array<int8_t, 256> kRows = [] {
    std::array<int8_t, 256> rows{};
    rows.fill(kNoRow);
    for (size_t i = 0; i < kKeepTable.size(); ++i)
      rows[static_cast<size_t>(kKeepTable[i].box)] = static_cast<int8_t>(i);
    return rows;
  }();
  return box >= 0 && box < 256 ? kRows[static_cast<size_t>(box)] : kNoRow;
}

uint64_t OverlapMask(int row) { return kOverlapMasks[static_cast<size_t>(row)]; }

KeepCount KeepDeclarations(std::string_view block, const Options& options, RuleTable& table) {
  static_assert(kKeepTable.size() <= 64, "rows found are bits of one word");
  std::array<Found, kKeepTable.size()> found;
  uint64_t rows_found = 0;
  KeepCount count;
  uint16_t place = 0;
  for (size_t start = 0; start <= block.size(); ++place) {
    while (start < block.size() && IsBlank(static_cast<unsigned char>(block[start]))) ++start;
    const size_t end = DeclarationEnd(block, start);
    size_t last = end;
    // Without a ";" the declaration ends before the blanks at the block's end.
    if (end == block.size())
      while (last > start && IsBlank(static_cast<unsigned char>(block[last - 1]))) --last;
    bool named = false;
    const int row = RowOfDeclaration(block.substr(start, last - start), named);
    count.read += named ? 1 : 0;
    if (row != kNoRow) {
      found[static_cast<size_t>(row)] = {static_cast<uint32_t>(start),
                                         static_cast<uint32_t>(last - start), place};
      rows_found |= uint64_t{1} << row;
    }
    start = end + 1;
    if (place == UINT16_MAX) --place;  // places beyond count alike
  }
  // In row order, which is box order.
  for (; rows_found != 0; rows_found &= rows_found - 1) {
    const size_t i = static_cast<size_t>(std::countr_zero(rows_found));
    // Asked afresh at every rule, since boxes may change while the filter runs.
    if (!options.IsTicked(kKeepTable[i].box)) continue;
    table.AddDeclaration(kKeepTable[i].box, block.substr(found[i].start, found[i].length),
                         found[i].place);
    ++count.kept;
  }
  return count;
}

}  // namespace pelloran
