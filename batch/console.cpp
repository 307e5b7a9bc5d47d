#include "batch/console.h"

#include <cstdlib>

namespace pelloran {
namespace {

constexpr std::string_view kClearLine = "\r\033[K";

// The colour of a diff line by its mark; the two header lines are bold.
std::string_view ColorOf(std::string_view line, bool header) {
  if (header) return "\033[1m";
  if (line.starts_with("@@")) return "\033[36m";
  if (line.starts_with('-')) return "\033[31m";
  if (line.starts_with('+')) return "\033[32m";
  return {};
}

// The NO_COLOR convention: set and not empty, no colour unless asked for.
bool NoColorAsked() {
  const char* value = std::getenv("NO_COLOR");
  return value != nullptr && *value != '\0';
}

}  // namespace

Console::Console(std::ostream& out, std::ostream& err, Terminals terminals, const Command& command)
    : out_(out),
      err_(err),
      lines_(command.diff || command.json == "-" ? err : out),
      quiet_(command.quiet),
      progress_(terminals.err && !command.quiet),
      color_(command.color == ColorUse::kAlways ||
             (command.color == ColorUse::kAuto && terminals.out && !NoColorAsked())),
      escape_(terminals.err || (terminals.out && &lines_ == &out_)) {}

std::string Console::Shown(std::string_view name) const {
  if (!escape_) return std::string(name);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F)
      shown += c;
    else if (c == '\t')
      shown += "\\t";
    else if (c == '\n')
      shown += "\\n";
    else if (c == '\r')
      shown += "\\r";
    else
      shown.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 15]);
  }
  return shown;
}

void Console::Line(std::string_view text) {
  if (quiet_) return;
  EndProgress();
  lines_ << text << "\n";
  lines_.flush();
}

void Console::Failure(std::string_view text) {
  EndProgress();
  err_ << text << "\n";
  err_.flush();
}

void Console::Progress(size_t done, size_t all, std::string_view page) {
  if (!progress_) return;
  err_ << kClearLine << "[" << done << "/" << all << "] " << Shown(page);
  err_.flush();
  progress_shown_ = true;
}

void Console::LinkProgress(int done, int all) {
  if (!progress_) return;
  err_ << kClearLine << "проверка ссылок: " << done << " из " << all;
  err_.flush();
  progress_shown_ = true;
}

void Console::EndProgress() {
  if (!progress_shown_) return;
  err_ << kClearLine;
  err_.flush();
  progress_shown_ = false;
}

void Console::Diff(std::string_view diff, bool header) {
  EndProgress();
  if (!color_) {
    out_ << diff;
    out_.flush();
    return;
  }
  size_t line_number = header ? 0 : 2;
  while (!diff.empty()) {
    const size_t lf = diff.find('\n');
    const std::string_view line = diff.substr(0, lf == std::string_view::npos ? diff.size() : lf);
    const std::string_view color = ColorOf(line, line_number++ < 2);
    if (color.empty())
      out_ << line;
    else
      out_ << color << line << "\033[0m";
    out_ << "\n";
    diff.remove_prefix(lf == std::string_view::npos ? diff.size() : lf + 1);
  }
  out_.flush();
}

void PageMessages::SetPage(std::string shown, std::string name) {
  shown_ = console_.Shown(shown);
  name_ = std::move(name);
}

void PageMessages::ShowInformation(std::string_view text) { console_.Line(Named(text)); }

void PageMessages::ShowError(std::string_view text) { console_.Failure(Named(text)); }

std::string PageMessages::Named(std::string_view text) const {
  if (shown_.empty()) return std::string(text);
  const std::string quoted = "«" + name_ + "»";
  const size_t at = text.find(quoted);
  if (at == std::string_view::npos) return shown_ + ": " + std::string(text);
  return std::string(text.substr(0, at)) + "«" + shown_ + "»" +
         std::string(text.substr(at + quoted.size()));
}

std::string DiffLabel(std::string_view side, const std::string& path) {
  const std::string label = std::string(side) + path;
  if (label.find_first_of("\t\n\"\\") != std::string::npos) {
    std::string quoted = "\"";
    for (const char c : label) {
      if (c == '\t')
        quoted += "\\t";
      else if (c == '\n')
        quoted += "\\n";
      else if (c == '"' || c == '\\')
        quoted += std::string("\\") + c;
      else
        quoted += c;
    }
    return quoted + "\"";
  }
  if (label.find(' ') != std::string::npos) return label + "\t";
  return label;
}

}  // namespace pelloran
