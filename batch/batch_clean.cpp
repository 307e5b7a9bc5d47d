#include "batch/batch_clean.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "batch/box_names.h"
#include "batch/command_line.h"
#include "batch/console.h"
#include "batch/json_report.h"
#include "batch/page_walk.h"
#include "batch/report_file.h"
#include "batch/stop_signals.h"
#include "charfile/failure_text.h"
#include "charfile/file_moves.h"
#include "charfile/in_out_error.h"
#include "charfile/whole_file.h"
#include "cleaner/class_tables.h"
#include "cleaner/clean_preview.h"
#include "cleaner/clean_run.h"
#include "cleaner/page_swap.h"
#include "interfaces/path_names.h"
#include "tools/page_diff.h"
#include "tools/page_restore.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;

constexpr char kVersion[] = "pelloran-clean 0.1\n";

// The pages found, one at a time: the list holds the page in hand, and that
// page's folder is the current directory while it is cleaned, as the
// window's list holds its folder.
class BatchFileList : public FileList {
 public:
  // Paths are made absolute at once, before any folder becomes current, all
  // against the one starting folder.
  explicit BatchFileList(const std::vector<std::string>& files) {
    std::error_code error;
    const fs::path start = fs::current_path(error);
    for (const std::string& file : files) {
      const fs::path path(file);
      if (path.is_absolute())
        paths_.push_back(path.lexically_normal());
      else
        paths_.push_back(error ? fs::path() : (start / path).lexically_normal());
    }
  }

  // Makes the page's folder current and the page the list's only entry.
  // False, with the reason, when that cannot be done.
  bool Show(size_t file, std::string& failure) {
    const fs::path& path = paths_[file];
    folder_ = path.parent_path().string();
    name_ = path.filename().string();
    if (name_.empty()) {
      failure = "Это не имя файла.";
      return false;
    }
    // Pages of one folder usually come together: the folder is entered once.
    if (folder_ != current_folder_) {
      current_folder_.clear();
      if (::chdir(folder_.c_str()) != 0) {
        failure = "Не удалось перейти в папку " + folder_ + ".";
        return false;
      }
      current_folder_ = folder_;
    }
    return true;
  }
  const std::string& name() const { return name_; }
  const fs::path& path(size_t file) const { return paths_[file]; }
  // Every page as an absolute path.
  std::vector<std::string> Paths() const { return {paths_.begin(), paths_.end()}; }

  // Before the first Show, the list holds every file, so a run can start.
  int Count() const override { return name_.empty() ? static_cast<int>(paths_.size()) : 1; }
  std::string Entry(int) const override { return name_; }
  bool IsSelected(int) const override { return true; }
  bool IsFolder(int) const override { return false; }
  void Focus(int) override {}
  int FocusedIndex() const override { return 0; }
  std::string CurrentFile() const override { return (fs::path(folder_) / name_); }
  void ReadFolder() override {}
  void MoveFocusQuietly(int) override {}
  void Select(int) override {}

 private:
  std::vector<fs::path> paths_;
  std::string folder_;
  std::string name_;
  std::string current_folder_;  // the folder last made current, by its path
};

int64_t FileSize(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

// The folder the command started in; empty when it is gone (deleted under
// the command), and the pages' own paths are then shown as they are.
fs::path StartingFolder() {
  std::error_code gone;
  fs::path folder = fs::current_path(gone);
  return gone ? fs::path() : folder;
}

// The links checked ahead of a run, counted on the progress line.
class ConsoleLinkProgress : public LinkCheckProgress {
 public:
  explicit ConsoleLinkProgress(Console& console) : console_(console) {}
  void ShowLinkProgress(int done, int total) override {
    if (done == shown_) return;
    shown_ = done;
    console_.LinkProgress(done, total);
  }

 private:
  Console& console_;
  int shown_ = -1;
};

// One call of the command over the pages found.
class BatchRun {
 public:
  BatchRun(const Command& command, const std::vector<std::string>& pages, LinkCheck& link_check,
           Console& console)
      : command_(command),
        pages_(pages),
        list_(pages),
        console_(console),
        messages_(console),
        start_folder_(StartingFolder()),
        context_(options_, gauge_, link_check),
        run_(context_, tables_, list_, messages_),
        link_progress_(console) {
    options_ = command.options;
    context_.link_progress = &link_progress_;
    diff_base_ = DiffBase();
    if (command.diff && !start_folder_.empty() && diff_base_ != start_folder_.lexically_normal())
      console_.Line("diff paths are from " + console_.Shown(diff_base_.string()) +
                    ": apply it there");
  }

  std::vector<PageRecord> Clean();
  std::vector<PageRecord> Restore();
  // Whether the link report could not be written out at the end.
  bool report_lost() const { return report_lost_; }

 private:
  // A stop signal came, or standard output's reader is gone: no more pages.
  bool Stopping() const { return StopSignal() != 0 || console_.OutputLost(); }
  void CleanOne(size_t i, PageRecord& record);
  void PreviewOne(PageRecord& record);
  void ApplyOne(PageRecord& record);
  void Finish(PageRecord& record, const std::string& original, const std::string& cleaned);
  std::string Relative(size_t i) const {
    const fs::path relative = list_.path(i).lexically_relative(diff_base_);
    return relative.empty() ? list_.path(i).string() : relative.string();
  }
  // Where `patch -p1` applies the diff: the starting folder, or the folder
  // above it that holds every page, since patch refuses names with "..".
  fs::path DiffBase() const {
    fs::path base = start_folder_.lexically_normal();
    const auto climbs = [&base](const fs::path& page) {
      const fs::path relative = page.lexically_relative(base);
      return !relative.empty() && *relative.begin() == "..";
    };
    for (size_t i = 0; i < pages_.size(); ++i) {
      while (base.has_relative_path() && climbs(list_.path(i))) base = base.parent_path();
    }
    return base;
  }

  const Command& command_;
  const std::vector<std::string>& pages_;
  BatchFileList list_;
  Console& console_;
  PageMessages messages_;
  fs::path start_folder_;
  fs::path diff_base_;
  CleaningOptions options_;
  UnseenGauge gauge_;
  CleanContext context_;
  ClassTables tables_;
  CleanRun run_;
  ConsoleLinkProgress link_progress_;
  RunState dry_run_state_;  // what a real run would carry from page to page
  CleanStatistics statistics_;
  std::string diff_label_;
  bool report_lost_ = false;
};

std::vector<PageRecord> BatchRun::Clean() {
  std::vector<PageRecord> records(pages_.size());
  if (pages_.empty()) return records;
  // The report, if any, goes to the folder the command was started in.
  if (!command_.dry_run) {
    run_.Start();
    run_.CheckLinksAhead(list_.Paths());
  }
  for (size_t i = 0; i < pages_.size(); ++i) {
    if (Stopping()) {
      records.resize(i);
      break;
    }
    console_.Progress(i, pages_.size(), pages_[i]);
    records[i].path = pages_[i];
    diff_label_ = Relative(i);
    CleanOne(i, records[i]);
  }
  console_.EndProgress();
  ::chdir(start_folder_.c_str());
  messages_.SetPage("", "");
  if (command_.dry_run) return records;
  try {
    run_.Finish();
  } catch (const EInOutError&) {  // the pages are done; only the link report is lost
    console_.Failure(CurrentFailureText());
    report_lost_ = true;
  }
  return records;
}

void BatchRun::CleanOne(size_t i, PageRecord& record) {
  messages_.SetPage(pages_[i], "");
  std::string failure;
  if (!list_.Show(i, failure)) {
    record.reason = failure;
    messages_.ShowError(failure);
    return;
  }
  messages_.SetPage(pages_[i], list_.name());
  record.bytes_before = FileSize(list_.name());
  statistics_ = {};
  // The summary says how much Office markup went and how the links fared,
  // with or without a report; the exit status needs the links too.
  const bool counting =
      command_.json || options_.IsOfficeMarkupDropped() || options_.IsLinkCheckingOn();
  context_.statistics = counting ? &statistics_ : nullptr;
  try {
    if (command_.dry_run)
      PreviewOne(record);
    else
      ApplyOne(record);
  } catch (const EInOutError&) {
    record.outcome = PageOutcome::kFailed;
    record.reason = CurrentFailureText();
    messages_.ShowError(record.reason);
  }
  if (record.outcome == PageOutcome::kFailed) return;
  record.office_markup_bytes_dropped = statistics_.office_markup_bytes_dropped;
  if (counting) record.statistics = statistics_;
}

// What Apply would do, in a temporary file: the page's folder stays as it is.
void BatchRun::PreviewOne(PageRecord& record) {
  const std::string& name = list_.name();
  const auto skip = [&](const std::string& reason) {
    record.outcome = PageOutcome::kSkipped;
    record.reason = reason;
    messages_.ShowError("would not clean: " + reason);
  };
  if (const std::optional<std::string> too_long = WorkingCopyNameTooLong(name))
    return skip(*too_long);
  // Only the temporary folder is written: a preview of read-only pages works.
  const TemporaryFile output;
  if (output.failure()) throw EInOutError::FromErrno(output.failure().value());
  // A page with a backup is left only after its first pass, which the tables
  // and the run's state carry on to the next pages: it runs here too.
  const bool backup_there = ::access(BackupName(name).c_str(), F_OK) == 0;
  CleanPasses passes;
  if (backup_there) passes.second = [](CleanContext&, ClassTables&, RunState&) {};
  const PreviewOutcome outcome = CleanPageInto(options_, tables_, dry_run_state_, name,
                                               output.path(), context_.statistics, passes);
  if (!outcome.cleaned) return skip(outcome.message);
  if (backup_there) return skip(BackupExistsMessage(name));
  Finish(record, name, output.path());
  console_.Line(messages_.Named("would clean, " + std::to_string(record.bytes_before) +
                                " bytes to " + std::to_string(record.bytes_after)));
}

void BatchRun::ApplyOne(PageRecord& record) {
  const std::string& name = list_.name();
  const PageEnd end = run_.CleanPage(name);
  if (end == PageEnd::kCleaned) {
    Finish(record, BackupName(name), name);
    return;
  }
  if (end == PageEnd::kUnchanged) {
    record.outcome = PageOutcome::kUnchanged;
    record.bytes_after = record.bytes_before;
    return;
  }
  record.reason = messages_.last_error();
  record.outcome = end == PageEnd::kLeftByRule      ? PageOutcome::kSkipped
                   : end == PageEnd::kFirstPassOnly ? PageOutcome::kFirstPassOnly
                                                    : PageOutcome::kFailed;
  record.bytes_after = FileSize(name);
}

// The page cleaned: its original and its cleaned text are the two files.
// Only the diff reads them whole.
void BatchRun::Finish(PageRecord& record, const std::string& original, const std::string& cleaned) {
  // bytes_before was read from the same file (the backup is the page's own
  // bytes under a second name) before the page was cleaned.
  record.bytes_after = FileSize(cleaned);
  const bool same = record.bytes_before == record.bytes_after && SameBytes(original, cleaned);
  record.outcome = same ? PageOutcome::kUnchanged : PageOutcome::kCleaned;
  if (!command_.diff || same) return;
  try {
    bool header = true;
    WriteUnifiedDiff(ReadWholeFile(original), ReadWholeFile(cleaned), DiffLabel("a/", diff_label_),
                     DiffLabel("b/", diff_label_), [&](std::string_view piece) {
                       console_.Diff(piece, header);
                       header = false;
                     });
  } catch (const EInOutError&) {
    // The page is cleaned all the same; only its diff cannot be shown.
    messages_.ShowError("no diff: " + CurrentFailureText());
  }
}

std::vector<PageRecord> BatchRun::Restore() {
  std::vector<PageRecord> records(pages_.size());
  for (size_t i = 0; i < pages_.size(); ++i) {
    if (Stopping()) {
      records.resize(i);
      break;
    }
    console_.Progress(i, pages_.size(), pages_[i]);
    PageRecord& record = records[i];
    record.path = pages_[i];
    const std::string page = list_.path(i).string();
    messages_.SetPage(pages_[i], list_.path(i).filename().string());
    record.bytes_before = FileSize(page);
    const RestoreResult result = RestorePage(page, command_.dry_run, command_.force);
    switch (result.outcome) {
      case RestoreOutcome::kRestored:
        record.outcome = PageOutcome::kRestored;
        record.bytes_after = command_.dry_run ? FileSize(BackupName(page)) : FileSize(page);
        console_.Line(messages_.Named(command_.dry_run ? "would restore" : "restored"));
        break;
      case RestoreOutcome::kNoBackup:
      case RestoreOutcome::kChanged:
      case RestoreOutcome::kFailed:
        // A page kept from being overwritten needs the user's word (--force).
        record.outcome = result.outcome == RestoreOutcome::kNoBackup ? PageOutcome::kSkipped
                                                                     : PageOutcome::kFailed;
        record.reason = result.message;
        record.bytes_after = record.bytes_before;
        messages_.ShowError(result.message);
        break;
    }
  }
  console_.EndProgress();
  messages_.SetPage("", "");
  return records;
}

std::string Summary(const std::vector<PageRecord>& records, const Command& command) {
  size_t counts[kPageOutcomes] = {};
  for (const PageRecord& record : records) ++counts[static_cast<int>(record.outcome)];
  std::string summary = command.dry_run ? "would be:" : "";
  const auto add = [&](PageOutcome outcome) {
    if (!summary.empty()) summary += summary.ends_with(':') ? " " : ", ";
    std::string name = OutcomeName(outcome);
    std::replace(name.begin(), name.end(), '_', ' ');
    summary += std::to_string(counts[static_cast<int>(outcome)]) + " " + name;
  };
  if (command.restore) {
    add(PageOutcome::kRestored);
  } else {
    add(PageOutcome::kCleaned);
    add(PageOutcome::kUnchanged);
  }
  if (counts[static_cast<int>(PageOutcome::kFirstPassOnly)] > 0) add(PageOutcome::kFirstPassOnly);
  add(PageOutcome::kSkipped);
  add(PageOutcome::kFailed);
  if (command.options.IsOfficeMarkupDropped() && !command.restore) {
    int64_t office_bytes = 0;
    for (const PageRecord& record : records) office_bytes += record.office_markup_bytes_dropped;
    summary += ", " + std::to_string(office_bytes) + " bytes of Office markup dropped";
  }
  const auto none = [&counts](PageOutcome outcome) {
    return counts[static_cast<int>(outcome)] == 0;
  };
  if (!command.restore && none(PageOutcome::kCleaned) && none(PageOutcome::kFirstPassOnly) &&
      none(PageOutcome::kFailed))
    summary += "; nothing to clean";
  if (!command.options.IsLinkCheckingOn() || command.dry_run || command.restore) return summary;
  const LinkCounts links = CountLinks(records);
  return summary + "\nlinks: " + std::to_string(links.available) + " available, " +
         std::to_string(links.broken) + " broken, " + std::to_string(links.not_checked) +
         " not checked";
}

// The report to standard output, or through its file opened before the run.
bool WriteJson(const Command& command, ReportFile* file, const std::vector<PageRecord>& records,
               std::ostream& out, Console& console) {
  const std::string report =
      JsonReport(command.options, {command.dry_run, command.restore}, records);
  if (file == nullptr) {
    out << report;  // a failed write is the call's to report, as for every line
    return true;
  }
  if (const std::error_code failure = file->Commit(report)) {
    console.Failure("pelloran-clean: cannot write " + *command.json + ": " +
                    ReasonInRussian(failure));
    return false;
  }
  return true;
}

// The exit status: 128 + the signal that stopped the run; otherwise what
// became of the pages, where a page left by a rule (its backup there
// already, no page at all) is no failure.
int StatusOf(const std::vector<PageRecord>& records, bool other_failure) {
  if (const int signal = StopSignal()) return 128 + signal;
  for (const PageRecord& record : records) {
    if (record.outcome == PageOutcome::kFailed || record.outcome == PageOutcome::kFirstPassOnly)
      return kBatchSomeFailed;
  }
  return other_failure ? kBatchSomeFailed : kBatchAllCleaned;
}

int RunCommand(std::span<const std::string> args, LinkCheck& link_check, std::ostream& out,
               std::ostream& err, Terminals terminals) {
  Command command;
  std::string why;
  if (!ParseCommandLine({args.begin(), args.end()}, command, why)) {
    err << "pelloran-clean: " << why << "\n" << kUsage << "Try 'pelloran-clean --help' for more.\n";
    return kBatchUsageError;
  }
  if (command.help) {
    out << HelpText();
    return kBatchAllCleaned;
  }
  if (command.version) {
    out << kVersion;
    return kBatchAllCleaned;
  }
  if (command.list_boxes) {
    out << ListOfBoxes();
    return kBatchAllCleaned;
  }
  // The report's file is opened before any page's folder becomes current,
  // and before any page is touched.
  std::optional<ReportFile> json_file;
  if (command.json && *command.json != "-") {
    std::error_code gone;  // the starting folder deleted under the command
    const std::string json_path = fs::absolute(*command.json, gone).string();
    if (!gone) json_file.emplace(json_path);
    if (gone || json_file->failure()) {
      err << "pelloran-clean: cannot write " << *command.json;
      if (!gone) err << ": " << ReasonInRussian(json_file->failure());
      err << "\n";
      return kBatchSomeFailed;
    }
  }

  Console console(out, err, terminals, command);
  command.filter.by_backup = command.restore;
  const PageWalk walk = FindPages(command.paths, command.filter);
  bool walk_failed = false;
  for (const WalkNote& note : walk.notes) {
    console.Failure(note.path + ": " + note.text);
    walk_failed = walk_failed || note.failure;
  }

  std::vector<PageRecord> records;
  bool report_lost = false;
  {
    BatchRun run(command, walk.pages, link_check, console);
    try {
      records = command.restore ? run.Restore() : run.Clean();
    } catch (const EInOutError&) {  // the link report could not be made
      console.Failure(CurrentFailureText());
      return kBatchSomeFailed;
    }
    report_lost = run.report_lost();
  }
  console.Line(Summary(records, command));
  if (StopSignal() != 0) console.Failure("pelloran-clean: stopped by a signal");
  const bool json_lost =
      command.json && !WriteJson(command, json_file ? &*json_file : nullptr, records, out, console);
  // Broken links outrank failed pages, so that a pipeline can tell them apart.
  if (StopSignal() == 0 && !json_lost && command.fail_on_broken_links &&
      CountLinks(records).broken > 0)
    return kBatchBrokenLinks;
  return StatusOf(records, walk_failed || report_lost || json_lost);
}

}  // namespace

int RunBatchClean(std::span<const std::string> args, LinkCheck& link_check, std::ostream& out,
                  std::ostream& err, Terminals terminals) {
  const int status = RunCommand(args, link_check, out, err, terminals);
  out.flush();
  if (!out.fail()) return status;
  // Page lines, a diff or a report that never reached their reader (a full
  // disk) leave the call unfinished, whatever became of the pages.
  err << "pelloran-clean: cannot write standard output\n";
  err.flush();
  return status == kBatchUsageError ? status : kBatchSomeFailed;
}

}  // namespace pelloran
