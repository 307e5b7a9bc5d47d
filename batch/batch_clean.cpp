#include "batch/batch_clean.h"

#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "charfile/failure_text.h"
#include "cleaner/class_tables.h"
#include "cleaner/clean_run.h"
#include "cleaner/cleaning_options.h"

namespace pelloran {
namespace {

constexpr std::string_view kUsage =
    "Usage: pelloran-clean [--tick N,N...] [--clear N,N...] [--check-links]\n"
    "                      [--check-local-links] FILE...\n";

constexpr std::string_view kHelp =
    "Cleans web pages of surplus style and markup, as Apply in the Pelloran window does.\n"
    "Each FILE is cleaned in place: its working copy \"PL!__\" + name is written beside it,\n"
    "the file is kept as name + \"~\" and the cleaned text takes its name. A file whose\n"
    "\"~\" copy already exists is left as it is.\n"
    "\n"
    "  --tick N,N...    tick the option boxes with these numbers (CheckBox1 ... CheckBox61)\n"
    "  --clear N,N...   clear them; ticks and clears apply in the order given, with the\n"
    "                   boxes' own rules (ticking 17 clears 5 and the other way round,\n"
    "                   ticking 28 ticks every property box)\n"
    "  --check-links    check every link address on the web and write the report\n"
    "                   \"Ссылки.txt\" in the current directory\n"
    "  --check-local-links  with --check-links, check a relative link (no scheme, not\n"
    "                   \"#...\" or \"//...\") as a file or folder beside its page\n"
    "  --help           show this text\n"
    "  --               end of options: every later argument is a file\n"
    "\n"
    "The boxes start as the main window shows them at start.\n"
    "Exit status: 0 when every file was cleaned, 1 when any was not, 2 for a usage error.\n";

struct Command {
  CleaningOptions options;
  std::vector<std::string> files;
  bool help = false;
};

// "1,6,17" into its numbers, each a box of the main window; nullopt otherwise.
std::optional<std::vector<int>> ParseBoxes(std::string_view list) {
  std::vector<int> boxes;
  while (true) {
    const size_t comma = list.find(',');
    const std::string_view item = list.substr(0, comma);
    int box = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), box);
    if (item.empty() || error != std::errc() || end != item.data() + item.size() ||
        CleaningOptions::DesignOf(box) == nullptr)
      return std::nullopt;
    boxes.push_back(box);
    if (comma == std::string_view::npos) return boxes;
    list.remove_prefix(comma + 1);
  }
}

// The option's value, from "--tick=1,2" or the next argument; nullopt when missing.
std::optional<std::string_view> ValueOf(std::string_view arg, std::string_view name,
                                        std::span<const std::string> args, size_t& i) {
  if (arg.size() > name.size() && arg[name.size()] == '=') return arg.substr(name.size() + 1);
  if (i + 1 >= args.size()) return std::nullopt;
  return std::string_view(args[++i]);
}

// Fills `command`; on a usage error writes why to `err` and answers false.
bool Parse(std::span<const std::string> args, Command& command, std::ostream& err) {
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (options_ended || arg.empty() || arg[0] != '-' || arg == "-") {
      command.files.emplace_back(arg);
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "--help" || arg == "-h") {
      command.help = true;
    } else if (arg == "--check-links") {
      command.options.SetLinkChecking(true);
    } else if (arg == "--check-local-links") {
      command.options.SetLocalLinkChecking(true);
    } else if (arg.starts_with("--tick") || arg.starts_with("--clear")) {
      const bool tick = arg.starts_with("--tick");
      const std::string_view name = tick ? "--tick" : "--clear";
      if (arg.size() > name.size() && arg[name.size()] != '=') {
        err << "pelloran-clean: unknown option " << arg << "\n";
        return false;
      }
      const auto value = ValueOf(arg, name, args, i);
      const auto boxes = value ? ParseBoxes(*value) : std::nullopt;
      if (!boxes) {
        err << "pelloran-clean: " << name << " needs box numbers of the main window, such as 1,6,17"
            << (value ? ", not " + std::string(*value) : std::string()) << "\n";
        return false;
      }
      for (int box : *boxes) command.options.SetTicked(box, tick);
    } else {
      err << "pelloran-clean: unknown option " << arg << "\n";
      return false;
    }
  }
  if (!command.help && command.files.empty()) {
    err << "pelloran-clean: no file given\n";
    return false;
  }
  return true;
}

// The files given, one page at a time: the list holds the file in hand, and
// that file's folder is the current directory while it is cleaned, as the
// window's list holds its folder.
class BatchFileList : public FileList {
 public:
  // Paths are made absolute at once, before any folder becomes current.
  explicit BatchFileList(const std::vector<std::string>& files) {
    for (const std::string& file : files) {
      std::error_code error;
      paths_.push_back(std::filesystem::absolute(file, error).lexically_normal());
    }
  }

  // Makes the file's folder current and the file the list's only entry.
  // False, with the reason, when that cannot be done.
  bool Show(size_t file, std::string& failure) {
    const std::filesystem::path& path = paths_[file];
    folder_ = path.parent_path().string();
    name_ = path.filename().string();
    if (name_.empty()) {
      failure = "Это не имя файла.";
      return false;
    }
    if (::chdir(folder_.c_str()) != 0) {
      failure = "Не удалось перейти в папку " + folder_ + ".";
      return false;
    }
    return true;
  }
  const std::string& name() const { return name_; }
  // Every file as an absolute path.
  std::vector<std::string> Paths() const { return {paths_.begin(), paths_.end()}; }

  // Before the first Show, the list holds every file, so a run can start.
  int Count() const override { return name_.empty() ? static_cast<int>(paths_.size()) : 1; }
  std::string Entry(int) const override { return name_; }
  bool IsSelected(int) const override { return true; }
  bool IsFolder(int) const override { return false; }
  void Focus(int) override {}
  int FocusedIndex() const override { return 0; }
  std::string CurrentFile() const override { return (std::filesystem::path(folder_) / name_); }
  void ReadFolder() override {}
  void MoveFocusQuietly(int) override {}
  void Select(int) override {}

 private:
  std::vector<std::filesystem::path> paths_;
  std::string folder_;
  std::string name_;
};

// Messages as lines on the terminal, each naming the file in hand.
class TerminalMessages : public Messages {
 public:
  TerminalMessages(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void SetFile(std::string file) { file_ = std::move(file); }
  void ShowInformation(std::string_view text) override { Write(out_, text); }
  void ShowError(std::string_view text) override { Write(err_, text); }

 private:
  void Write(std::ostream& stream, std::string_view text) {
    if (!file_.empty()) stream << file_ << ": ";
    stream << text << "\n";
    stream.flush();
  }
  std::ostream& out_;
  std::ostream& err_;
  std::string file_;
};

// The checks made ahead, counted on one line of the terminal.
class TerminalLinkProgress : public LinkCheckProgress {
 public:
  explicit TerminalLinkProgress(std::ostream& err) : err_(err) {}
  void ShowLinkProgress(int done, int total) override {
    if (done == shown_) return;
    shown_ = done;
    err_ << "\rпроверка ссылок: " << done << " из " << total;
    if (done == total) err_ << "\n";
    err_.flush();
  }

 private:
  std::ostream& err_;
  int shown_ = -1;
};

}  // namespace

int RunBatchClean(std::span<const std::string> args, LinkCheck& link_check, std::ostream& out,
                  std::ostream& err, bool show_progress) {
  Command command;
  if (!Parse(args, command, err)) {
    err << kUsage << "Try 'pelloran-clean --help' for more.\n";
    return kBatchUsageError;
  }
  if (command.help) {
    out << kUsage << "\n" << kHelp;
    return kBatchAllCleaned;
  }

  UnseenGauge gauge;
  CleanContext context(command.options, gauge, link_check);
  ClassTables tables;
  BatchFileList list(command.files);
  TerminalMessages messages(out, err);
  TerminalLinkProgress link_progress(err);
  if (show_progress) context.link_progress = &link_progress;
  CleanRun run(context, tables, list, messages);
  int failed = 0;
  try {
    run.Start();  // the report, if any, goes to the folder the command was started in
    run.CheckLinksAhead(list.Paths());
    for (size_t i = 0; i < command.files.size(); ++i) {
      messages.SetFile(command.files[i]);
      std::string failure;
      if (!list.Show(i, failure)) {
        messages.ShowError(failure);
        ++failed;
        continue;
      }
      try {
        if (!run.CleanPage(list.name())) ++failed;
      } catch (const EInOutError&) {
        messages.ShowError(DescribeFailure(std::current_exception()).text);
        ++failed;
      }
    }
    messages.SetFile("");
    run.Finish();
  } catch (const EInOutError&) {
    messages.ShowError(DescribeFailure(std::current_exception()).text);
    return kBatchSomeFailed;
  }
  return failed == 0 ? kBatchAllCleaned : kBatchSomeFailed;
}

}  // namespace pelloran
