#pragma once

// Finding the desktop's plain-text editor.
// Reads the XDG variables of the process environment; no Qt.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelloran {

// The command line that opens `file` in the plain-text editor: the desktop's
// default application for text/plain when its entry can be found, else the
// first common graphical text editor on PATH. An empty `file` starts the
// editor without one. Nothing when no editor is found.
std::optional<std::vector<std::string>> TextEditorCommand(const std::string& file);

// The Exec value of a desktop entry as arguments for one file: quoting
// resolved, %f %F %u %U replaced by the file as one whole argument, other
// field codes dropped, and the file put last when no code asks for it.
std::vector<std::string> ExpandExecLine(std::string_view exec, const std::string& file);

}  // namespace pelloran
