#include "stylesheet/keep_table.h"

#include <algorithm>

#include "charfile/text_file.h"
#include "stylesheet/case_fold.h"

namespace pelloran {

namespace {

constexpr int kNoRow = -1;

// "border", "border-left", "border-width", "border-left-width": the side and
// the aspect each sets, "" for all of them.
struct BorderPart {
  std::string_view side;
  std::string_view aspect;
};

bool IsSide(std::string_view word) {
  return word == "top" || word == "right" || word == "bottom" || word == "left";
}

BorderPart PartsOfBorder(std::string_view name) {
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

bool Compatible(std::string_view a, std::string_view b) { return a.empty() || b.empty() || a == b; }

// Whether setting one property may set a value the other sets.
bool Overlap(std::string_view a, std::string_view b) {
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

const std::array<uint64_t, kKeepTable.size()>& OverlapMasks() {
  static const std::array<uint64_t, kKeepTable.size()> masks = [] {
    std::array<uint64_t, kKeepTable.size()> result{};
    for (size_t i = 0; i < kKeepTable.size(); ++i)
      for (size_t j = 0; j < kKeepTable.size(); ++j)
        if (Overlap(kKeepTable[i].property, kKeepTable[j].property)) result[i] |= uint64_t{1} << j;
    return result;
  }();
  return masks;
}

// Where a declaration found for a row stands in the block.
struct Found {
  uint32_t start = 0;
  uint32_t length = 0;
  uint16_t place = 0;  // which declaration of the block, counted from 0
  bool found = false;
};

// The end of the declaration starting at `from`: the next ";" outside
// quotes and parentheses, or the block's end.
size_t DeclarationEnd(std::string_view block, size_t from) {
  int depth = 0;
  char quote = 0;
  for (size_t i = from; i < block.size(); ++i) {
    const char c = block[i];
    if (quote != 0) {
      if (c == '\\') {
        ++i;
      } else if (c == quote) {
        quote = 0;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      depth = std::max(0, depth - 1);
    } else if (c == ';' && depth == 0) {
      return i;
    }
  }
  return block.size();
}

// The row of the declaration in block[start, end) when it is "name:" of a
// property in the table; kNoRow otherwise. `named` tells whether it has a ":".
int RowOfDeclaration(std::string_view piece, bool& named) {
  size_t n = 0;
  while (n < piece.size() && !IsBlank(static_cast<unsigned char>(piece[n])) && piece[n] != ':') ++n;
  size_t colon = n;
  while (colon < piece.size() && IsBlank(static_cast<unsigned char>(piece[colon]))) ++colon;
  named = colon < piece.size() && piece[colon] == ':' && n > 0;
  return named ? RowOfProperty(piece.substr(0, n)) : kNoRow;
}

// The rows by the length of their property, so that a name is compared
// with the few of its length only.
struct RowsOfLength {
  std::array<int8_t, 12> rows{};
  int8_t count = 0;
};
constexpr size_t kLongestProperty = 24;

constexpr std::array<RowsOfLength, kLongestProperty + 1> kRowsByLength = [] {
  std::array<RowsOfLength, kLongestProperty + 1> by_length{};
  for (size_t i = 0; i < kKeepTable.size(); ++i) {
    RowsOfLength& rows = by_length[kKeepTable[i].property.size()];
    rows.rows[static_cast<size_t>(rows.count++)] = static_cast<int8_t>(i);
  }
  return by_length;
}();

}  // namespace

int RowOfProperty(std::string_view name) {
  if (name.size() > kLongestProperty) return kNoRow;
  const RowsOfLength& candidates = kRowsByLength[name.size()];
  for (int8_t i = 0; i < candidates.count; ++i) {
    const int row = candidates.rows[static_cast<size_t>(i)];
    if (EqualIgnoringCase(kKeepTable[static_cast<size_t>(row)].property, name)) return row;
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

uint64_t OverlapMask(int row) { return OverlapMasks()[static_cast<size_t>(row)]; }

KeepCount KeepDeclarations(std::string_view block, const Options& options, RuleTable& table) {
  std::array<Found, kKeepTable.size()> found{};
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
                                         static_cast<uint32_t>(last - start), place, true};
    }
    start = end + 1;
    if (place == UINT16_MAX) --place;  // places beyond count alike
  }
  for (size_t i = 0; i < kKeepTable.size(); ++i) {
    // Asked afresh at every rule, since boxes may change while the filter runs.
    if (!found[i].found || !options.IsTicked(kKeepTable[i].box)) continue;
    table.AddDeclaration(kKeepTable[i].box, block.substr(found[i].start, found[i].length),
                         found[i].place);
    ++count.kept;
  }
  return count;
}

}  // namespace pelloran
