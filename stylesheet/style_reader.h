#pragma once

// Reads the text of one style element from the input file into a rule table:
// the leading skips, each rule's selector tokens and block, the keep test, the
// skips between rules, and the drop after the last rule the table holds.
//
// The style text never reaches beyond the first "</style" or "</STYLE": the
// reader stops just after its "<" wherever it meets it, and drops the rule it
// was reading there.

#include <string>

#include "charfile/char_file.h"
#include "interfaces/clean_statistics.h"
#include "interfaces/options.h"
#include "interfaces/progress_gauge.h"
#include "stylesheet/keep_search.h"
#include "stylesheet/rule_table.h"

namespace pelloran {

// Where the style tag's own ">" went when the tag had attributes: they are
// read as selector tokens of rule 1, the ">" with them.
struct StartTagCloser {
  bool read = false;  // a token of rule 1 holds the tag's ">"
  int selector = -1;  // that token's index in rule 1's selectors; -1 if not stored
};

class StyleReader {
 public:
  enum class Result {
    kEndOfInput,      // the input ended inside the style text: write nothing
    kStyleTextEnded,  // at a "<" or with a full table: merge and write the table
  };

  // The reader's buffers, which may be kept from one style element to the
  // next so that reading allocates nothing once they have grown.
  struct Buffers {
    std::string token;  // the selector token being read
    BlockText block;    // the block text of the rule being read, "}" included
  };

  StyleReader(TextFile& input, const Options& options, ProgressGauge& gauge, RuleTable& table,
              Buffers& buffers)
      : input_(input),
        options_(options),
        gauge_(gauge),
        table_(table),
        token_(buffers.token),
        block_(buffers.block) {}

  Result ReadRules();
  // Counts the rules read and their declarations into `statistics` from now on.
  void CountInto(CleanStatistics* statistics) { statistics_ = statistics; }
  const StartTagCloser& closer() const { return closer_; }

 private:
  // How a step of the reading ended.
  enum class Step { kGoOn, kEndOfInput, kStyleTextEnded };

  // NextChar, but the "<" of a closing style tag comes back as kClosingTag
  // (consumed, as the caller expects).
  int Read() {
    const int c = NextChar(input_);
    return c == '<' && AtClosingTag() ? kClosingTag : c;
  }
  // Read, after passing over blanks (0-32).
  int ReadNonBlank() {
    int c;
    do {
      c = NextChar(input_);
    } while (c != kEndMark && IsBlank(c));
    return c == '<' && AtClosingTag() ? kClosingTag : c;
  }
  // Does "/style" or "/STYLE" come next?
  bool AtClosingTag();
  Step DropThrough(unsigned char stop);
  // Passes over characters up to the first `stop` or "<" and returns it,
  // consumed (kClosingTag for the "<" of a closing tag), or kEndMark at the
  // end. May stop sooner: at the end of the buffered run (kNothingYet), or
  // after the one character it reads when nothing is buffered.
  int SkipTo(unsigned char stop);
  Step LeadingSkips();
  Step ReadRule();
  Step ReadSelectors();
  Step ReadTokenRest();
  Step ReadBlock();
  void StoreToken();
  void NoteStartTagCloser(int selector_index);
  Step BetweenRules();
  void DropAfterFullTable();
  bool SkipsAtRules() const { return options_.IsTicked(kSkipImportsBox); }

  static constexpr int kClosingTag = 256;
  static constexpr int kNothingYet = 257;

  TextFile& input_;
  const Options& options_;
  ProgressGauge& gauge_;
  RuleTable& table_;

  int current_ = 0;     // the character in hand
  std::string& token_;  // the selector token being read
  BlockText& block_;    // the block text of the rule being read, "}" included
  void CountRule();

  CleanStatistics* statistics_ = nullptr;
  StartTagCloser closer_;
  bool closer_decided_ = false;
  bool equals_before_closer_ = false;
  int rule1_tokens_ = 0;
};

}  // namespace pelloran
