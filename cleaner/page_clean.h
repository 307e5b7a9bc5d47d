#pragma once

// One page's clean, the call that the window's run, the batch command and the
// previews all make: the rules that leave a page as it is, the first pass into
// a working copy, the second pass when style overriding is on, and the
// working copy in the page's place with the page kept as its backup. What
// became of the page comes back as a result; no file failure gets past it.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "charfile/in_out_error.h"
#include "cleaner/page_swap.h"
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
class LockedPage;

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
  kLeftByFailure,  // left as it was because a file step failed, or it changed meanwhile
  kStopped,        // left as it was because the user stopped the run
};

struct PageResult {
  PageEnd end = PageEnd::kCleaned;
  // Why the page was not cleaned, naming it.
  std::string message;
  // The file failure inside a pass that left the page as it was, as the file
  // layer raised it (message holds its text): Apply ends its run on it.
  std::optional<EInOutError> failure;
  // What the passes did to the page, when the cleaner counts.
  CleanStatistics statistics;
  // Left because another user owns the page and the cleaned page would be
  // the runner's: PageCleaner::TakeOthersPages(true) cleans it all the same.
  bool owner_would_change = false;
  // The page's length as it was opened, and, cleaned, the cleaned text's;
  // -1 when not known.
  int64_t bytes_before = -1;
  int64_t bytes_after = -1;
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
  // Cleans pages another user owns, which then belong to the runner (root
  // gives them back to their owner whatever this says).
  void TakeOthersPages(bool on) { take_others_pages_ = on; }

  // Cleans the page in its folder: opened once (LockedPage), read through
  // both passes, and kept or dropped in one step (PageCommit). Whatever
  // fails, the page is as it was and no working copy is left. A cleaned
  // page is marked as what the clean made of it.
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
  // names a web address, calls `before_web_checks` (which tells the
  // connection state in the caller's words).
  void CheckLinksAhead(std::span<const std::string> page_paths,
                       const std::function<void()>& before_web_checks);

  // Whether the user stopped the run (context.stop); once yes, stays yes.
  bool StopRequested();
  // Whether StopRequested has said yes, without asking again.
  bool stopped() const { return stopped_; }

 private:
  struct Outcome {
    PageEnd end = PageEnd::kCleaned;
    std::string message;
    bool owner_would_change = false;
    int64_t bytes_before = -1;
    int64_t bytes_after = -1;
  };

  static Outcome Left(const PageLeft& left);

  FolderWays& LearnFolder(const PageFiles& page);
  Outcome CleanInPlace(const PageFiles& page);
  std::optional<Outcome> WhyLeft(const PageFiles& page, const LockedPage& original,
                                 CleanContext& context, bool asks_owner) const;
  Outcome PassesAndCommit(PageCommit& commit, const PageFiles& page, CleanContext& context,
                          bool in_a_run);
  bool RunsThrough(const CleanPasses::Pass& pass, CleanContext& context);
  PageResult PreviewWith(const PageFiles& page, const std::string& output, bool as_in_its_folder);
  Outcome PreviewInto(const PageFiles& page, const std::string& output, CleanContext& context,
                      bool as_in_its_folder);

  CleanContext& context_;
  ClassTables& tables_;
  CleanPasses passes_;
  RunState run_;
  std::optional<FolderWays> folder_;
  LinkReport* report_ = nullptr;
  bool counting_ = false;
  bool stopped_ = false;
  bool take_others_pages_ = false;
};

}  // namespace pelloran
