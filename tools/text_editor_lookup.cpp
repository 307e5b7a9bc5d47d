#include "tools/text_editor_lookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace pelloran {
namespace {

constexpr const char* kCommonEditors[] = {"gnome-text-editor", "gedit", "kate", "kwrite",
                                          "mousepad",          "pluma", "xed",  "featherpad",
                                          "leafpad",           "geany"};

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  std::string part;
  while (std::getline(stream, part, separator)) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

std::string Home() { return EnvOr("HOME", "/"); }

std::vector<std::string> DataDirs() {
  std::vector<std::string> dirs{EnvOr("XDG_DATA_HOME", Home() + "/.local/share")};
  for (auto& dir : SplitList(EnvOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"), ':')) {
    dirs.push_back(dir);
  }
  return dirs;
}

// The association files in the order the desktop reads them.
std::vector<std::string> AssociationFiles() {
  std::vector<std::string> files{EnvOr("XDG_CONFIG_HOME", Home() + "/.config") + "/mimeapps.list"};
  for (auto& dir : SplitList(EnvOr("XDG_CONFIG_DIRS", "/etc/xdg"), ':')) {
    files.push_back(dir + "/mimeapps.list");
  }
  for (auto& dir : DataDirs()) {
    files.push_back(dir + "/applications/mimeapps.list");
    files.push_back(dir + "/applications/defaults.list");
  }
  return files;
}

// The value of `key` in `group` of a key file, with its escapes (\s \n \t \r \\) resolved.
std::optional<std::string> KeyFileValue(const std::string& path, std::string_view group,
                                        std::string_view key) {
  std::ifstream in(path);
  std::string line;
  bool in_group = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.front() == '[') {
      in_group = line == "[" + std::string(group) + "]";
      continue;
    }
    const size_t equals = line.find('=');
    if (!in_group || equals == std::string::npos) continue;
    std::string name = line.substr(0, equals);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name != key) continue;
    std::string value;
    for (size_t i = line.find_first_not_of(' ', equals + 1); i < line.size(); ++i) {
      if (line[i] != '\\' || i + 1 == line.size()) {
        value += line[i];
        continue;
      }
      const char next = line[++i];
      value += next == 's'   ? ' '
               : next == 'n' ? '\n'
               : next == 't' ? '\t'
               : next == 'r' ? '\r'
                             : next;
    }
    return value;
  }
  return std::nullopt;
}

std::optional<std::string> ExecOfDesktopId(const std::string& id) {
  for (const auto& dir : DataDirs()) {
    const std::string path = dir + "/applications/" + id;
    if (auto exec = KeyFileValue(path, "Desktop Entry", "Exec"); exec && !exec->empty()) {
      return exec;
    }
  }
  return std::nullopt;
}

std::optional<std::string> DefaultTextPlainExec() {
  for (const auto& file : AssociationFiles()) {
    const auto ids = KeyFileValue(file, "Default Applications", "text/plain");
    if (!ids) continue;
    for (const auto& id : SplitList(*ids, ';')) {
      if (auto exec = ExecOfDesktopId(id)) return exec;
    }
  }
  return std::nullopt;
}

std::optional<std::string> OnPath(const std::string& program) {
  for (const auto& dir : SplitList(EnvOr("PATH", "/usr/local/bin:/usr/bin:/bin"), ':')) {
    const std::string path = dir + "/" + program;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(path.c_str(), X_OK) == 0) {
      return path;
    }
  }
  return std::nullopt;
}

// Splits an Exec value into arguments: blanks separate, double quotes group,
// and inside quotes a backslash keeps the next character.
std::vector<std::string> SplitExec(std::string_view exec) {
  std::vector<std::string> args;
  std::string current;
  bool has_arg = false;
  bool quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (quoted && c == '\\' && i + 1 < exec.size()) {
      current += exec[++i];
    } else if (c == '"') {
      quoted = !quoted;
      has_arg = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (has_arg) args.push_back(current);
      current.clear();
      has_arg = false;
    } else {
      current += c;
      has_arg = true;
    }
  }
  if (has_arg) args.push_back(current);
  return args;
}

}  // namespace

std::vector<std::string> ExpandExecLine(std::string_view exec, const std::string& file) {
  std::vector<std::string> result;
  bool file_placed = false;
  for (const auto& arg : SplitExec(exec)) {
    if (arg == "%f" || arg == "%F" || arg == "%u" || arg == "%U") {
      if (!file.empty()) result.push_back(file);
      file_placed = true;
      continue;
    }
    std::string expanded;
    for (size_t i = 0; i < arg.size(); ++i) {
      if (arg[i] != '%' || i + 1 == arg.size()) {
        expanded += arg[i];
      } else if (arg[++i] == '%') {
        expanded += '%';
      }  // any other field code inside an argument is dropped
    }
    if (!expanded.empty() || arg.empty()) result.push_back(expanded);
  }
  if (!file_placed && !file.empty()) result.push_back(file);
  return result;
}

std::optional<std::vector<std::string>> TextEditorCommand(const std::string& file) {
  if (const auto exec = DefaultTextPlainExec()) {
    auto command = ExpandExecLine(*exec, file);
    if (!command.empty()) return command;
  }
  for (const char* editor : kCommonEditors) {
    if (auto path = OnPath(editor)) {
      std::vector<std::string> command{*path};
      if (!file.empty()) command.push_back(file);
      return command;
    }
  }
  return std::nullopt;
}

}  // namespace pelloran
