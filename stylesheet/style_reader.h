#pragma once

// Reads the text of one style element from the input file into a rule table:
// the rest of the style tag, the leading skips, each rule's selectors and
// block, the keep test, at-rules, and the skips between rules.
//
// The style text never reaches beyond the first "</style" or "</STYLE": the
// reader stops just after its "<" wherever it meets it, and drops the rule it
// was reading there.

#include <string>
#include <string_view>

#include "charfile/text_file.h"
#include "interfaces/clean_statistics.h"
#include "interfaces/options.h"
#include "interfaces/progress_gauge.h"
#include "stylesheet/rule_table.h"
#include "stylesheet/run_scan.h"

namespace pelloran {

// After a "<": do "/style" or "/STYLE" come next? Nothing is consumed.
bool AtClosingStyleTag(TextFile& input);

class StyleReader {
 public:
  enum class Result {
    kEndOfInput,      // the input ended inside the style text: write nothing
    kStyleTextEnded,  // at a "<": merge and write the table
  };

  // The reader's buffers, which may be kept from one style element to the
  // next so that reading allocates nothing once they have grown.
  struct Buffers {
    std::string tag_rest;  // the style tag's attributes and its ">"
    std::string prelude;   // the selector list of the rule being read
    std::string selector;  // one selector of it, blanks made single
    std::string block;     // the rule's block, without braces and comments
    std::string at_rule;   // the at-rule being read, as it stands
  };

  StyleReader(TextFile& input, const Options& options, ProgressGauge& gauge, RuleTable& table,
              Buffers& buffers)
      : input_(input), options_(options), gauge_(gauge), table_(table), b_(buffers) {}

  // With `attributes_follow` the input stands inside the style tag, which is
  // read through its ">" into tag_rest() first.
  Result ReadRules(bool attributes_follow);
  // Counts the rules read and their declarations into `statistics` from now on.
  void CountInto(CleanStatistics* statistics) { statistics_ = statistics; }
  const std::string& tag_rest() const { return b_.tag_rest; }

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
  static Step Ended(int c) {
    return c == kEndMark ? Step::kEndOfInput
                         : (c == kClosingTag ? Step::kStyleTextEnded : Step::kGoOn);
  }
  // Does "/style" or "/STYLE" come next?
  bool AtClosingTag() { return AtClosingStyleTag(input_); }
  // Copies the buffered characters up to the first one marked in `stops`
  // into `into` (when not null), consuming them.
  void CopyRun(const StopBytes& stops, std::string* into);
  Step ReadTagRest();
  Step DropThrough(int stop);
  Step Slash();
  Step DropComment(std::string* into);
  Step String(int quote, std::string* into);
  Step CommentStringOrChar(int c, std::string& into);
  bool DroppedCommentOpener();
  Step LeadingSkips();
  Step ReadRule();
  Step ReadPrelude();
  void MarkJoiningComment();
  void StoreSelectors();
  void StoreSelector(std::string_view selector);
  Step ReadBlock();
  Step ReadAtRule();
  Step BetweenRules();
  bool SkipsAtRules() const { return options_.IsTicked(kSkipImportsBox); }

  static constexpr int kClosingTag = 256;

  TextFile& input_;
  const Options& options_;
  ProgressGauge& gauge_;
  RuleTable& table_;
  Buffers& b_;
  int current_ = 0;  // the character in hand: the first of a rule or at-rule
  CleanStatistics* statistics_ = nullptr;
};

// Reads style text rule by rule as it stands, for a pass that keeps or drops
// whole rules (the second pass of style overriding): comments and strings are
// not told apart, and a rule goes out exactly as it was read.
class WholeRuleReader {
 public:
  class Handler {
   public:
    // A selector token ended by a blank or ",": what follows its last blank,
    // never empty. A token ended by "{" does not count.
    virtual void Token(std::string_view token) = 0;
    // At a block's "{": is the rule to be kept?
    virtual bool KeepRule() = 0;
    // At a block's "}": the block, braces included, when the rule is kept;
    // empty when it is dropped. A rule cut off before its "}" never gets here.
    virtual void RuleEnded(bool kept, std::string_view block) = 0;

   protected:
    ~Handler() = default;
  };

  WholeRuleReader();

  // Reads from `c`, the character in hand, until a "<" ends the rules: any
  // "<" in a selector, only that of "</style" or "</STYLE" in a block. That
  // "<" is consumed and returned; the end mark is returned at the end.
  int ReadRules(TextFile& input, int c, Handler& handler);

 private:
  int ReadToken(TextFile& input, int c);
  int ReadBlock(TextFile& input, Handler& handler);

  std::string token_;  // the selector token being read
  std::string block_;  // the rule's block, braces included
};

}  // namespace pelloran
