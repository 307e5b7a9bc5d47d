#pragma once

// The batch command's JSON report, when asked for: its writer, and the file
// it goes to (none: standard output), made before any page is touched.

#include <optional>
#include <ostream>

#include "batch/command_line.h"
#include "batch/console.h"
#include "batch/json_report.h"
#include "batch/report_file.h"

namespace pelloran {

class JsonOutput {
 public:
  // False, with the reason on `err`, when the report's file cannot be made.
  bool Open(const Command& command, std::ostream& out, std::ostream& err, const Console& console);
  // Null when no report was asked for.
  JsonReportWriter* writer() { return writer_ ? &*writer_ : nullptr; }
  // Ends the report, with `links` in its totals, and gives its file its
  // name. False, said on the console, when the file could not be written.
  bool Finish(const Command& command, Console& console, const LinkCounts& links);

 private:
  std::optional<ReportFile> file_;
  std::optional<JsonReportWriter> writer_;
};

}  // namespace pelloran
