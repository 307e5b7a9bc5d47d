#include "stylesheet/filter_style_block.h"

#include <memory>
#include <string_view>
#include <vector>

#include "stylesheet/rule_merge.h"
#include "stylesheet/rule_table.h"
#include "stylesheet/rule_writer.h"
#include "stylesheet/style_reader.h"

namespace pelloran {

namespace {

// Everything the filter allocates, kept from one style element to the next:
// a page has many, and a program run many pages.
struct Workspace {
  RuleTable table;
  StyleReader::Buffers reading;
  MergeScratch merging;
  std::vector<std::string_view> selectors;
  std::vector<std::string_view> declarations;
};

// What an uncommonly large style element has made the workspace grow to is
// given back rather than kept for the rest of the run.
constexpr size_t kLargestKeptText = size_t{1} << 20;

Workspace& TheWorkspace(std::unique_ptr<Workspace>& kept) {
  if (!kept || kept->table.text_capacity() > kLargestKeptText || kept->reading.block.text_capacity() > kLargestKeptText) {
    kept = std::make_unique<Workspace>();
  }
  return *kept;
}

// Writes every rule that keeps a declaration, in table order. When the style
// tag's ">" was read as a selector that is not written, a ">" goes first so
// that the tag is closed.
void WriteKeptRules(const RuleTable& table, const StartTagCloser& closer, ByteFile& out,
                    std::vector<std::string_view>& selectors, std::vector<std::string_view>& declarations) {
  const std::vector<Rule>& rules = table.rules();
  const bool closer_written =
      closer.selector >= 0 && !rules.empty() && table.KeepsAnything(rules.front());
  bool closer_missing = closer.read && !closer_written;
  for (const Rule& rule : rules) {
    if (!table.KeepsAnything(rule)) continue;
    if (closer_missing) {
      PutByte(out, '>');
      closer_missing = false;
    }
    selectors.clear();
    for (TextRef selector : table.SelectorsOf(rule)) selectors.push_back(table.Text(selector));
    declarations.clear();
    for (const Declaration& d : table.DeclarationsOf(rule)) declarations.push_back(table.Text(d.text));
    WriteRule(out, selectors, declarations);
  }
  if (closer_missing) PutByte(out, '>');
}

}  // namespace

void FilterStyleBlock(CleanContext& context) {
  thread_local std::unique_ptr<Workspace> kept;
  Workspace& work = TheWorkspace(kept);
  work.table.Clear();
  StyleReader reader(context.input, context.options, context.gauge, work.table, work.reading);
  if (reader.ReadRules() == StyleReader::Result::kEndOfInput) return;
  MergeRules(work.table, context.gauge, work.merging);
  WriteKeptRules(work.table, reader.closer(), context.working_copy, work.selectors, work.declarations);
}

}  // namespace pelloran
