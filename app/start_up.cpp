#include "app/start_up.h"

#include "app/application.h"
#include "app/help_viewer.h"
#include "app/message_boxes.h"

namespace pelloran {

ProgramWindows::ProgramWindows(Messages& messages) : Form1(messages), Form3(&Form1), Form2(&Form1) {
  Form1.AttachSideWindows(&Form2, &Form3);
}

int RunProgram(int argc, char** argv) {
  Application app(argc, argv);
  app.SetTitle(QStringLiteral("Pelloran"));
  app.SetHelpFile(QStringLiteral("help/HELP1.hlp"));
  DesktopHelpViewer help;
  app.SetHelpViewer(&help);
  MessageBoxes messages(app.Title());
  ProgramWindows windows(messages);
  windows.Form1.show();
  return app.exec();
}

}  // namespace pelloran
