#pragma once

// One page's clean, the call that the window's run, the batch command and the
// previews all make: the rules that leave a page as it is, the first pass into
// a working copy, the second pass when style overriding is on, and the
// working copy in the page's place with the page kept as its backup. What
// became of the page comes back as a result; no file failure gets past it.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "charfile/in_out_error.h"
#include "cleaner/run_state.h"
#include "cleaner/style_override_pass.h"
#include "cleaner/tag_filter.h"
#include "interfaces/clean_context.h"
#include "interfaces/clean_statistics.h"
#include "interfaces/messages.h"
#include "interfaces/path_names.h"

namespace pelloran {

class ClassTables;
class LinkReport;
struct PageLeft;

// How a pass over a page ended.
enum class PassEnd {
  kWhole,     // the page went through
  kCutShort,  // reading stopped at a byte 26 with more after it
  kUtf16,     // the page is in UTF-16 (or UTF-32), with or without a mark; nothing was read
};

// Does the open input start with a UTF-16 byte-order mark, or read as UTF-16
// (or UTF-32) without one (WideEncodingOf its first block)? Read as single
// bytes such a page would come out garbled, so no pass may read it.
bool StartsWithUtf16Mark(TextFile& input);

// The two passes a page goes through; tests put their own in.
struct CleanPasses {
  using Pass = std::function<void(CleanContext&, ClassTables&, RunState&)>;
  Pass first = &RunTagFilter;
  Pass second = &RunStyleOverridePass;
};

// What became of a page.
enum class PageEnd {
  kCleaned,
  kUnchanged,      // cleaning changes nothing: left as it was, without a backup
  kLeftByRule,     // left as it was by a rule: its backup exists, a byte 26
                   // inside it, UTF-16, a working-copy name too long, no page,
                   // another run holds it
  kLeftByFailure,  // left as it was because a file step failed
  kFirstPassOnly,  // holds the first pass's result, the original in its backup
  kStopped,        // left as it was because the user stopped the run
};

struct PageResult {
  PageEnd end = PageEnd::kCleaned;
  // Why the page was not cleaned (or only by its first pass), naming it.
  std::string message;
  // The file failure inside a pass that left the page as it was, as the file
  // layer raised it (message holds its text): Apply ends its run on it.
  std::optional<EInOutError> failure;
  // What the passes did to the page, when the cleaner counts.
  CleanStatistics statistics;
};

// Cleans pages one at a time with one context, one set of class tables and
// one run state, as one run does. Pages are named by path; no folder is ever
// made the current directory.
class PageCleaner {
 public:
  PageCleaner(CleanContext& context, ClassTables& tables, CleanPasses passes = {});
  // The link check forgets what it checked ahead.
  ~PageCleaner();
  PageCleaner(const PageCleaner&) = delete;
  PageCleaner& operator=(const PageCleaner&) = delete;

  // Fills PageResult::statistics from now on (counting costs a little).
  void CountStatistics(bool on) { counting_ = on; }
  // Writes a header for each page into `report`, whose lines the first pass
  // writes; none when null.
  void ReportLinksTo(LinkReport* report) { report_ = report; }

  // Cleans the page in its folder. On a file failure inside a pass both files
  // are closed and the partial working copy deleted: the page is then as it
  // was before that pass. A page cleaned (by both passes or the first only)
  // is marked as what the clean made of it.
  PageResult Clean(const PageFiles& page);

  // What Clean would make of the page, by the same rules and passes, written
  // to the file `output` (in a folder of the caller's, made with the page's
  // bits): the page and its folder are never written, no link is checked and
  // no report written. The passes update the tables and the run state as in
  // a run. kCleaned and kUnchanged leave the cleaned text in `output`; any
  // other end leaves no output. The rules that only a run writing the folder
  // meets (another run's lock, a killed run's leftovers) are not asked.
  PageResult Preview(const PageFiles& page, const std::string& output);

  // The passes alone into `output`, as Preview, for a view of the cleaned
  // text: only a file that is no page is left; the page's name and its
  // backup do not matter.
  PageResult CleanInto(const PageFiles& page, const std::string& output);

  // With link checking on: has the link check check ahead, many at a time,
  // every link value the first pass will hand it for these pages, showing its
  // progress on context.link_progress. Pages whose working copy cannot be
  // named (no pass runs for them) are left out. Before that, when a value
  // names a web address, the connection state goes to `messages`.
  void CheckLinksAhead(std::span<const std::string> page_paths, Messages& messages);

  // Whether the user stopped the run (context.stop); once yes, stays yes.
  bool StopRequested();
  // Whether StopRequested has said yes, without asking again.
  bool stopped() const { return stopped_; }

 private:
  // What the cleaner knows of the folder in hand, asked once per folder.
  struct FolderFacts {
    std::string folder;
    long longest_name = 0;
    bool unnamed_files = true;  // until the file system says otherwise
  };
  struct Outcome {
    PageEnd end = PageEnd::kCleaned;
    std::string message;
  };

  static Outcome Left(const PageLeft& left);

  const FolderFacts& LearnFolder(const PageFiles& page);
  std::optional<std::string> WhyLeftBeforeReading(const PageFiles& page);
  Outcome CleanInPlace(const PageFiles& page);
  Outcome CleanOnce(const PageFiles& page);
  Outcome CleanTwice(const PageFiles& page);
  std::optional<Outcome> CleanTwiceThroughUnnamedCopy(const PageFiles& page);
  Outcome SecondPassOverUnnamedCopy(const PageFiles& page);
  Outcome PutSecondPassInPlace(const PageFiles& page, bool whole);
  Outcome SwapThenSecondPass(const PageFiles& page, std::error_code link_refused);
  Outcome SecondPassOverPage(const PageFiles& page);
  PageResult PreviewWith(const PageFiles& page, const std::string& output, bool as_in_its_folder);
  Outcome PreviewInto(const PageFiles& page, const std::string& output, CleanContext& context);
  Outcome PassesInto(const PageFiles& page, const std::string& output, CleanContext& context);
  PassEnd RunPass(const std::string& input, bool first, const std::string& output,
                  CleanContext& context);
  PassEnd PassInto(const std::string& output, const CleanPasses::Pass& pass, CleanContext& context);

  CleanContext& context_;
  ClassTables& tables_;
  CleanPasses passes_;
  RunState run_;
  std::optional<FolderFacts> folder_;
  LinkReport* report_ = nullptr;
  bool counting_ = false;
  bool stopped_ = false;
};

// Why a page whose pass did not go through whole is left as it was.
std::string PassEndMessage(PassEnd end, const std::string& page);

}  // namespace pelloran
