#pragma once

// "Ссылки.txt", the report of a run with link checking on: a header for each
// page, then a line for each link its first pass checked. Only this file
// writes it. It is written under a name of the run's own and takes its name
// only when whole, so a run that stops or fails neither empties the last
// report nor leaves half a one. That name is made as a new file, unguessable,
// so no link planted beside the report can lead its bytes elsewhere, and only
// a regular file under the report's own name is replaced. The report is in
// UTF-8 with a byte-order mark; names and link values that are not UTF-8 are
// read as windows-1251.

#include <string>
#include <string_view>

#include "charfile/text_file.h"

namespace pelloran {

inline constexpr char kLinkReportName[] = "Ссылки.txt";

class LinkReport {
 public:
  // The report of a run, into `file` (the clean context's report variable).
  explicit LinkReport(TextFile& file) : file_(file) {}
  // A report not committed is deleted; the last whole one stays.
  ~LinkReport();
  LinkReport(const LinkReport&) = delete;
  LinkReport& operator=(const LinkReport&) = delete;

  // Creates the report in `folder` (empty: the current directory) under its
  // run's own name. Throws EInOutError when it cannot be made, or when a
  // symbolic link, a folder or another file that is not a regular one has
  // the report's name.
  void Start(const std::string& folder);
  bool started() const { return !in_progress_.empty(); }
  // The header of the page at `path`, before its first pass.
  void BeginPage(const std::string& path);
  // Closes the report and gives it its name, unless something other than a
  // regular file took that name meanwhile. Throws EInOutError when it
  // cannot; it is then gone.
  void Commit();

 private:
  TextFile& file_;
  std::string name_;
  std::string in_progress_;
};

// The line of one checked href: in the page ("#" in it) or external, the
// value with the quotes it had in the page, "OK" when available.
void WriteLinkLine(TextFile& report, std::string_view value, std::string_view quote,
                   bool available);

}  // namespace pelloran
