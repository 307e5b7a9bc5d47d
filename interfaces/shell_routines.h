#pragma once

#include <string>

namespace pelloran {

enum class ShowMode { kNormal, kMaximized };

// The program name that asks LaunchProgram for the desktop's plain-text editor.
inline constexpr char kTextEditorProgram[] = "text-editor";

// What the file operations hand to the desktop. Opening requests are fire
// and forget: no result comes back, so an implementation swallows its own
// failures. Starting a program answers whether it started, so that the user
// learns why no editor came.
class ShellRoutines {
 public:
  virtual ~ShellRoutines() = default;

  // Performs the verb on the document with no parameters, shown normally. An
  // empty verb means "open"; an empty path asks for nothing.
  virtual void ShellOpenDocument(const std::string& verb, const std::string& path) = 0;

  // Starts the program with the parameter text as one argument (never split,
  // never through a shell) and the given working folder (empty: the user's
  // home folder). False when no program could be started.
  virtual bool LaunchProgram(const std::string& program, const std::string& parameters,
                             const std::string& folder, ShowMode show) = 0;
};

}  // namespace pelloran
