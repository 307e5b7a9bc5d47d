#include "cleaner/link_report.h"

#include <unistd.h>

#include "charfile/char_file.h"
#include "charfile/file_moves.h"
#include "charfile/in_out_error.h"
#include "interfaces/path_names.h"

namespace pelloran {

LinkReport::~LinkReport() {
  if (!file_.is_open()) return;
  CloseCharFileQuietly(file_);
  DeleteFile(in_progress_);
}

void LinkReport::Start(const std::string& folder) {
  const PageFiles place{folder, kLinkReportName};
  name_ = place.Path();
  in_progress_ = place.In("." + std::string(kLinkReportName) + "." + std::to_string(::getpid()));
  BindFileName(file_, in_progress_);
  CreateTextForWriting(file_);
}

void LinkReport::BeginPage(const std::string& path) {
  if (!file_.is_open()) return;
  PutLineEnd(file_);
  PutText(file_, "           " + path + " :");
  PutLineEnd(file_);
  PutLineEnd(file_);
}

void LinkReport::Commit() {
  if (!file_.is_open()) return;
  CloseCharFile(file_);
  if (const std::error_code failure = ReplaceByRename(in_progress_, name_)) {
    DeleteFile(in_progress_);
    throw EInOutError::FromErrno(failure.value());
  }
}

void WriteLinkLine(TextFile& report, std::string_view value, std::string_view quote,
                   bool available) {
  const bool in_page = value.find('#') != std::string_view::npos;
  PutText(report, in_page ? "     " : "ext  ");
  PutText(report, quote);
  PutText(report, value);
  PutText(report, quote);
  if (available) PutText(report, "     OK");
  PutLineEnd(report);
}

}  // namespace pelloran
