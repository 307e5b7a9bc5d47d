#pragma once

// What Apply does: every selected page of the file list cleaned in list
// order (cleaner/page_clean.h) by its path in the listed folder, the list
// following the run, a message for each page, and the link report of the
// whole run.

#include <optional>
#include <string>
#include <vector>

#include "cleaner/link_report.h"
#include "cleaner/page_clean.h"
#include "interfaces/clean_context.h"
#include "interfaces/file_list.h"
#include "interfaces/messages.h"

namespace pelloran {

class ClassTables;

inline constexpr char kOperationDone[] = "Операция выполнена!";
// The check box of kOperationDone that keeps the rest of the run quiet.
inline constexpr char kQuietUntilRunEnds[] = "не показывать до конца прогона";
// The first line of the summary of a run the user stopped.
inline constexpr char kRunStopped[] = "Прогон остановлен.";

// One run over the file list, page by page.
class CleanRun {
 public:
  CleanRun(CleanContext& context, ClassTables& tables, FileList& files, Messages& messages,
           CleanPasses passes = {});
  CleanRun(const CleanRun&) = delete;
  CleanRun& operator=(const CleanRun&) = delete;

  // Shows "Вы не выбрали файл!" and answers false when the list has no entry.
  // Otherwise takes the listed folder and, with link checking on, creates the
  // link report in that folder; then fixes the selected files, in list order,
  // and answers true. Throws EInOutError when the report cannot be created.
  bool Start();
  // The names of the selected file entries when Start ran.
  const std::vector<std::string>& FilesToClean() const { return files_to_clean_; }

  // With link checking on: tells the connection state when a web link is to
  // be checked, and has the link check check every link of the pages to
  // clean ahead, many at a time.
  void CheckLinksAhead();

  // Cleans the page of this name in the folder Start took: has the list show
  // it in hand, cleans it, and shows what became of it. Throws the EInOutError
  // of a file failure inside a pass (the page is then as it was before that
  // pass), and kFileNotFound for a name gone from the list.
  PageEnd CleanPage(const std::string& name);

  // Whether the user stopped the run (context.stop); once yes, stays yes.
  bool StopRequested() { return cleaner_.StopRequested(); }

  // Commits the link report, has the link check forget what it checked
  // ahead, and sets the gauge to 0. When the user stopped the run or asked
  // for a quiet one, shows its summary. Throws EInOutError when the report
  // cannot take its name.
  void Finish();

  // True once the user ticked kQuietUntilRunEnds: no more boxes per page.
  bool IsQuiet() const { return quiet_; }
  // How many pages were cleaned, then each page that was not with the
  // reason, one to a line.
  std::string Summary() const;

 private:
  PageResult CleanAsking(const PageFiles& page);
  void ShowCleaned();
  void Fail(const std::string& message);

  CleanContext& context_;
  FileList& files_;
  Messages& messages_;
  PageCleaner cleaner_;
  LinkReport report_;
  std::string folder_;  // the listed folder when Start ran
  std::vector<std::string> files_to_clean_;
  bool quiet_ = false;
  int cleaned_ = 0;
  std::vector<std::string> failures_;  // why each page not cleaned was left
};

// Apply from start to end. Answers false when the list was empty (nothing
// else happened), true when the run went through every page or was stopped.
// A file failure ends the run at that page: the report is dropped, a quiet
// run's summary is shown, and the EInOutError goes on to the caller, whose
// failure handler reports it.
bool RunClean(CleanContext& context, ClassTables& tables, FileList& files, Messages& messages,
              CleanPasses passes = {});

}  // namespace pelloran
