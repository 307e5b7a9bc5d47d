#include "stylesheet/keep_table.h"

#include <string>
#include <vector>

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

// The declaration starting at `start`: up to the next ";", or else to the end
// of the block without its "}" and the blanks before that.
std::string_view DeclarationAt(std::string_view block, size_t start) {
  const size_t semicolon = block.find(';', start);
  if (semicolon != std::string_view::npos) return block.substr(start, semicolon - start);
  size_t end = block.size();
  if (end > start && block[end - 1] == '}') --end;
  while (end > start && IsBlank(static_cast<unsigned char>(block[end - 1]))) --end;
  return block.substr(start, end - start);
}

}  // namespace

void KeepDeclarations(std::string_view block, const Options& options, Rule& rule) {
  const KeepSearch& search = KeepSearch::ForKeepTable();
  const auto& indexes = RowTextIndexes();
  thread_local std::vector<bool> wanted;
  thread_local std::vector<size_t> first;
  std::array<bool, kKeepTable.size()> ticked{};
  wanted.assign(search.text_count(), false);
  for (size_t i = 0; i < kKeepTable.size(); ++i) {
    ticked[i] = options.IsTicked(kKeepTable[i].box);
    if (!ticked[i]) continue;
    wanted[indexes[i].test] = true;
    wanted[indexes[i].start] = true;
  }
  search.FindFirst(block, wanted, first);
  for (size_t i = 0; i < kKeepTable.size(); ++i) {
    if (!ticked[i] || first[indexes[i].test] == KeepSearch::kNotFound) continue;
    rule.declarations.emplace_back(DeclarationAt(block, first[indexes[i].start]));
    rule.slots.push_back(static_cast<unsigned char>(kKeepTable[i].box));
  }
}

}  // namespace pelloran
