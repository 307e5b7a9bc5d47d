#pragma once

#include "interfaces/shell_routines.h"

namespace pelloran {

// The Linux desktop behind the shell routines: "open" goes to the desktop's
// associated application, kTextEditorProgram to its plain-text editor (not started when none is
// found). Programs are started detached, never through a shell; a working folder that is empty or
// does not exist gives way to the home folder. The show mode is left to the window manager.
class DesktopShell : public ShellRoutines {
 public:
  void ShellOpenDocument(const std::string& verb, const std::string& path) override;
  bool LaunchProgram(const std::string& program, const std::string& parameters,
                     const std::string& folder, ShowMode show) override;
};

}  // namespace pelloran
