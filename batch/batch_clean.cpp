#include "batch/batch_clean.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "batch/box_names.h"
#include "batch/command_line.h"
#include "batch/console.h"
#include "batch/json_destination.h"
#include "batch/json_output.h"
#include "batch/json_report.h"
#include "batch/page_walk.h"
#include "batch/report_file.h"
#include "batch/run_words.h"
#include "batch/stop_signals.h"
#include "charfile/current_folder.h"
#include "charfile/failure_text.h"
#include "charfile/file_moves.h"
#include "charfile/in_out_error.h"
#include "charfile/temporary_file.h"
#include "charfile/whole_file.h"
#include "cleaner/class_tables.h"
#include "cleaner/clean_run.h"
#include "cleaner/link_report.h"
#include "cleaner/page_clean.h"
#include "cleaner/page_messages.h"
#include "interfaces/path_names.h"
#include "tools/page_diff.h"
#include "tools/page_restore.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;

constexpr char kVersion[] = "pelloran-clean 0.1\n";
// A usage error is a run's word, in the run's language; --help is English.
constexpr char kUsageInRussian[] = "Использование: pelloran-clean [ПАРАМЕТР]... ПУТЬ...\n";

// Every page as an absolute path, made at once against the starting folder
// `start`; empty where that folder is gone and the page's path is relative.
std::vector<fs::path> AbsolutePaths(const std::vector<std::string>& files, const fs::path& start) {
  std::vector<fs::path> paths;
  for (const std::string& file : files) {
    const bool placed = !start.empty() || fs::path(file).is_absolute();
    paths.push_back(placed ? PagePlace(file, start) : fs::path());
  }
  return paths;
}

int64_t FileSize(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
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
  // A stop signal ends the checks at once, their transfers dropped.
  bool StopChecking() override { return StopSignal() != 0 || console_.OutputLost(); }

 private:
  Console& console_;
  int shown_ = -1;
};

// One call of the command over the pages found: one cleaner for the whole
// call, so the class tables live as long as in one program run.
class BatchRun {
 public:
  BatchRun(const Command& command, const std::vector<std::string>& pages, LinkCheck& link_check,
           Console& console, JsonReportWriter* json)
      : command_(command),
        pages_(pages),
        // The folder the command started in; empty when it is gone (deleted
        // under the command), and the pages' own paths are then shown as they are.
        start_folder_(CurrentFolder()),
        paths_(AbsolutePaths(pages, start_folder_)),
        console_(console),
        messages_(console),
        context_(options_, gauge_, link_check),
        cleaner_(context_, tables_),
        report_(context_.link_report),
        link_progress_(console),
        json_(json) {
    options_ = command.options;
    context_.link_progress = &link_progress_;
    cleaner_.CountStatistics(counting_);
    cleaner_.TakeOthersPages(command.force);
    diff_base_ = DiffBase();
    if (command.diff && !start_folder_.empty() && diff_base_ != start_folder_.lexically_normal())
      console_.Note("пути в diff даны от папки " + console_.Shown(diff_base_.string()) +
                    ": применяйте его там");
  }

  // Add a record for each page done to `records`.
  void Clean(std::vector<PageRecord>& records);
  void Restore(std::vector<PageRecord>& records);
  // Whether the link report could not be written out at the end.
  bool report_lost() const { return report_lost_; }
  // The links of the pages done, by what their checks found.
  const LinkCounts& links() const { return links_; }

 private:
  // A stop signal came, or standard output's reader is gone: no more pages.
  bool Stopping() const { return StopSignal() != 0 || console_.OutputLost(); }
  void StartLinkChecks();
  void CleanOne(size_t i, PageRecord& record);
  PageResult PreviewOne(const PageFiles& page, PageRecord& record);
  PageResult ApplyOne(const PageFiles& page, PageRecord& record);
  void Finish(PageRecord& record, const std::string& original, const std::string& cleaned);
  void RestoreOne(size_t i, PageRecord& record);
  template <typename One>
  void EachPage(std::vector<PageRecord>& records, One one);
  void PageDone(PageRecord& record);
  std::string Relative(size_t i) const {
    const fs::path relative = paths_[i].lexically_relative(diff_base_);
    return relative.empty() ? paths_[i].string() : relative.string();
  }
  // Where `patch -p1` applies the diff: the starting folder, or the folder
  // above it that holds every page, since patch refuses names with "..".
  fs::path DiffBase() const {
    fs::path base = start_folder_.lexically_normal();
    const auto climbs = [&base](const fs::path& page) {
      const fs::path relative = page.lexically_relative(base);
      return !relative.empty() && *relative.begin() == "..";
    };
    for (const fs::path& path : paths_) {
      while (base.has_relative_path() && climbs(path)) base = base.parent_path();
    }
    return base;
  }

  const Command& command_;
  const std::vector<std::string>& pages_;
  fs::path start_folder_;
  std::vector<fs::path> paths_;
  Console& console_;
  PageMessages messages_;
  fs::path diff_base_;
  CleaningOptions options_;
  UnseenGauge gauge_;
  CleanContext context_;
  ClassTables tables_;
  PageCleaner cleaner_;
  LinkReport report_;
  ConsoleLinkProgress link_progress_;
  JsonReportWriter* json_;
  LinkCounts links_;
  std::string diff_label_;
  // The summary says how much Office markup went and how the links fared,
  // with or without a report; the exit status needs the links too.
  const bool counting_ = command_.json || command_.options.IsOfficeMarkupDropped() ||
                         command_.options.IsLinkCheckingOn();
  bool report_lost_ = false;
};

void BatchRun::Clean(std::vector<PageRecord>& records) {
  if (pages_.empty()) return;
  if (!command_.dry_run) StartLinkChecks();
  EachPage(records, [this](size_t i, PageRecord& record) {
    diff_label_ = Relative(i);
    CleanOne(i, record);
  });
  if (command_.dry_run) return;
  try {
    context_.link_check.ForgetCheckedAhead();
    report_.Commit();
  } catch (const EInOutError&) {  // the pages are done; only the link report is lost
    console_.Failure(CurrentFailureText());
    report_lost_ = true;
  }
}

// Runs `one` over the pages in turn until a stop, each with its record, added
// to `records` (made in place, all at once: the records are the call's one
// sizable list).
template <typename One>
void BatchRun::EachPage(std::vector<PageRecord>& records, One one) {
  const size_t first = records.size();
  records.resize(first + pages_.size());
  for (size_t i = 0; i < pages_.size(); ++i) {
    if (Stopping()) {
      records.resize(first + i);
      break;
    }
    console_.Progress(i, pages_.size(), pages_[i]);
    PageRecord& record = records[first + i];
    record.path = pages_[i];
    one(i, record);
    PageDone(record);
  }
  console_.EndProgress();
  messages_.SetPage("", "");
}

// A page's record is out in the report and its links counted: what the
// passes did is not held any longer.
void BatchRun::PageDone(PageRecord& record) {
  if (json_ != nullptr) json_->Add(record);
  if (record.statistics) links_.Add(*record.statistics);
  record.statistics.reset();
}

// The connection state in the batch's own words: the window's hint points to
// its settings window, the batch's to its option.
void SayConnectionState(LinkCheck& link_check, Console& console) {
  if (link_check.IsConnected())
    console.Line("Вы подключены к интернету.");
  else
    console.Note(
        "Нет подключения к интернету: адреса в сети будут отмечены недоступными. Без "
        "--check-links ссылки не проверяются.");
}

// With link checking on: the report in the folder the command was started
// in, the connection state when a web link is to be checked, and every link
// checked ahead.
void BatchRun::StartLinkChecks() {
  if (!options_.IsLinkCheckingOn()) return;
  report_.Start(start_folder_.string());
  cleaner_.ReportLinksTo(&report_);
  cleaner_.CheckLinksAhead(std::vector<std::string>(paths_.begin(), paths_.end()),
                           [&] { SayConnectionState(context_.link_check, console_); });
}

void BatchRun::CleanOne(size_t i, PageRecord& record) {
  const PageFiles page = PageFiles::At(paths_[i].string());
  messages_.SetPage(pages_[i], page.name);
  if (page.name.empty()) {
    record.reason = "Это не имя файла.";
    messages_.ShowError(record.reason);
    return;
  }
  if (command_.dry_run) record.bytes_before = FileSize(page.Path());
  const PageResult result = command_.dry_run ? PreviewOne(page, record) : ApplyOne(page, record);
  if (result.failure) {
    record.outcome = PageOutcome::kFailed;
    record.reason = result.message;
    messages_.ShowError(record.reason);
    return;
  }
  if (record.outcome == PageOutcome::kFailed) return;
  record.office_markup_bytes_dropped = result.statistics.office_markup_bytes_dropped;
  if (counting_) record.statistics = result.statistics;
}

// What Apply would do, in a temporary file: the page's folder stays as it is.
PageResult BatchRun::PreviewOne(const PageFiles& page, PageRecord& record) {
  // Only the temporary folder is written: a preview of read-only pages works.
  const TemporaryFile output;
  if (output.failure()) {
    const EInOutError failure = EInOutError::FromErrno(output.failure().value());
    return {PageEnd::kLeftByFailure, DescribeFailure(std::make_exception_ptr(failure)).text,
            failure};
  }
  PageResult result = cleaner_.Preview(page, output.path());
  if (result.end == PageEnd::kLeftByRule) {
    record.outcome = PageOutcome::kSkipped;
    record.reason = result.message;
    messages_.ShowNote("не будет очищен: " + result.message);
  } else if (!result.failure) {
    Finish(record, page.Path(), output.path());
    if (record.outcome == PageOutcome::kUnchanged)
      console_.Line(messages_.Named(StaysUnchangedForecast(record.bytes_before)));
    else
      console_.Line(messages_.Named("будет очищен, было: " + BytesInRussian(record.bytes_before) +
                                    ", станет: " + BytesInRussian(record.bytes_after)));
  }
  return result;
}

PageResult BatchRun::ApplyOne(const PageFiles& page, PageRecord& record) {
  PageResult result = cleaner_.Clean(page);
  // The engine's own lengths save a look at the files.
  record.bytes_before = result.bytes_before >= 0 ? result.bytes_before : FileSize(page.Path());
  if (result.failure) return result;
  switch (result.end) {
    case PageEnd::kCleaned:
      messages_.ShowInformation(kOperationDone);
      record.bytes_after = result.bytes_after;
      Finish(record, page.Backup(), page.Path());
      return result;
    case PageEnd::kUnchanged:
      messages_.ShowInformation(UnchangedByCleanMessage(page.name));
      record.outcome = PageOutcome::kUnchanged;
      record.bytes_after = record.bytes_before;
      return result;
    case PageEnd::kLeftByRule:
    case PageEnd::kLeftByFailure:
    case PageEnd::kStopped:
      break;
  }
  // A page left by a rule is no failure: -q says nothing of it.
  if (result.end == PageEnd::kLeftByRule)
    messages_.ShowNote(result.message);
  else
    messages_.ShowError(result.message);
  record.reason = result.message;
  record.outcome =
      result.end == PageEnd::kLeftByRule ? PageOutcome::kSkipped : PageOutcome::kFailed;
  record.bytes_after = FileSize(page.Path());
  return result;
}

// The page cleaned: its original and its cleaned text are the two files.
// Only the diff reads them whole.
void BatchRun::Finish(PageRecord& record, const std::string& original, const std::string& cleaned) {
  // bytes_before was read from the same file (the backup is the page's own
  // bytes under a second name) before the page was cleaned.
  if (record.bytes_after < 0) record.bytes_after = FileSize(cleaned);
  const bool same = record.bytes_before == record.bytes_after && SameBytes(original, cleaned);
  record.outcome = same ? PageOutcome::kUnchanged : PageOutcome::kCleaned;
  if (!command_.diff || same) return;
  try {
    bool header = true;
    WriteUnifiedDiffOfFiles(original, cleaned, DiffLabel("a/", diff_label_),
                            DiffLabel("b/", diff_label_), [&](std::string_view piece) {
                              console_.Diff(piece, header);
                              header = false;
                            });
  } catch (const EInOutError&) {
    // The page is cleaned all the same; only its diff cannot be shown.
    messages_.ShowError("diff не показан: " + CurrentFailureText());
  }
}

void BatchRun::Restore(std::vector<PageRecord>& records) {
  EachPage(records, [this](size_t i, PageRecord& record) { RestoreOne(i, record); });
}

void BatchRun::RestoreOne(size_t i, PageRecord& record) {
  const std::string page = paths_[i].string();
  messages_.SetPage(pages_[i], paths_[i].filename().string());
  record.bytes_before = FileSize(page);
  const RestoreResult result = RestorePage(page, command_.dry_run, command_.force);
  switch (result.outcome) {
    case RestoreOutcome::kRestored:
      record.outcome = PageOutcome::kRestored;
      record.bytes_after = command_.dry_run ? FileSize(BackupName(page)) : FileSize(page);
      console_.Line(messages_.Named(command_.dry_run ? "будет восстановлен из копии"
                                                     : "восстановлен из копии"));
      return;
    case RestoreOutcome::kNoBackup:
    case RestoreOutcome::kChanged:
    case RestoreOutcome::kFailed:
      // A page kept from being overwritten needs the user's word (--force).
      record.outcome = result.outcome == RestoreOutcome::kNoBackup ? PageOutcome::kSkipped
                                                                   : PageOutcome::kFailed;
      record.reason = result.message;
      record.bytes_after = record.bytes_before;
      if (result.outcome == RestoreOutcome::kNoBackup)
        messages_.ShowNote(result.message);
      else
        messages_.ShowError(result.message);
      return;
  }
}

// The exit status: 128 + the signal that stopped the run; otherwise what
// became of the pages, where a page left by a rule (its backup there
// already, no page at all) is no failure.
int StatusOf(const std::vector<PageRecord>& records, bool other_failure) {
  if (const int signal = StopSignal()) return 128 + signal;
  for (const PageRecord& record : records) {
    if (record.outcome == PageOutcome::kFailed) return kBatchSomeFailed;
  }
  return other_failure ? kBatchSomeFailed : kBatchAllCleaned;
}

// A usage error: why, then how the command is called.
int UsageError(std::ostream& err, const std::string& why) {
  err << "pelloran-clean: " << why << "\n"
      << kUsageInRussian << "Подробнее: pelloran-clean --help\n";
  return kBatchUsageError;
}

// A folder of the walk that could not be read counts as a failed entry, so
// that the summary and the report say what the exit status says.
std::vector<PageRecord> WalkRecords(const PageWalk& walk, Console& console,
                                    JsonReportWriter* json) {
  std::vector<PageRecord> records;
  for (const WalkNote& note : walk.notes) {
    const std::string line = console.Shown(note.path) + ": " + note.text;
    if (!note.failure) {
      console.Note(line);
      continue;
    }
    console.Failure(line);
    PageRecord& record = records.emplace_back();
    record.path = note.path;
    record.reason = note.text;  // outcome: failed
    if (json != nullptr) json->Add(record);
  }
  return records;
}

// What the pages came to, added to `records`, and their links in `done`;
// false when the run could not go on (the link report could not be made).
struct PagesDone {
  LinkCounts links;
  bool report_lost = false;
};
bool CleanOrRestore(const Command& command, const std::vector<std::string>& pages,
                    LinkCheck& link_check, Console& console, JsonReportWriter* json,
                    std::vector<PageRecord>& records, PagesDone& done) {
  BatchRun run(command, pages, link_check, console, json);
  try {
    if (command.restore)
      run.Restore(records);
    else
      run.Clean(records);
  } catch (const EInOutError&) {
    console.Failure(CurrentFailureText());
    done = {run.links(), true};
    return false;
  }
  done = {run.links(), run.report_lost()};
  return true;
}

// The run over the pages found, after the command line was read.
int RunPages(const Command& command, LinkCheck& link_check, std::ostream& out, std::ostream& err,
             Console& console) {
  const PageWalk walk = FindPages(command.paths, command.filter);
  if (command.json && *command.json != "-") {
    if (const auto why = WhyJsonDestinationRefused(*command.json, walk.pages, command.filter))
      return UsageError(err, "--json не пишет в «" + console.Shown(*command.json) + "»: " + *why +
                                 "; отчёт JSON заменяет только прежний отчёт JSON");
  }
  JsonOutput json;
  if (!json.Open(command, out, err, console)) return kBatchSomeFailed;
  std::vector<PageRecord> records = WalkRecords(walk, console, json.writer());
  PagesDone done;
  if (!CleanOrRestore(command, walk.pages, link_check, console, json.writer(), records, done)) {
    json.Finish(command, console, done.links);  // whole, with what it holds
    return kBatchSomeFailed;
  }
  console.Line(Summary(records, command, done.links));
  if (StopSignal() != 0) console.Failure("pelloran-clean: прогон остановлен сигналом");
  const bool report_lost = !json.Finish(command, console, done.links) || done.report_lost;
  // Broken links outrank failed pages, so that a pipeline can tell them
  // apart; a report not written outranks them both.
  if (StopSignal() == 0 && !report_lost && command.fail_on_broken_links && done.links.broken > 0)
    return kBatchBrokenLinks;
  return StatusOf(records, report_lost);
}

int RunCommand(std::span<const std::string> args, LinkCheck& link_check, std::ostream& out,
               std::ostream& err, Terminals terminals) {
  Command command;
  std::string why;
  if (!ParseCommandLine({args.begin(), args.end()}, command, why)) return UsageError(err, why);
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
  command.filter.by_backup = command.restore;
  Console console(out, err, terminals, command);
  return RunPages(command, link_check, out, err, console);
}

}  // namespace

int RunBatchClean(std::span<const std::string> args, LinkCheck& link_check, std::ostream& out,
                  std::ostream& err, Terminals terminals) {
  const int status = RunCommand(args, link_check, out, err, terminals);
  out.flush();
  if (!out.fail()) return status;
  // Page lines, a diff or a report that never reached their reader (a full
  // disk) leave the call unfinished, whatever became of the pages.
  err << "pelloran-clean: не удалось записать в стандартный вывод\n";
  err.flush();
  return status == kBatchUsageError ? status : kBatchSomeFailed;
}

}  // namespace pelloran
