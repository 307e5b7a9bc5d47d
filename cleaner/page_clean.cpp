#include "cleaner/page_clean.h"

#include <sys/stat.h>

#include <cerrno>

#include "charfile/byte_file.h"
#include "charfile/char_file.h"
#include "charfile/failure_text.h"
#include "charfile/text_file.h"
#include "charfile/working_copy.h"
#include "cleaner/cleaned_mark.h"
#include "cleaner/link_report.h"
#include "cleaner/link_scan.h"
#include "cleaner/page_eligibility.h"
#include "cleaner/page_lock.h"
#include "cleaner/page_messages.h"
#include "cleaner/page_swap.h"
#include "cleaner/report_connection_state.h"
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

// Runs a page's steps into `result`; a file failure inside them is the page's
// end, never the caller's exception.
template <typename Steps>
void RunSteps(PageResult& result, Steps steps) {
  try {
    auto outcome = steps();
    result.end = outcome.end;
    result.message = std::move(outcome.message);
    result.owner_would_change = outcome.owner_would_change;
    result.bytes_before = outcome.bytes_before;
    result.bytes_after = outcome.bytes_after;
  } catch (const EInOutError& failure) {
    result.end = PageEnd::kLeftByFailure;
    result.message = CurrentFailureText();
    result.failure = failure;
  }
}

}  // namespace

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
  RunSteps(result, [&] { return PreviewInto(page, output, preview.context, as_in_its_folder); });
  return result;
}

void PageCleaner::CheckLinksAhead(std::span<const std::string> page_paths,
                                  const std::function<void()>& before_web_checks) {
  if (!context_.options.IsLinkCheckingOn()) return;
  std::vector<std::string> pages;
  for (const std::string& path : page_paths) {
    const PageFiles page = PageFiles::At(path);
    if (!WorkingCopyNameTooLong(page, LearnFolder(page).longest_name)) pages.push_back(path);
  }
  const std::vector<std::string> values = ScanLinkValues(context_.options, pages);
  if (NamesAWebAddress(values)) before_web_checks();
  context_.link_check.CheckAhead(values, context_.link_progress);
}

bool PageCleaner::StopRequested() {
  if (!stopped_ && context_.stop != nullptr) stopped_ = context_.stop->IsStopRequested();
  return stopped_;
}

// The folder's ways are asked when its first page comes and kept while its
// pages follow.
FolderWays& PageCleaner::LearnFolder(const PageFiles& page) {
  if (!folder_ || folder_->folder != page.folder) folder_ = FolderWays::Learn(page.folder);
  return *folder_;
}

// The page's way through a run: its names, one open, the passes, one commit.
PageCleaner::Outcome PageCleaner::CleanInPlace(const PageFiles& page) {
  FolderWays& ways = LearnFolder(page);
  if (auto too_long = WorkingCopyNameTooLong(page, ways.longest_name))
    return {PageEnd::kLeftByRule, std::move(*too_long)};
  if (page.name.ends_with('~')) return {PageEnd::kLeftByRule, BackupFileMessage(page.name)};
  std::optional<LockedPage> original;
  original.emplace(page.Path(), LockedPage::Lock::kTake);
  if (original->error() == ENOENT) {
    const Leftover leftover = RestoreAfterKilledRenames(page);
    if (leftover == Leftover::kBusy) return {PageEnd::kLeftByRule, PageBusyMessage(page.name)};
    if (leftover == Leftover::kRestored) {
      original.reset();
      original.emplace(page.Path(), LockedPage::Lock::kTake);
    }
  }
  if (auto left = WhyLeft(page, *original, context_, /*asks_owner=*/true)) return *left;
  PageCommit commit(page, *original, ways);
  const ContextFilesClosed closed(context_);
  Outcome outcome = PassesAndCommit(commit, page, context_, /*in_a_run=*/true);
  outcome.bytes_before = original->status().st_size;
  return outcome;
}

// Why the opened page is left before any pass: it cannot be read, another
// run holds it, it is no page (by its first block, read into context.input),
// or (asked with `asks_owner`) the clean would take it from its owner.
std::optional<PageCleaner::Outcome> PageCleaner::WhyLeft(const PageFiles& page,
                                                         const LockedPage& original,
                                                         CleanContext& context,
                                                         bool asks_owner) const {
  if (original.error() == ELOOP)
    return Outcome{PageEnd::kLeftByRule, SymbolicLinkMessage(page.name)};
  if (original.error() != 0)
    throw EInOutError::FromErrno(original.error()).About(page.Path(), FileStep::kOpen);
  if (original.busy()) return Outcome{PageEnd::kLeftByRule, PageBusyMessage(page.name)};
  const struct stat& status = original.status();
  if (S_ISDIR(status.st_mode))
    throw EInOutError::FromErrno(EISDIR).About(page.Path(), FileStep::kOpen);
  std::string_view block;
  if (S_ISREG(status.st_mode)) {
    BindFileName(context.input, page.Path());
    ReadFromDescriptor(context.input, original.fd(), status.st_size);
    block = FirstBlock(context.input);
  }
  if (auto why = WhyNotAPage(page.name, status.st_mode, block))
    return Outcome{PageEnd::kLeftByRule, std::move(*why)};
  if (asks_owner && !take_others_pages_ && !RunByRoot() && !OwnedByRunner(status))
    return Outcome{PageEnd::kLeftByRule, OthersPageMessage(page.name), true};
  return std::nullopt;
}

// The passes from context.input (the page, open) into the commit's working
// copy, the first pass's result held in memory (or a scratch file) for the
// second; the backup's name is taken before the last pass, or, with one
// pass, once the result differs from the page. In a run the result is kept
// in the page's place; otherwise in the caller's file.
PageCleaner::Outcome PageCleaner::PassesAndCommit(PageCommit& commit, const PageFiles& page,
                                                  CleanContext& context, bool in_a_run) {
  const bool twice = IsStyleOverridingOn(context.options);
  ByteFile& output = context.working_copy;
  PageFingerprint print;
  auto into_working_copy = [&]() -> std::optional<Outcome> {
    if (auto busy = commit.MakeWorkingCopy()) return Left(*busy);
    BindFileName(output, page.WorkingCopy());
    WriteToDescriptor(output, commit.fd());
    WatchWrites(output,
                [&print](const unsigned char* bytes, size_t size) { print.Add(bytes, size); });
    return std::nullopt;
  };
  if (twice) {
    // Named now, so that a failure of the first pass's writes names it.
    BindFileName(output, page.WorkingCopy());
    OpenInMemory(output, [&commit] { return commit.MakeScratchFile(); });
  } else if (auto left = into_working_copy()) {
    return *left;
  }
  if (!RunsThrough(passes_.first, context))
    return {PageEnd::kLeftByRule, EndMarkInsideMessage(page.name)};
  if (in_a_run && StopRequested()) return {PageEnd::kStopped, {}};
  if (twice) {
    OpenTextOverByteFile(context.input, output);
    if (auto left = into_working_copy()) return *left;
  }
  if (twice || !in_a_run) {
    if (auto left = commit.TakeBackupName()) return Left(*left);
  }
  if (twice) {
    if (!RunsThrough(passes_.second, context))
      return {PageEnd::kLeftByRule, EndMarkInsideMessage(page.name)};
  }
  const off_t size = BytesWritten(output);
  CloseCharFile(output);
  if (commit.SameAsPage(size)) {
    if (!in_a_run) commit.KeepOutput();
    return {PageEnd::kUnchanged, {}};
  }
  if (!twice && in_a_run) {
    if (auto left = commit.TakeBackupName()) return Left(*left);
  }
  if (auto left = commit.Keep(print)) return Left(*left);
  Outcome cleaned;
  cleaned.bytes_after = size;
  return cleaned;
}

// False when reading stopped at a byte 26 with more of the page after it.
bool PageCleaner::RunsThrough(const CleanPasses::Pass& pass, CleanContext& context) {
  pass(context, tables_, run_);
  return !context.input.StoppedBeforeMoreData();
}

// The dry run of CleanInPlace (`as_in_its_folder`: the same rules, in the
// same order, save those that only a run writing the folder meets: another
// run's lock, a killed run's leftovers), or the passes alone for a view of
// the cleaned text. A page whose backup exists is left only after its first
// pass, which carries the tables on to the next pages, as in a run.
PageCleaner::Outcome PageCleaner::PreviewInto(const PageFiles& page, const std::string& output,
                                              CleanContext& context, bool as_in_its_folder) {
  if (as_in_its_folder) {
    if (auto too_long = WorkingCopyNameTooLong(page, LearnFolder(page).longest_name))
      return {PageEnd::kLeftByRule, std::move(*too_long)};
  }
  if (page.name.ends_with('~')) return {PageEnd::kLeftByRule, BackupFileMessage(page.name)};
  const LockedPage original(page.Path(), LockedPage::Lock::kNone);
  if (auto left = WhyLeft(page, original, context, as_in_its_folder)) return *left;
  PageCommit commit(page, original, output, /*backup_rule=*/as_in_its_folder);
  const ContextFilesClosed closed(context);
  return PassesAndCommit(commit, page, context, /*in_a_run=*/false);
}

}  // namespace pelloran
