#include "cleaner/page_clean.h"

#include <unistd.h>

#include "charfile/byte_file.h"
#include "charfile/char_file.h"
#include "charfile/failure_text.h"
#include "charfile/file_moves.h"
#include "charfile/text_file.h"
#include "charfile/working_copy.h"
#include "cleaner/cleaned_mark.h"
#include "cleaner/cleaned_record.h"
#include "cleaner/link_report.h"
#include "cleaner/link_scan.h"
#include "cleaner/page_eligibility.h"
#include "cleaner/page_lock.h"
#include "cleaner/page_messages.h"
#include "cleaner/page_swap.h"
#include "cleaner/report_connection_state.h"
#include "cleaner/wide_encoding.h"
#include "interfaces/no_link_check.h"

namespace pelloran {
namespace {

// The options as they stand, with link checking off: a preview asks no web
// and writes no report.
class WithoutLinkChecks final : public Options {
 public:
  explicit WithoutLinkChecks(const Options& options) : options_(options) {}
  bool IsTicked(int box) const override { return options_.IsTicked(box); }
  bool IsLinkCheckingOn() const override { return false; }
  bool IsOfficeMarkupDropped() const override { return options_.IsOfficeMarkupDropped(); }

 private:
  const Options& options_;
};

// A context like the run's for a page cleaned elsewhere than in its folder.
struct PreviewContext {
  explicit PreviewContext(const CleanContext& run)
      : options(run.options), context(options, gauge, no_link_check) {}
  WithoutLinkChecks options;
  UnseenGauge gauge;
  NoLinkCheck no_link_check;
  CleanContext context;
};

// Points context.statistics at `counts` while a page is cleaned, when asked.
class StatisticsFor {
 public:
  StatisticsFor(CleanContext& context, bool counting, CleanStatistics& counts)
      : context_(context), previous_(context.statistics) {
    if (counting) context.statistics = &counts;
  }
  ~StatisticsFor() { context_.statistics = previous_; }
  StatisticsFor(const StatisticsFor&) = delete;
  StatisticsFor& operator=(const StatisticsFor&) = delete;

 private:
  CleanContext& context_;
  CleanStatistics* previous_;
};

bool IsOverriding(const Options& options) { return IsStyleOverridingOn(options); }

// Runs a page's steps into `result`; a file failure inside them is the page's
// end, never the caller's exception.
template <typename Steps>
void RunSteps(PageResult& result, Steps steps) {
  try {
    auto outcome = steps();
    result.end = outcome.end;
    result.message = std::move(outcome.message);
  } catch (const EInOutError& failure) {
    result.end = PageEnd::kLeftByFailure;
    result.message = CurrentFailureText();
    result.failure = failure;
  }
}

}  // namespace

bool StartsWithUtf16Mark(TextFile& input) {
  input.Peek(0);  // fills the buffer from the file's start
  const std::span<const unsigned char> start = input.Buffered();
  return WideEncodingOf({reinterpret_cast<const char*>(start.data()), start.size()}) != nullptr;
}

std::string PassEndMessage(PassEnd end, const std::string& page) {
  return end == PassEnd::kUtf16 ? Utf16PageMessage(page) : EndMarkInsideMessage(page);
}

PageCleaner::Outcome PageCleaner::Left(const PageLeft& left) {
  return {left.by_rule ? PageEnd::kLeftByRule : PageEnd::kLeftByFailure, left.message};
}

PageCleaner::PageCleaner(CleanContext& context, ClassTables& tables, CleanPasses passes)
    : context_(context), tables_(tables), passes_(std::move(passes)) {}

PageCleaner::~PageCleaner() { context_.link_check.ForgetCheckedAhead(); }

PageResult PageCleaner::Clean(const PageFiles& page) {
  PageResult result;
  const StatisticsFor counting(context_, counting_, result.statistics);
  RunSteps(result, [&] {
    // A report that cannot take the header fails the page, like its lines do.
    if (report_ != nullptr) report_->BeginPage(page.Path());
    return CleanInPlace(page);
  });
  return result;
}

PageResult PageCleaner::Preview(const PageFiles& page, const std::string& output) {
  return PreviewWith(page, output, /*as_in_its_folder=*/true);
}

PageResult PageCleaner::CleanInto(const PageFiles& page, const std::string& output) {
  return PreviewWith(page, output, /*as_in_its_folder=*/false);
}

PageResult PageCleaner::PreviewWith(const PageFiles& page, const std::string& output,
                                    bool as_in_its_folder) {
  PreviewContext preview(context_);
  preview.context.statistics = context_.statistics;
  PageResult result;
  const StatisticsFor counting(preview.context, counting_, result.statistics);
  RunSteps(result, [&] {
    return as_in_its_folder ? PreviewInto(page, output, preview.context)
                            : PassesInto(page, output, preview.context);
  });
  return result;
}

void PageCleaner::CheckLinksAhead(std::span<const std::string> page_paths, Messages& messages) {
  if (!context_.options.IsLinkCheckingOn()) return;
  std::vector<std::string> pages;
  for (const std::string& path : page_paths) {
    const PageFiles page = PageFiles::At(path);
    if (!WorkingCopyNameTooLong(page, LearnFolder(page).longest_name)) pages.push_back(path);
  }
  const std::vector<std::string> values = ScanLinkValues(context_.options, pages);
  ReportConnectionStateForLinks(values, context_.link_check, messages);
  context_.link_check.CheckAhead(values, context_.link_progress);
}

bool PageCleaner::StopRequested() {
  if (!stopped_ && context_.stop != nullptr) stopped_ = context_.stop->IsStopRequested();
  return stopped_;
}

// The folder's facts are asked when its first page comes and kept while its
// pages follow.
const PageCleaner::FolderFacts& PageCleaner::LearnFolder(const PageFiles& page) {
  if (!folder_ || folder_->folder != page.folder)
    folder_ = FolderFacts{page.folder, LongestNameIn(page.FolderPath())};
  return *folder_;
}

// Why a page is left before any pass reads it: its working copy's name
// would be longer than its folder takes, or it is no page to clean.
std::optional<std::string> PageCleaner::WhyLeftBeforeReading(const PageFiles& page) {
  if (auto too_long = WorkingCopyNameTooLong(page, LearnFolder(page).longest_name)) return too_long;
  return WhyNotAPage(page.Path());
}

PageCleaner::Outcome PageCleaner::CleanInPlace(const PageFiles& page) {
  const PageLock lock(page.Path());
  if (std::optional<std::string> left = WhyLeftBeforeReading(page))
    return {PageEnd::kLeftByRule, std::move(*left)};
  if (lock.busy()) return {PageEnd::kLeftByRule, PageBusyMessage(page.name)};
  ClearUnfinishedSwap(page);
  const Outcome outcome = IsOverriding(context_.options) ? CleanTwice(page) : CleanOnce(page);
  if (outcome.end == PageEnd::kCleaned || outcome.end == PageEnd::kFirstPassOnly) {
    MarkCleaned(page.Path());
    RecordCleaned(page.Path());  // where the mark cannot be kept, or is lost in a copy
  }
  return outcome;
}

PageCleaner::Outcome PageCleaner::CleanOnce(const PageFiles& page) {
  if (const PassEnd end = RunPass(page.Path(), /*first=*/true, page.WorkingCopy(), context_);
      end != PassEnd::kWhole)
    return {PageEnd::kLeftByRule, PassEndMessage(end, page.name)};
  if (DropUnchangedWorkingCopy(page)) return {PageEnd::kUnchanged, {}};
  if (StopRequested()) {
    DeleteFile(page.WorkingCopy());
    return {PageEnd::kStopped, {}};
  }
  if (const auto failure = SwapInWorkingCopy(page)) return Left(*failure);
  return {};
}

PageCleaner::Outcome PageCleaner::CleanTwice(const PageFiles& page) {
  if (LearnFolder(page).unnamed_files) {
    if (std::optional<Outcome> outcome = CleanTwiceThroughUnnamedCopy(page)) return *outcome;
  }
  // Where a file cannot be without a name, the first pass's result is the
  // page until the second pass's takes its place.
  const Outcome first = CleanOnce(page);
  if (first.end != PageEnd::kCleaned) return first;
  return SecondPassOverPage(page);
}

// The first pass writes a file without a name, the second reads it back and
// writes the working copy: the page gets one link for its backup and one
// rename, and a kill at any moment leaves no copy of the first pass behind.
// nullopt, with nothing done, when the folder cannot hold such a file.
std::optional<PageCleaner::Outcome> PageCleaner::CleanTwiceThroughUnnamedCopy(
    const PageFiles& page) {
  BindFileName(context_.input, page.Path());
  OpenTextForReading(context_.input);
  try {
    if (StartsWithUtf16Mark(context_.input)) {
      CloseCharFile(context_.input);
      return Outcome{PageEnd::kLeftByRule, PassEndMessage(PassEnd::kUtf16, page.name)};
    }
    BindFileName(context_.working_copy, page.WorkingCopy());
    if (!CreateUnnamedWorkingCopy(context_.working_copy, page.FolderPath(),
                                  context_.input.permissions())) {
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
      return Outcome{PageEnd::kLeftByRule, EndMarkInsideMessage(page.name)};
    }
    // The second pass reads the first pass's result as the page.
    BindFileName(context_.input, page.Path());
    OpenTextOverByteFile(context_.input, context_.working_copy);
  } catch (const EInOutError&) {
    CloseCharFileQuietly(context_.working_copy);
    CloseCharFileQuietly(context_.input);
    throw;
  }
  return SecondPassOverUnnamedCopy(page);
}

// The unnamed first pass's result is open as the input.
PageCleaner::Outcome PageCleaner::SecondPassOverUnnamedCopy(const PageFiles& page) {
  if (StopRequested()) {
    CloseCharFileQuietly(context_.input);  // the unnamed file goes with it
    return {PageEnd::kStopped, {}};
  }
  // The backup name first, so that a page whose backup exists is left before
  // the second pass, as when the first pass's result is swapped in at once.
  const std::error_code link = AddName(page.Path(), page.Backup());
  if (HardLinksRefused(link)) return SwapThenSecondPass(page, link);
  if (link) {
    CloseCharFileQuietly(context_.input);
    return Left(BackupFailure(page, link));
  }
  // From here on, should the second pass's result not take the page's name,
  // the first pass's does.
  bool whole = false;
  try {
    whole = PassInto(page.WorkingCopy(), passes_.second, context_) == PassEnd::kWhole;
  } catch (const EInOutError&) {
    const bool kept = FirstPassResultTakesPageName(page, context_.input);
    CloseCharFileQuietly(context_.input);
    if (!kept) throw;
    return {PageEnd::kFirstPassOnly, FirstPassOnlyMessage(page, CurrentFailureText())};
  }
  const Outcome outcome = PutSecondPassInPlace(page, whole);
  CloseCharFileQuietly(context_.input);  // the unnamed file goes with it
  return outcome;
}

// The second pass over the unnamed copy has ended, whole or cut short.
PageCleaner::Outcome PageCleaner::PutSecondPassInPlace(const PageFiles& page, bool whole) {
  if (!whole) {
    const bool kept = FirstPassResultTakesPageName(page, context_.input);
    return {kept ? PageEnd::kFirstPassOnly : PageEnd::kLeftByRule, EndMarkInsideMessage(page.name)};
  }
  if (DropUnchangedWorkingCopy(page)) {
    DeleteFile(page.Backup());  // only a second name of the page as it is
    return {PageEnd::kUnchanged, {}};
  }
  if (const std::error_code replace = ReplaceByRename(page.WorkingCopy(), page.Path())) {
    DeleteFile(page.WorkingCopy());
    return FirstPassResultTakesPageName(page, context_.input)
               ? Outcome{PageEnd::kFirstPassOnly, SecondPassNotInPlaceMessage(page, replace)}
               : Outcome{PageEnd::kLeftByFailure, NotRenamedMessage(page.name, replace)};
  }
  return {};
}

// No hard link for this page (a file system without them, or another owner's
// page under protected hard links): the first pass's result is named and
// swapped in by two renames, and the second pass follows over the page.
PageCleaner::Outcome PageCleaner::SwapThenSecondPass(const PageFiles& page,
                                                     std::error_code link_refused) {
  const std::error_code named = GiveName(context_.input, page.WorkingCopy());
  CloseCharFileQuietly(context_.input);
  if (named) return Left(BackupFailure(page, link_refused));
  if (const auto failure = SwapByRenames(page)) return Left(*failure);
  return SecondPassOverPage(page);
}

PageCleaner::Outcome PageCleaner::SecondPassOverPage(const PageFiles& page) {
  PassEnd end = PassEnd::kWhole;
  try {
    end = RunPass(page.Path(), /*first=*/false, page.WorkingCopy(), context_);
  } catch (const EInOutError&) {  // the page holds the first pass's result whole
    return {PageEnd::kFirstPassOnly, FirstPassOnlyMessage(page, CurrentFailureText())};
  }
  if (end != PassEnd::kWhole) return {PageEnd::kFirstPassOnly, EndMarkInsideMessage(page.name)};
  if (const auto failure = ReplaceWithWorkingCopy(page)) return {PageEnd::kFirstPassOnly, *failure};
  return {};
}

// The dry run of CleanInPlace: the same rules, in the same order, save those
// that only a run writing the folder meets (another run's lock, a killed
// run's leftovers). A page whose backup exists is left only after its first
// pass, which carries the tables on to the next pages, as in a run.
PageCleaner::Outcome PageCleaner::PreviewInto(const PageFiles& page, const std::string& output,
                                              CleanContext& context) {
  if (auto too_long = WorkingCopyNameTooLong(page, LearnFolder(page).longest_name))
    return {PageEnd::kLeftByRule, std::move(*too_long)};
  const bool backup_there = ::access(page.Backup().c_str(), F_OK) == 0;
  if (!backup_there) return PassesInto(page, output, context);
  if (auto not_a_page = WhyNotAPage(page.Path())) return {PageEnd::kLeftByRule, *not_a_page};
  const PassEnd end = RunPass(page.Path(), /*first=*/true, output, context);
  DeleteFile(output);
  if (end != PassEnd::kWhole) return {PageEnd::kLeftByRule, PassEndMessage(end, page.name)};
  return {PageEnd::kLeftByRule, BackupExistsMessage(page.name)};
}

// Both passes into `output`, the second through output + ".pass2".
PageCleaner::Outcome PageCleaner::PassesInto(const PageFiles& page, const std::string& output,
                                             CleanContext& context) {
  if (auto not_a_page = WhyNotAPage(page.Path())) return {PageEnd::kLeftByRule, *not_a_page};
  if (const PassEnd end = RunPass(page.Path(), /*first=*/true, output, context);
      end != PassEnd::kWhole)
    return {PageEnd::kLeftByRule, PassEndMessage(end, page.name)};
  if (IsOverriding(context.options)) {
    const std::string second = output + ".pass2";
    try {
      if (RunPass(output, /*first=*/false, second, context) != PassEnd::kWhole) {
        DeleteFile(output);
        return {PageEnd::kLeftByRule, EndMarkInsideMessage(page.name)};
      }
    } catch (const EInOutError&) {
      DeleteFile(output);
      throw;
    }
    if (const std::error_code failure = ReplaceByRename(second, output)) {
      DeleteFile(second);
      DeleteFile(output);
      throw EInOutError::FromErrno(failure.value());
    }
  }
  return {SameBytes(output, page.Path()) ? PageEnd::kUnchanged : PageEnd::kCleaned, {}};
}

// One pass from the file at `input` into a new file `output`, made with the
// input's bits; the first pass never reads a page written in UTF-16. Unless
// the input went through whole, no output is left. On a failure both files
// are closed, the output is deleted and the EInOutError goes on.
PassEnd PageCleaner::RunPass(const std::string& input, bool first, const std::string& output,
                             CleanContext& context) {
  BindFileName(context.input, input);
  OpenTextForReading(context.input);
  PassEnd end = PassEnd::kUtf16;
  try {
    if (!first || !StartsWithUtf16Mark(context.input))
      end = PassInto(output, first ? passes_.first : passes_.second, context);
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

// One pass from the open context.input into a new file `output`, leaving the
// input open.
PassEnd PageCleaner::PassInto(const std::string& output, const CleanPasses::Pass& pass,
                              CleanContext& context) {
  bool created = false;
  try {
    BindFileName(context.working_copy, output);
    // Made with the bits of the file read, so the cleaned page keeps who may
    // read and write it.
    CreateWorkingCopy(context.working_copy, context.input.permissions());
    GiveOwnerOf(context.input, context.working_copy);
    created = true;
    pass(context, tables_, run_);
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

}  // namespace pelloran
