#include "batch/console.h"

#include <algorithm>
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

// A tab, line end or carriage return as C writes it in a string, else null:
// the same in names shown and in diff headers.
const char* ShortEscape(char c) {
  switch (c) {
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    default:
      return nullptr;
  }
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
    else if (const char* escape = ShortEscape(c))
      shown += escape;
    else
      shown.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 15]);
  }
  return shown;
}

std::string Console::ShownLines(std::string_view text) const {
  if (!escape_) return std::string(text);
  std::string shown;
  for (;;) {
    const size_t lf = text.find('\n');
    shown += Shown(text.substr(0, lf));
    if (lf == std::string_view::npos) return shown;
    shown += '\n';
    text.remove_prefix(lf + 1);
  }
}

void Console::Line(std::string_view text) {
  if (quiet_) return;
  EndProgress();
  lines_ << ShownLines(text) << "\n";
  lines_.flush();
}

void Console::Failure(std::string_view text) {
  EndProgress();
  err_ << ShownLines(text) << "\n";
  err_.flush();
}

void Console::Note(std::string_view text) {
  if (!quiet_) Failure(text);
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

void PageMessages::ShowNote(std::string_view text) { console_.Note(Named(text)); }

std::string PageMessages::Named(std::string_view text) const {
  if (shown_.empty()) return std::string(text);
  const std::string quoted = "«" + name_ + "»";
  const size_t at = text.find(quoted);
  std::string named = at == std::string_view::npos
                          ? shown_ + ": " + std::string(text)
                          : std::string(text.substr(0, at)) + "«" + shown_ + "»" +
                                std::string(text.substr(at + quoted.size()));
  // The page's other names in the text ("~", "PL!__") escaped like its own.
  const std::string escaped = console_.Shown(name_);
  if (escaped == name_) return named;
  for (size_t from = 0; (from = named.find(name_, from)) != std::string::npos;) {
    named.replace(from, name_.size(), escaped);
    from += escaped.size();
  }
  return named;
}

std::string DiffLabel(std::string_view side, const std::string& path) {
  const std::string label = std::string(side) + path;
  const auto needs_quotes = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || c == '"' || c == '\\';
  };
  if (std::any_of(label.begin(), label.end(), needs_quotes)) {
    std::string quoted = "\"";
    for (const char c : label) {
      const auto byte = static_cast<unsigned char>(c);
      if (const char* escape = ShortEscape(c))
        quoted += escape;
      else if (c == '"' || c == '\\')
        quoted += std::string("\\") + c;
      else if (needs_quotes(c))
        quoted.append("\\")
            .append(1, static_cast<char>('0' + (byte >> 6)))
            .append(1, static_cast<char>('0' + ((byte >> 3) & 7)))
            .append(1, static_cast<char>('0' + (byte & 7)));
      else
        quoted += c;
    }
    return quoted + "\"";
  }
  if (label.find(' ') != std::string::npos) return label + "\t";
  return label;
}

}  // namespace pelloran
