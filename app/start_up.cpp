#include "app/start_up.h"

#include "app/application.h"
#include "app/help_viewer.h"
#include "app/message_boxes.h"
#include "tools/curl_link_check.h"

namespace pelloran {

ProgramWindows::ProgramWindows(Messages& messages, LinkCheck& link_check)
    : Form1(messages, link_check), Form3(&Form1), Form2(&Form1) {
  Form1.AttachSideWindows(&Form2, &Form3);
}

int RunProgram(int argc, char** argv) {
  Application app(argc, argv);
  app.SetTitle(QStringLiteral("Pelloran"));
  app.SetHelpFile(QStringLiteral("help/HELP1.hlp"));
  HelpWindow help;
  app.SetHelpViewer(&help);
  MessageBoxes messages(app.Title());
  CurlLinkCheck link_check;
  ProgramWindows windows(messages, link_check);
  windows.Form1.show();
  return app.exec();
}

}  // namespace pelloran
