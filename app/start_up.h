#pragma once

#include "app/advert_window.h"
#include "app/main_window.h"
#include "app/settings_window.h"

namespace pelloran {

// The program's three windows, created in start-up order: the main window
// (which sets its start state), then the settings and the advert window, hidden.
struct ProgramWindows {
  ProgramWindows(Messages& messages, LinkCheck& link_check);

  MainWindow main_window;
  SettingsWindow settings_window;
  AdvertWindow advert_window;
};

// Start-up: the application object with its title and help file, the three
// windows, the main window shown, the event loop. Returns the exit status.
int RunProgram(int argc, char** argv);

}  // namespace pelloran
