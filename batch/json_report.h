#pragma once

// The batch command's report in JSON: the options used, and for every page
// what became of it and what the passes did. It is written as the pages end,
// so a page's record is held only until it is out.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "interfaces/clean_statistics.h"
#include "interfaces/options.h"

namespace pelloran {

enum class PageOutcome { kCleaned, kUnchanged, kRestored, kSkipped, kFailed };
inline constexpr int kPageOutcomes = 5;

// Its name in the report and the summary: "cleaned", "unchanged", ...
const char* OutcomeName(PageOutcome outcome);

struct PageRecord {
  std::string path;  // as the command shows it
  PageOutcome outcome = PageOutcome::kFailed;
  std::string reason;         // for skipped and failed pages
  int64_t bytes_before = -1;  // -1: no such file
  int64_t bytes_after = -1;
  std::optional<CleanStatistics> statistics;  // what the passes did, when they ran
  int64_t office_markup_bytes_dropped = 0;    // with that switch on, whether or not --json
};

// The links of the pages, by what their checks found.
struct LinkCounts {
  size_t available = 0;
  size_t broken = 0;
  size_t not_checked = 0;
  void Add(const CleanStatistics& statistics);
};

struct RunKind {
  bool dry_run = false;
  bool restore = false;
};

// Writes the whole document, indented, ending with a line end, in pieces
// handed to `sink`: the options when made, a page's record with each Add, the
// totals at Finish. Texts that are not UTF-8 (names and addresses in
// single-byte code pages) have their bad bytes replaced, so the document
// always parses; a page's path that is not UTF-8 is also given exactly, in
// base64, as "path_bytes".
class JsonReportWriter {
 public:
  using Sink = std::function<void(std::string_view)>;
  JsonReportWriter(const Options& options, RunKind kind, Sink sink);

  void Add(const PageRecord& page);
  // `links`: the run's links by what their checks found, for the totals.
  void Finish(const LinkCounts& links);

 private:
  bool link_totals_;
  bool restore_;
  Sink sink_;
  size_t pages_ = 0;
  size_t counts_[kPageOutcomes] = {};
  int64_t office_bytes_ = 0;
};

}  // namespace pelloran
