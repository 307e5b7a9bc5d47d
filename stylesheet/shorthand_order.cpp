#include "stylesheet/shorthand_order.h"

#include <array>
#include <bit>
#include <cstdint>

#include "stylesheet/keep_table.h"

namespace pelloran {

void WriteOrder(std::span<const Declaration> declarations, std::vector<TextRef>& order) {
  order.clear();
  // The rule's declarations by row; at most one per row, in row order.
  std::array<const Declaration*, kKeepTable.size()> by_row{};
  uint64_t waiting = 0;
  for (const Declaration& d : declarations) {
    if (d.text.empty()) continue;
    const int row = RowOfBox(d.slot);
    by_row[static_cast<size_t>(row)] = &d;
    waiting |= uint64_t{1} << row;
  }
  while (waiting != 0) {
    for (uint64_t rows = waiting; rows != 0; rows &= rows - 1) {
      const int row = std::countr_zero(rows);
      const Declaration& d = *by_row[static_cast<size_t>(row)];
      bool blocked = false;
      for (uint64_t others = waiting & OverlapMask(row) & ~(uint64_t{1} << row); others != 0;
           others &= others - 1) {
        blocked = blocked || by_row[static_cast<size_t>(std::countr_zero(others))]->place < d.place;
      }
      if (blocked) continue;
      order.push_back(d.text);
      waiting &= ~(uint64_t{1} << row);
      break;
    }
  }
}

}  // namespace pelloran
