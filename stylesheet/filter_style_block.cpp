#include "stylesheet/filter_style_block.h"

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
  const bool closer_written = closer.selector >= 0 && !table.rules.empty() &&
                              table.rules.front().KeepsAnything();
  bool closer_missing = closer.read && !closer_written;
  for (const Rule& rule : table.rules) {
    if (!rule.KeepsAnything()) continue;
    if (closer_missing) {
      PutByte(out, '>');
      closer_missing = false;
    }
    WriteRule(out, rule.selectors, rule.declarations);
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
