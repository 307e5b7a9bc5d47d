#include "stylesheet/filter_style_block.h"

#include <string_view>
#include <vector>

#include "stylesheet/rule_merge.h"
#include "stylesheet/rule_table.h"
#include "stylesheet/rule_writer.h"
#include "stylesheet/style_reader.h"

namespace pelloran {

namespace {

// Writes every rule that keeps a declaration, in table order. When the style
// tag's ">" was read as a selector that is not written, a ">" goes first so
// that the tag is closed.
void WriteKeptRules(const RuleTable& table, const StartTagCloser& closer, ByteFile& out) {
  const std::vector<Rule>& rules = table.rules();
  const bool closer_written =
      closer.selector >= 0 && !rules.empty() && table.KeepsAnything(rules.front());
  bool closer_missing = closer.read && !closer_written;
  std::vector<std::string_view> selectors;
  std::vector<std::string_view> declarations;
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
  RuleTable table;
  StyleReader reader(context.input, context.options, context.gauge, table);
  if (reader.ReadRules() == StyleReader::Result::kEndOfInput) return;
  MergeRules(table, context.gauge);
  WriteKeptRules(table, reader.closer(), context.working_copy);
}

}  // namespace pelloran
