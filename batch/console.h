#pragma once

// Where the batch command's words go: page lines and the summary to standard
// output (or standard error when standard output carries a diff or a JSON
// report), failures to standard error, progress on a terminal only.

#include <ostream>
#include <string>
#include <string_view>

#include "batch/batch_clean.h"
#include "batch/command_line.h"
#include "interfaces/messages.h"

namespace pelloran {

class Console {
 public:
  Console(std::ostream& out, std::ostream& err, Terminals terminals, const Command& command);

  // A line about a page or the run; nothing with --quiet.
  void Line(std::string_view text);
  void Failure(std::string_view text);
  // "[done/all] page" in place of the previous progress line.
  void Progress(size_t done, size_t all, std::string_view page);
  void EndProgress();
  // "проверка ссылок: done из all" in place of the previous progress line.
  void LinkProgress(int done, int all);
  // The diff, or a piece of it of whole lines, coloured when asked to be;
  // `header`: the piece starts with the diff's two header lines.
  void Diff(std::string_view diff, bool header = true);
  // A file name as the streams it goes to can show it: on a terminal, its
  // control characters written as \t, \n, \r or \xHH, so that no name can
  // move the cursor, clear the screen or pass for another line.
  std::string Shown(std::string_view name) const;
  // Has a write to standard output failed (its reader gone, a full disk)?
  bool OutputLost() const { return out_.fail(); }

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::ostream& lines_;
  bool quiet_;
  bool progress_;
  bool color_;
  bool escape_;
  bool progress_shown_ = false;
};

// The engine's messages for the page in hand, each naming the page once: a
// message that names it by its bare name gets the path the command shows;
// any other is led by that path.
class PageMessages : public Messages {
 public:
  explicit PageMessages(Console& console) : console_(console) {}
  void SetPage(std::string shown, std::string name);
  void ShowInformation(std::string_view text) override;
  void ShowError(std::string_view text) override;

  std::string Named(std::string_view text) const;

 private:
  Console& console_;
  std::string shown_;
  std::string name_;
};

// A path as a diff header names it after "a/" or "b/": with a tab after it
// when it holds a blank, quoted C-style when it holds a tab, line end, quote
// or backslash, so that patch reads the whole name.
std::string DiffLabel(std::string_view side, const std::string& path);

}  // namespace pelloran
