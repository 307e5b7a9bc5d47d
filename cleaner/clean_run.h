#pragma once

// What Apply does: every selected page of the file list through the first
// pass into a working copy, the working copy in the page's place with the page
// kept as its backup, and the second pass when style overriding is on.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cleaner/page_swap.h"
#include "cleaner/run_state.h"
#include "cleaner/style_override_pass.h"
#include "cleaner/tag_filter.h"
#include "interfaces/clean_context.h"
#include "interfaces/file_list.h"
#include "interfaces/messages.h"

namespace pelloran {

class ClassTables;
class PageLock;

inline constexpr char kLinkReportName[] = "Ссылки.txt";
inline constexpr char kOperationDone[] = "Операция выполнена!";
// The check box of kOperationDone that keeps the rest of the run quiet.
inline constexpr char kQuietUntilRunEnds[] = "не показывать до конца прогона";
// The first line of the summary of a run the user stopped.
inline constexpr char kRunStopped[] = "Прогон остановлен.";

// How a pass over a page ended.
enum class PassEnd {
  kWhole,     // the page went through
  kCutShort,  // reading stopped at a byte 26 with more after it
  kUtf16,     // the page starts with a UTF-16 byte-order mark; nothing was read
};

// Does the open input start with a UTF-16 byte-order mark? Read as single
// bytes such a page would come out garbled, so no pass may read it.
bool StartsWithUtf16Mark(TextFile& input);

// Why a page whose pass did not go through whole is left as it was.
std::string PassEndMessage(PassEnd end, const std::string& page);

// The two passes a page goes through; tests put their own in.
struct CleanPasses {
  using Pass = std::function<void(CleanContext&, ClassTables&, RunState&)>;
  Pass first = &RunTagFilter;
  Pass second = &RunStyleOverridePass;
};

// What a pass reads: the page itself, or the first pass's result, which no
// longer says how the page was written.
enum class PassInput { kPage, kFirstPassResult };

// One pass from the open context.input into a new file `output`, made with
// the input's permission bits, leaving the input open. Unless the page went
// through whole, no output is left. On a failure the output is closed and
// deleted and the EInOutError goes on.
PassEnd PassInto(CleanContext& context, ClassTables& tables, RunState& run,
                 const std::string& output, const CleanPasses::Pass& pass);
// The same from the file at `input`, opened and closed again here; a page
// written in UTF-16 is not read at all.
PassEnd RunPassInto(CleanContext& context, ClassTables& tables, RunState& run,
                    const std::string& input, PassInput what, const std::string& output,
                    const CleanPasses::Pass& pass);

// What became of a page given to CleanRun::CleanPage.
enum class PageEnd {
  kCleaned,
  kUnchanged,      // cleaning changes nothing: left as it was, without a backup
  kLeftByRule,     // left as it was by a rule: its backup exists, a byte 26
                   // inside it, UTF-16, a working-copy name too long
  kLeftByFailure,  // left as it was because a file step failed
  kFirstPassOnly,  // holds the first pass's result, the original in its backup
  kStopped,        // left as it was because the user stopped the run
};

// One run, page by page, for callers that decide themselves what follows a
// failed page (the batch command goes on; Apply stops). The file list's folder
// is the current directory while a page is cleaned.
class CleanRun {
 public:
  CleanRun(CleanContext& context, ClassTables& tables, FileList& files, Messages& messages,
           CleanPasses passes = {});
  CleanRun(const CleanRun&) = delete;
  CleanRun& operator=(const CleanRun&) = delete;
  // Closes the link report if a failure left it open; the link check forgets
  // what it checked ahead.
  ~CleanRun();

  // Shows "Вы не выбрали файл!" and answers false when the list has no entry.
  // Otherwise, with link checking on, tells the connection state and creates
  // the link report; then fixes the selected files, in list order, and answers
  // true. Throws EInOutError when the report cannot be created.
  bool Start();
  // The names of the selected file entries when Start ran.
  const std::vector<std::string>& FilesToClean() const { return files_to_clean_; }

  // With link checking on: finds every link value the pages will hand to the
  // link check and has it check them ahead, many at a time, showing its
  // progress on context.link_progress. Pages whose working copy cannot be
  // named (no pass runs for them) are left out. Answers the run gets from
  // the link check are the same with or without this step.
  void CheckLinksAhead(std::span<const std::string> page_paths);

  // Cleans the page of this name and says what became of it; unless it was
  // cleaned, a message says why. On a file failure inside a pass it closes
  // both files, deletes its partial working copy and throws the EInOutError:
  // the page is then as it was before this pass.
  PageEnd CleanPage(const std::string& name);

  // Whether the user stopped the run (context.stop); once yes, stays yes.
  bool StopRequested();

  // Closes the link report and gives it its name (until then it was written
  // under a name of the run's own, and the last run's report stood), has the
  // link check forget what it checked ahead, and sets the gauge to 0. When
  // the user stopped the run or asked for a quiet one, shows its summary. Throws EInOutError
  // when the report cannot take its name. A run destroyed without Finish
  // leaves no report of its own and the last one as it was.
  void Finish();

  // True once the user ticked kQuietUntilRunEnds: no more boxes per page.
  bool IsQuiet() const { return quiet_; }
  // How many pages were cleaned, then each page that was not with the
  // reason, one to a line.
  std::string Summary() const;

 private:
  // What became of a page, with the message unless it was cleaned.
  struct Outcome {
    PageEnd end = PageEnd::kCleaned;
    std::string message;
  };
  static Outcome Left(const PageLeft& left) {
    return {left.by_rule ? PageEnd::kLeftByRule : PageEnd::kLeftByFailure, left.message};
  }
  // What the run needs to know of the folder in hand, asked once per folder.
  struct FolderFacts {
    std::string folder;
    long longest_name = 0;
    bool unnamed_files = true;  // until the file system says otherwise
  };

  void LearnFolder(std::string_view folder);
  std::optional<std::string> WhyLeftAsItIs(const std::string& name, const PageLock& lock);
  Outcome CleanOnce(const std::string& path, const std::string& name);
  Outcome CleanTwice(const std::string& path, const std::string& name);
  std::optional<Outcome> CleanTwiceThroughUnnamedCopy(const std::string& path,
                                                      const std::string& name);
  Outcome SwapThenSecondPass(const std::string& name, std::error_code link_refused);
  Outcome SecondPassOverPage(const std::string& name);
  bool FirstPassResultTakesPageName(const std::string& name);
  bool LeftUnchanged(const std::string& name);
  void OpenInput(const std::string& path);
  // PassInto and RunPassInto with the working copy "PL!__" + name as output.
  PassEnd PassIntoWorkingCopy(const std::string& name, const CleanPasses::Pass& pass);
  PassEnd RunPass(const std::string& input_path, PassInput what, const std::string& name,
                  const CleanPasses::Pass& pass);
  void WriteReportHeader(const std::string& path);
  void ShowCleaned();
  void Fail(const std::string& message);

  CleanContext& context_;
  ClassTables& tables_;
  FileList& files_;
  Messages& messages_;
  CleanPasses passes_;
  RunState run_;
  std::vector<std::string> files_to_clean_;
  std::optional<FolderFacts> folder_;
  bool quiet_ = false;
  bool stopped_ = false;
  int cleaned_ = 0;
  std::vector<std::string> failures_;  // why each page not cleaned was left
  std::string report_name_;            // the link report's path, and the path
  std::string report_in_progress_;     // it is written under until Finish
};

// Apply from start to end. Answers false when the list was empty (nothing
// else happened), true when the run went through every page or was stopped. A file failure
// ends the run at that page: the report is closed, a quiet run's summary is
// shown, and the EInOutError goes on to the caller, whose failure handler
// reports it.
bool RunClean(CleanContext& context, ClassTables& tables, FileList& files, Messages& messages,
              CleanPasses passes = {});

}  // namespace pelloran
