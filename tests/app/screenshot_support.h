#pragma once

// The program for a picture drawn offscreen: its windows started in the
// current folder, as start-up would, with the main window shown.

#include <QCoreApplication>

#include "app/application.h"
#include "app/start_up.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {

class ShownProgram {
 public:
  explicit ShownProgram(char* argv[]) : app_(argc_, argv), windows(messages, link_check) {
    windows.main_window.show();
    QCoreApplication::processEvents();
  }

 private:
  int argc_ = 1;
  Application app_;

 public:
  TestMessages messages;
  TestLinkCheck link_check;
  ProgramWindows windows;
};

}  // namespace pelloran::testing
