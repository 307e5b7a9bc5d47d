#pragma once

#include "app/advert_window.h"
#include "app/main_window.h"
#include "app/settings_window.h"

namespace pelloran {

// The program's three windows, created in start-up order: the main window
// (which runs FormCreate), then the settings and the advert window, hidden.
struct ProgramWindows {
  ProgramWindows(Messages& messages, LinkCheck& link_check);

  TForm1 Form1;
  TForm3 Form3;
  TForm2 Form2;
};

// Start-up: the application object with its title and help file, the three
// windows, the main window shown, the event loop. Returns the exit status.
int RunProgram(int argc, char** argv);

}  // namespace pelloran
