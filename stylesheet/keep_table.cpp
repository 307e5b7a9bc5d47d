#include "stylesheet/keep_table.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

#include "charfile/char_file.h"
#include "stylesheet/keep_search.h"
#include "stylesheet/run_scan.h"

namespace pelloran {

namespace {

constexpr uint8_t kNone = UINT8_MAX;

// The keep table in the search's numbers of its texts.
struct KeepPlan {
  std::array<uint8_t, kKeepTable.size()> start{};
  // For each text, the rows that test for it (bit i for row i).
  std::array<uint64_t, KeepSearch::kMaxTexts> rows_testing{};
  // For each start text, the other start texts of which one begins the
  // other: only these can be found at the same place as it.
  std::array<std::vector<uint8_t>, KeepSearch::kMaxTexts> related;
};

static_assert(kKeepTable.size() <= 64, "a row set is one 64-bit word");

const KeepPlan& ThePlan() {
  static const KeepPlan plan = [] {
    const KeepSearch& search = KeepSearch::ForKeepTable();
    KeepPlan result;
    for (size_t i = 0; i < kKeepTable.size(); ++i) {
      result.rows_testing[search.IndexOf(kKeepTable[i].test)] |= uint64_t{1} << i;
      result.start[i] = static_cast<uint8_t>(search.IndexOf(kKeepTable[i].start));
    }
    for (const KeepRow& row : kKeepTable) {
      std::vector<uint8_t>& related = result.related[search.IndexOf(row.start)];
      if (!related.empty()) continue;
      for (const KeepRow& other : kKeepTable) {
        const uint8_t number = static_cast<uint8_t>(search.IndexOf(other.start));
        const bool prefix =
            row.start.starts_with(other.start) || other.start.starts_with(row.start);
        if (prefix && other.start != row.start &&
            std::find(related.begin(), related.end(), number) == related.end()) {
          related.push_back(number);
        }
      }
    }
    return result;
  }();
  return plan;
}

// The declaration starting at `start`: up to the next ";", or else to the end
// of the block without its "}" and the blanks before that.
std::string_view DeclarationAt(std::string_view block, size_t start) {
  const auto bytes = std::span(reinterpret_cast<const unsigned char*>(block.data()), block.size());
  const size_t semicolon = start + FindFirstOf(bytes.subspan(start), ';', ';', ';');
  if (semicolon < block.size()) return block.substr(start, semicolon - start);
  size_t end = block.size();
  if (end > start && block[end - 1] == '}') --end;
  while (end > start && IsBlank(static_cast<unsigned char>(block[end - 1]))) --end;
  return block.substr(start, end - start);
}

}  // namespace

void KeepDeclarations(const BlockText& block_text, const Options& options, RuleTable& table) {
  const std::string_view block = block_text.text();
  const KeepPlan& plan = ThePlan();
  KeepSearch::Positions first;
  const uint64_t found = KeepSearch::ForKeepTable().FindFirstAt(block, block_text.starts(), first);
  // The rows whose test text the block holds, which are all that may keep
  // anything, in row order.
  uint64_t rows = 0;
  for (uint64_t texts = found; texts != 0; texts &= texts - 1)
    rows |= plan.rows_testing[std::countr_zero(texts)];
  // The block is stored once and the declarations refer into it. Rows that
  // start at the same place keep the same text ("background" and
  // "background-color" often do); it is stored once, as the declaration
  // numbered stored_for[its start text].
  TextRef stored;
  std::array<uint8_t, KeepSearch::kMaxTexts> stored_for;
  stored_for.fill(kNone);
  uint8_t count = 0;
  for (; rows != 0; rows &= rows - 1) {
    const size_t i = static_cast<size_t>(std::countr_zero(rows));
    // Asked afresh at every rule, since boxes may change while the filter
    // runs; the boxes of the other rows cannot change what this rule keeps.
    if (!options.IsTicked(kKeepTable[i].box)) continue;
    const uint8_t start_text = plan.start[i];
    const uint32_t start = first[start_text];
    uint8_t same = stored_for[start_text];
    for (size_t r = 0; same == kNone && r < plan.related[start_text].size(); ++r) {
      const uint8_t other = plan.related[start_text][r];
      if (stored_for[other] != kNone && first[other] == start) same = stored_for[other];
    }
    if (same != kNone) {
      table.AddDeclarationAgain(kKeepTable[i].box, same);
    } else {
      if (count == 0) stored = table.StoreText(block);
      same = count;
      const std::string_view text = DeclarationAt(block, start);
      table.AddDeclaration(kKeepTable[i].box,
                           TextRef{stored.offset + start, static_cast<uint32_t>(text.size())});
    }
    stored_for[start_text] = same;
    ++count;
  }
}

}  // namespace pelloran
