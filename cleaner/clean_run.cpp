#include "cleaner/clean_run.h"

#include "charfile/in_out_error.h"
#include "cleaner/page_messages.h"
#include "cleaner/report_connection_state.h"

namespace pelloran {

CleanRun::CleanRun(CleanContext& context, ClassTables& tables, FileList& files, Messages& messages,
                   CleanPasses passes)
    : context_(context),
      files_(files),
      messages_(messages),
      cleaner_(context, tables, std::move(passes)),
      report_(context.link_report) {}

bool CleanRun::Start() {
  if (files_.Count() == 0) {
    messages_.ShowInformation(kNoFileChosen);
    return false;
  }
  folder_ = files_.ListedFolder();
  if (context_.options.IsLinkCheckingOn()) {
    report_.Start(folder_);
    cleaner_.ReportLinksTo(&report_);
  }
  files_to_clean_.clear();
  for (int i = 0; i < files_.Count(); ++i) {
    // A folder entry is no page; its bracketed text could even name a file.
    if (files_.IsSelected(i) && !files_.IsFolder(i)) files_to_clean_.push_back(files_.Entry(i));
  }
  return true;
}

void CleanRun::CheckLinksAhead() {
  std::vector<std::string> paths;
  for (const std::string& name : files_to_clean_) paths.push_back(PageFiles{folder_, name}.Path());
  cleaner_.CheckLinksAhead(paths, [&] { ReportConnectionState(context_.link_check, messages_); });
}

PageEnd CleanRun::CleanPage(const std::string& name) {
  // The list is read again after each page cleaned: one gone from the folder
  // since Start is gone from it too.
  if (!files_.ShowPageInHand(name)) throw EInOutError(kFileNotFound);
  const PageResult result = CleanAsking(PageFiles{folder_, name});
  if (result.failure) throw *result.failure;
  switch (result.end) {
    case PageEnd::kStopped:
      context_.gauge.SetProgress(0);
      break;
    case PageEnd::kLeftByRule:
    case PageEnd::kLeftByFailure:
      Fail(result.message);
      break;
    case PageEnd::kCleaned:
    case PageEnd::kUnchanged:
      ShowCleaned();
      ++cleaned_;
      if (!quiet_)
        quiet_ = messages_.ShowInformationWithOffer(result.end == PageEnd::kCleaned
                                                        ? std::string(kOperationDone)
                                                        : UnchangedByCleanMessage(name),
                                                    kQuietUntilRunEnds);
      context_.gauge.SetProgress(0);
      break;
  }
  return result.end;
}

// A page whose clean would take it from its owner is cleaned only when the
// user says so, one page at a time.
PageResult CleanRun::CleanAsking(const PageFiles& page) {
  PageResult result = cleaner_.Clean(page);
  if (!result.owner_would_change || !messages_.Confirm(OthersPageQuestion(page.name)))
    return result;
  cleaner_.TakeOthersPages(true);
  result = cleaner_.Clean(page);
  cleaner_.TakeOthersPages(false);
  return result;
}

void CleanRun::Finish() {
  context_.link_check.ForgetCheckedAhead();
  report_.Commit();
  context_.gauge.SetProgress(0);
  if (cleaner_.stopped())
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

// The folder now lists the backup too.
void CleanRun::ShowCleaned() {
  context_.gauge.SetProgress(100);
  files_.ShowPageCleaned();
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
    run.CheckLinksAhead();
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
