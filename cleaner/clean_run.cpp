#include "cleaner/clean_run.h"

#include <limits.h>
#include <unistd.h>

#include "charfile/char_file.h"
#include "charfile/failure_text.h"
#include "charfile/file_moves.h"
#include "charfile/text_file.h"
#include "charfile/working_copy.h"
#include "cleaner/cleaned_mark.h"
#include "cleaner/link_scan.h"
#include "cleaner/page_eligibility.h"
#include "cleaner/page_lock.h"
#include "cleaner/page_swap.h"
#include "cleaner/report_connection_state.h"

namespace pelloran {
namespace {

// The entry's position in the list as it reads now, or -1.
int IndexOf(const FileList& files, const std::string& name) {
  for (int i = 0; i < files.Count(); ++i) {
    if (!files.IsFolder(i) && files.Entry(i) == name) return i;
  }
  return -1;
}

// `name` in the current directory, as a path that stays right when another
// folder becomes current.
std::string AbsolutePath(const std::string& name) {
  char folder[PATH_MAX];
  if (::getcwd(folder, sizeof folder) == nullptr) return name;
  return std::string(folder) + "/" + name;
}

}  // namespace

bool StartsWithUtf16Mark(TextFile& input) {
  const int first = input.Peek(0);
  const int second = input.Peek(1);
  return (first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF);
}

std::string PassEndMessage(PassEnd end, const std::string& page) {
  return end == PassEnd::kUtf16 ? Utf16PageMessage(page) : EndMarkInsideMessage(page);
}

PassEnd PassInto(CleanContext& context, ClassTables& tables, RunState& run,
                 const std::string& output, const CleanPasses::Pass& pass) {
  bool created = false;
  try {
    BindFileName(context.working_copy, output);
    // Made with the bits of the file read, so the cleaned page keeps who may
    // read and write it.
    CreateWorkingCopy(context.working_copy, context.input.permissions());
    GiveOwnerOf(context.input, context.working_copy);
    created = true;
    pass(context, tables, run);
    const bool cut_short = context.input.StoppedBeforeMoreData();
    CloseCharFile(context.working_copy);
    if (cut_short) DeleteFile(output);
    return cut_short ? PassEnd::kCutShort : PassEnd::kWhole;
  } catch (const EInOutError&) {
    CloseCharFileQuietly(context.working_copy);
    if (created) DeleteFile(output);
    throw;
  }
}

PassEnd RunPassInto(CleanContext& context, ClassTables& tables, RunState& run,
                    const std::string& input, PassInput what, const std::string& output,
                    const CleanPasses::Pass& pass) {
  BindFileName(context.input, input);
  OpenTextForReading(context.input);
  PassEnd end = PassEnd::kUtf16;
  try {
    if (what == PassInput::kFirstPassResult || !StartsWithUtf16Mark(context.input))
      end = PassInto(context, tables, run, output, pass);
  } catch (const EInOutError&) {
    CloseCharFileQuietly(context.input);
    throw;
  }
  try {
    CloseCharFile(context.input);
  } catch (const EInOutError&) {
    if (end == PassEnd::kWhole) DeleteFile(output);
    throw;
  }
  return end;
}

CleanRun::CleanRun(CleanContext& context, ClassTables& tables, FileList& files, Messages& messages,
                   CleanPasses passes)
    : context_(context),
      tables_(tables),
      files_(files),
      messages_(messages),
      passes_(std::move(passes)) {}

CleanRun::~CleanRun() {
  if (context_.link_report.is_open()) {
    // A run that did not finish leaves the last whole report as it was.
    CloseCharFileQuietly(context_.link_report);
    DeleteFile(report_in_progress_);
  }
  context_.link_check.ForgetCheckedAhead();
}

bool CleanRun::Start() {
  if (files_.Count() == 0) {
    messages_.ShowInformation(kNoFileChosen);
    return false;
  }
  if (context_.options.IsLinkCheckingOn()) {
    ReportConnectionState(context_.link_check, messages_);
    // Written under a name of this run's own, the report takes its name only
    // when whole: a stopped run neither empties the last report nor leaves
    // half a one.
    report_name_ = AbsolutePath(kLinkReportName);
    report_in_progress_ =
        AbsolutePath("." + std::string(kLinkReportName) + "." + std::to_string(::getpid()));
    BindFileName(context_.link_report, report_in_progress_);
    CreateTextForWriting(context_.link_report);
  }
  files_to_clean_.clear();
  for (int i = 0; i < files_.Count(); ++i) {
    // A folder entry is no page; its bracketed text could even name a file.
    if (files_.IsSelected(i) && !files_.IsFolder(i)) files_to_clean_.push_back(files_.Entry(i));
  }
  return true;
}

PageEnd CleanRun::CleanPage(const std::string& name) {
  const int index = IndexOf(files_, name);
  if (index < 0) throw EInOutError(kFileNotFound);  // gone from the folder since Start
  files_.MoveFocusQuietly(index);
  if (!files_.IsSelected(index)) files_.Select(index);
  const std::string path = files_.CurrentFile();
  if (context_.options.IsLinkCheckingOn() && context_.link_report.is_open())
    WriteReportHeader(path);
  LearnFolder(FolderPart(path));

  const PageLock lock(name);
  if (const std::optional<std::string> left = WhyLeftAsItIs(name, lock)) {
    Fail(*left);
    return PageEnd::kLeftByRule;
  }
  ClearUnfinishedSwap(name);
  const Outcome outcome =
      IsStyleOverridingOn(context_.options) ? CleanTwice(path, name) : CleanOnce(path, name);
  if (outcome.end == PageEnd::kStopped) {
    context_.gauge.SetProgress(0);
    return PageEnd::kStopped;
  }
  if (outcome.end == PageEnd::kCleaned || outcome.end == PageEnd::kFirstPassOnly) MarkCleaned(name);
  if (outcome.end != PageEnd::kCleaned && outcome.end != PageEnd::kUnchanged) {
    if (outcome.end == PageEnd::kFirstPassOnly) ShowCleaned();
    Fail(outcome.message);
    return outcome.end;
  }
  ShowCleaned();
  ++cleaned_;
  if (!quiet_) quiet_ = messages_.ShowInformationWithOffer(kOperationDone, kQuietUntilRunEnds);
  context_.gauge.SetProgress(0);
  return outcome.end;
}

void CleanRun::CheckLinksAhead(std::span<const std::string> page_paths) {
  if (!context_.options.IsLinkCheckingOn()) return;
  // The pages are the list's, all in the current directory.
  const long longest = LongestNameHere();
  std::vector<std::string> pages;
  for (const std::string& path : page_paths) {
    if (!WorkingCopyNameTooLong(std::string(NamePart(path)), longest)) pages.push_back(path);
  }
  context_.link_check.CheckAhead(ScanLinkValues(context_.options, pages), context_.link_progress);
}

bool CleanRun::StopRequested() {
  if (!stopped_ && context_.stop != nullptr) stopped_ = context_.stop->IsStopRequested();
  return stopped_;
}

void CleanRun::Finish() {
  context_.link_check.ForgetCheckedAhead();
  if (context_.link_report.is_open()) {
    CloseCharFile(context_.link_report);
    if (const std::error_code failure = ReplaceByRename(report_in_progress_, report_name_)) {
      DeleteFile(report_in_progress_);
      throw EInOutError::FromErrno(failure.value());
    }
  }
  context_.gauge.SetProgress(0);
  if (stopped_)
    messages_.ShowInformation(std::string(kRunStopped) + "\n" + Summary());
  else if (quiet_)
    messages_.ShowInformation(Summary());
}

std::string CleanRun::Summary() const {
  std::string text = "Очищено страниц: " + std::to_string(cleaned_) + " из " +
                     std::to_string(files_to_clean_.size()) + ".";
  if (!failures_.empty()) text += "\nНе очищены:";
  for (const std::string& failure : failures_) text += "\n" + failure;
  return text;
}

// Why a page is left before any pass reads it: its working copy's name
// would be longer than its folder takes, it is no page to clean, or another
// run holds it.
std::optional<std::string> CleanRun::WhyLeftAsItIs(const std::string& name, const PageLock& lock) {
  if (auto too_long = WorkingCopyNameTooLong(name, folder_->longest_name)) return too_long;
  if (auto not_a_page = WhyNotAPage(name)) return not_a_page;
  if (lock.busy()) return PageBusyMessage(name);
  return std::nullopt;
}

// The folder's facts are asked when its first page comes (its folder is then
// the current directory) and kept while its pages follow.
void CleanRun::LearnFolder(std::string_view folder) {
  if (folder_ && folder_->folder == folder) return;
  folder_ = FolderFacts{std::string(folder), LongestNameHere()};
}

CleanRun::Outcome CleanRun::CleanOnce(const std::string& path, const std::string& name) {
  if (const PassEnd end = RunPass(path, PassInput::kPage, name, passes_.first);
      end != PassEnd::kWhole)
    return {PageEnd::kLeftByRule, PassEndMessage(end, name)};
  if (LeftUnchanged(name)) return {PageEnd::kUnchanged, {}};
  if (StopRequested()) {
    DeleteFile(WorkingCopyName(name));
    return {PageEnd::kStopped, {}};
  }
  if (const auto failure = SwapInWorkingCopy(name)) return Left(*failure);
  return {};
}

CleanRun::Outcome CleanRun::CleanTwice(const std::string& path, const std::string& name) {
  if (folder_->unnamed_files) {
    if (std::optional<Outcome> outcome = CleanTwiceThroughUnnamedCopy(path, name)) return *outcome;
  }
  // Where a file cannot be without a name, the first pass's result is the
  // page until the second pass's takes its place.
  const Outcome first = CleanOnce(path, name);
  if (first.end != PageEnd::kCleaned) return first;
  return SecondPassOverPage(name);
}

// The first pass writes a file without a name, the second reads it back and
// writes the working copy: the page gets one link for its backup and one
// rename, and a kill at any moment leaves no copy of the first pass behind.
// nullopt, with nothing done, when the folder cannot hold such a file.
std::optional<CleanRun::Outcome> CleanRun::CleanTwiceThroughUnnamedCopy(const std::string& path,
                                                                        const std::string& name) {
  OpenInput(path);
  try {
    if (StartsWithUtf16Mark(context_.input)) {
      CloseCharFile(context_.input);
      return Outcome{PageEnd::kLeftByRule, PassEndMessage(PassEnd::kUtf16, name)};
    }
    BindFileName(context_.working_copy, WorkingCopyName(name));
    if (!CreateUnnamedWorkingCopy(context_.working_copy, ".", context_.input.permissions())) {
      folder_->unnamed_files = false;
      CloseCharFile(context_.input);
      return std::nullopt;
    }
    GiveOwnerOf(context_.input, context_.working_copy);
    passes_.first(context_, tables_, run_);
    const bool cut_short = context_.input.StoppedBeforeMoreData();
    CloseCharFile(context_.input);
    if (cut_short) {
      CloseCharFileQuietly(context_.working_copy);
      return Outcome{PageEnd::kLeftByRule, EndMarkInsideMessage(name)};
    }
    // The second pass reads the first pass's result as the page.
    BindFileName(context_.input, name);
    OpenTextOverByteFile(context_.input, context_.working_copy);
  } catch (const EInOutError&) {
    CloseCharFileQuietly(context_.working_copy);
    CloseCharFileQuietly(context_.input);
    throw;
  }

  if (StopRequested()) {
    CloseCharFileQuietly(context_.input);  // the unnamed file goes with it
    return Outcome{PageEnd::kStopped, {}};
  }
  // The backup name first, so that a page whose backup exists is left before
  // the second pass, as when the first pass's result is swapped in at once.
  const std::error_code link = AddName(name, BackupName(name));
  if (HardLinksRefused(link)) return SwapThenSecondPass(name, link);
  if (link) {
    CloseCharFileQuietly(context_.input);
    return Left(BackupFailure(name, link));
  }
  // From here on, should the second pass's result not take the page's name,
  // the first pass's does.
  bool whole = false;
  try {
    whole = PassIntoWorkingCopy(name, passes_.second) == PassEnd::kWhole;
  } catch (const EInOutError&) {
    const bool kept = FirstPassResultTakesPageName(name);
    CloseCharFileQuietly(context_.input);
    if (!kept) throw;
    return Outcome{PageEnd::kFirstPassOnly, FirstPassOnlyMessage(name, CurrentFailureText())};
  }
  Outcome outcome;
  if (!whole) {
    const bool kept = FirstPassResultTakesPageName(name);
    outcome = {kept ? PageEnd::kFirstPassOnly : PageEnd::kLeftByRule, EndMarkInsideMessage(name)};
  } else if (LeftUnchanged(name)) {
    DeleteFile(BackupName(name));  // only a second name of the page as it is
    outcome = {PageEnd::kUnchanged, {}};
  } else if (const std::error_code replace = ReplaceByRename(WorkingCopyName(name), name)) {
    DeleteFile(WorkingCopyName(name));
    outcome = FirstPassResultTakesPageName(name)
                  ? Outcome{PageEnd::kFirstPassOnly, SecondPassNotInPlaceMessage(name, replace)}
                  : Outcome{PageEnd::kLeftByFailure, NotRenamedMessage(name, replace)};
  }
  CloseCharFileQuietly(context_.input);  // the unnamed file goes with it
  return outcome;
}

// No hard link for this page (a file system without them, or another owner's
// page under protected hard links): the first pass's result is named and
// swapped in by two renames, and the second pass follows over the page.
CleanRun::Outcome CleanRun::SwapThenSecondPass(const std::string& name,
                                               std::error_code link_refused) {
  const std::error_code named = GiveName(context_.input, WorkingCopyName(name));
  CloseCharFileQuietly(context_.input);
  if (named) return Left(BackupFailure(name, link_refused));
  if (const auto failure = SwapByRenames(name)) return Left(*failure);
  return SecondPassOverPage(name);
}

CleanRun::Outcome CleanRun::SecondPassOverPage(const std::string& name) {
  PassEnd end = PassEnd::kWhole;
  try {
    end = RunPass(name, PassInput::kFirstPassResult, name, passes_.second);
  } catch (const EInOutError&) {  // the page holds the first pass's result whole
    return {PageEnd::kFirstPassOnly, FirstPassOnlyMessage(name, CurrentFailureText())};
  }
  if (end != PassEnd::kWhole) return {PageEnd::kFirstPassOnly, EndMarkInsideMessage(name)};
  if (const auto failure = ReplaceWithWorkingCopy(name)) return {PageEnd::kFirstPassOnly, *failure};
  return {};
}

// After the second pass failed with the backup name made: the first pass's
// result (the open input) takes the page's name. False when it cannot; the
// backup name then goes again and the page is as it was.
bool CleanRun::FirstPassResultTakesPageName(const std::string& name) {
  const std::string working_copy = WorkingCopyName(name);
  if (!GiveName(context_.input, working_copy)) {
    if (!ReplaceByRename(working_copy, name)) return true;
    DeleteFile(working_copy);
  }
  DeleteFile(BackupName(name));  // only a second name of the page as it is
  return false;
}

// Is the working copy the page's very bytes? It is then deleted: the page
// stays as it was, with no backup and no new time stamp.
bool CleanRun::LeftUnchanged(const std::string& name) {
  const std::string working_copy = WorkingCopyName(name);
  if (!SameBytes(working_copy, name)) return false;
  DeleteFile(working_copy);
  return true;
}

void CleanRun::OpenInput(const std::string& path) {
  BindFileName(context_.input, path);
  OpenTextForReading(context_.input);
}

PassEnd CleanRun::PassIntoWorkingCopy(const std::string& name, const CleanPasses::Pass& pass) {
  return PassInto(context_, tables_, run_, WorkingCopyName(name), pass);
}

PassEnd CleanRun::RunPass(const std::string& input_path, PassInput what, const std::string& name,
                          const CleanPasses::Pass& pass) {
  return RunPassInto(context_, tables_, run_, input_path, what, WorkingCopyName(name), pass);
}

void CleanRun::WriteReportHeader(const std::string& path) {
  PutLineEnd(context_.link_report);
  PutText(context_.link_report, "           " + path + " :");
  PutLineEnd(context_.link_report);
  PutLineEnd(context_.link_report);
}

// The folder now lists the backup too: read it again and show the page just
// cleaned selected, with the entries after it in view.
void CleanRun::ShowCleaned() {
  context_.gauge.SetProgress(100);
  const int caret = files_.FocusedIndex();
  files_.ReadFolder();
  files_.MoveFocusQuietly(caret + kFollowingRows);
  files_.Select(caret);
}

// Once the run is quiet, a page left as it was waits for the summary; the
// message already names the page.
void CleanRun::Fail(const std::string& message) {
  failures_.push_back(message);
  if (!quiet_) messages_.ShowError(message);
  context_.gauge.SetProgress(0);
}

bool RunClean(CleanContext& context, ClassTables& tables, FileList& files, Messages& messages,
              CleanPasses passes) {
  CleanRun run(context, tables, files, messages, std::move(passes));
  if (!run.Start()) return false;
  try {
    run.CheckLinksAhead(run.FilesToClean());
    for (const std::string& name : run.FilesToClean()) {
      if (run.StopRequested()) break;
      run.CleanPage(name);
    }
  } catch (const EInOutError&) {
    // The pages cleaned quietly before the failure still get their count.
    if (run.IsQuiet()) messages.ShowInformation(run.Summary());
    throw;
  }
  run.Finish();
  return true;
}

}  // namespace pelloran
