#pragma once

// Cleaning one page into a file of the caller's choosing, leaving the page
// and its folder as they are: what the batch command's dry run and the
// window's before-and-after view both need.

#include <string>
#include <system_error>

#include "cleaner/clean_run.h"
#include "cleaner/run_state.h"
#include "interfaces/options.h"

namespace pelloran {

class ClassTables;

// A name for a file in a new folder of the system's temporary folder, for a
// page cleaned without touching its own folder; the folder and all in it are
// removed again with this object.
class TemporaryFile {
 public:
  TemporaryFile();
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  // Why the file could not be made; then there is no file.
  std::error_code failure() const { return failure_; }
  const std::string& path() const { return path_; }

 private:
  std::string folder_;
  std::string path_;
  std::error_code failure_;
};

struct PreviewOutcome {
  bool cleaned = false;  // the whole cleaned text is in the output file
  std::string message;   // otherwise why not, as Apply would say it
};

// Cleans the page at `page_path` as Apply would with `options` as they stand,
// through the same passes into files with the page's bits: the first pass
// writes `output_path`, and with style overriding on the second pass reads it
// and writes `output_path` + ".pass2", which then takes its place. Links are
// never checked and no report is written. The passes update `tables` and
// `run` as in a run: hand in copies to leave a run's own as they are. When
// reading stops at a byte 26 with more after it, the output is removed and
// the answer says so. With `statistics`, the passes count into it. Throws
// EInOutError on a file failure, with the output removed; the page is never
// written.
PreviewOutcome CleanPageInto(const Options& options, ClassTables& tables, RunState& run,
                             const std::string& page_path, const std::string& output_path,
                             CleanStatistics* statistics = nullptr, const CleanPasses& passes = {});

struct PagePreview {
  bool cleaned = false;
  std::string text;     // the cleaned text, when cleaned
  std::string message;  // otherwise why not (a file failure in the failure handler's words)
};

// What Apply would make of the page now, computed in a temporary file of the
// system's temporary folder, which is gone again on return. A copy of
// `tables` is used, so no table of a run changes. Never throws for a file
// failure: the answer carries its message.
PagePreview PreviewCleanPage(const Options& options, const ClassTables& tables,
                             const std::string& page_path);

}  // namespace pelloran
