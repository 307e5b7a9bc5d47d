#include "cleaner/clean_run.h"

#include "charfile/char_file.h"
#include "charfile/file_moves.h"
#include "cleaner/link_scan.h"
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

}  // namespace

bool StartsWithUtf16Mark(TextFile& input) {
  const int first = input.Peek(0);
  const int second = input.Peek(1);
  return (first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF);
}

std::string PassEndMessage(PassEnd end, const std::string& page) {
  return end == PassEnd::kUtf16 ? Utf16PageMessage(page) : EndMarkInsideMessage(page);
}

CleanRun::CleanRun(CleanContext& context, ClassTables& tables, FileList& files, Messages& messages,
                   CleanPasses passes)
    : context_(context),
      tables_(tables),
      files_(files),
      messages_(messages),
      passes_(std::move(passes)) {}

CleanRun::~CleanRun() {
  if (context_.link_report.is_open()) CloseCharFileQuietly(context_.link_report);
  context_.link_check.ForgetCheckedAhead();
}

bool CleanRun::Start() {
  if (files_.Count() == 0) {
    messages_.ShowInformation(kNoFileChosen);
    return false;
  }
  if (context_.options.IsLinkCheckingOn()) {
    ReportConnectionState(context_.link_check, messages_);
    BindFileName(context_.link_report, kLinkReportName);
    CreateTextForWriting(context_.link_report);
  }
  files_to_clean_.clear();
  for (int i = 0; i < files_.Count(); ++i) {
    // A folder entry is no page; its bracketed text could even name a file.
    if (files_.IsSelected(i) && !files_.IsFolder(i)) files_to_clean_.push_back(files_.Entry(i));
  }
  return true;
}

bool CleanRun::CleanPage(const std::string& name) {
  const int index = IndexOf(files_, name);
  if (index < 0) throw EInOutError(kFileNotFound);  // gone from the folder since Start
  files_.MoveFocusQuietly(index);
  if (!files_.IsSelected(index)) files_.Select(index);
  const std::string path = files_.CurrentFile();
  if (context_.options.IsLinkCheckingOn() && context_.link_report.is_open())
    WriteReportHeader(path);

  // The working copy's name is longer than the page's; the page can only be left.
  if (const auto failure = WorkingCopyNameTooLong(name)) {
    Fail(*failure);
    return false;
  }
  if (const PassEnd end = RunPass(path, name, passes_.first); end != PassEnd::kWhole) {
    Fail(PassEndMessage(end, name));
    return false;
  }
  if (const auto failure = SwapInWorkingCopy(name)) {
    Fail(*failure);
    return false;
  }
  std::optional<std::string> second_pass_failure;
  if (IsStyleOverridingOn(context_.options)) {
    if (RunPass(name, name, passes_.second) != PassEnd::kWhole)
      second_pass_failure = EndMarkInsideMessage(name);
    else
      second_pass_failure = ReplaceWithWorkingCopy(name);
  }
  ShowCleaned();
  if (second_pass_failure) {
    Fail(*second_pass_failure);
    return false;
  }
  ++cleaned_;
  if (!quiet_) quiet_ = messages_.ShowInformationWithOffer(kOperationDone, kQuietUntilRunEnds);
  context_.gauge.SetProgress(0);
  return true;
}

void CleanRun::CheckLinksAhead(std::span<const std::string> page_paths) {
  if (!context_.options.IsLinkCheckingOn()) return;
  std::vector<std::string> pages;
  for (const std::string& path : page_paths) {
    if (!WorkingCopyNameTooLong(std::string(NamePart(path)))) pages.push_back(path);
  }
  context_.link_check.CheckAhead(ScanLinkValues(context_.options, pages), context_.link_progress);
}

void CleanRun::Finish() {
  context_.link_check.ForgetCheckedAhead();
  if (context_.link_report.is_open()) CloseCharFile(context_.link_report);
  context_.gauge.SetProgress(0);
  if (quiet_) messages_.ShowInformation(Summary());
}

std::string CleanRun::Summary() const {
  std::string text = "Очищено страниц: " + std::to_string(cleaned_) + " из " +
                     std::to_string(files_to_clean_.size()) + ".";
  if (!failures_.empty()) text += "\nНе очищены:";
  for (const std::string& failure : failures_) text += "\n" + failure;
  return text;
}

PassEnd CleanRun::RunPass(const std::string& input_path, const std::string& name,
                          const CleanPasses::Pass& pass) {
  const std::string working_copy = WorkingCopyName(name);
  bool created = false;
  try {
    BindFileName(context_.input, input_path);
    OpenTextForReading(context_.input);
    if (StartsWithUtf16Mark(context_.input)) {
      CloseCharFile(context_.input);
      return PassEnd::kUtf16;
    }
    BindFileName(context_.working_copy, working_copy);
    CreateByteFile(context_.working_copy, 1);
    created = true;
    OpenByteFile(context_.working_copy, 1);
    pass(context_, tables_, run_);
    const bool cut_short = context_.input.StoppedBeforeMoreData();
    CloseCharFile(context_.working_copy);
    CloseCharFile(context_.input);
    if (cut_short) DeleteFile(working_copy);
    return cut_short ? PassEnd::kCutShort : PassEnd::kWhole;
  } catch (const EInOutError&) {
    CloseCharFileQuietly(context_.working_copy);
    CloseCharFileQuietly(context_.input);
    if (created) DeleteFile(working_copy);
    throw;
  }
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
    for (const std::string& name : run.FilesToClean()) run.CleanPage(name);
  } catch (const EInOutError&) {
    // The pages cleaned quietly before the failure still get their count.
    if (run.IsQuiet()) messages.ShowInformation(run.Summary());
    throw;
  }
  run.Finish();
  return true;
}

}  // namespace pelloran
