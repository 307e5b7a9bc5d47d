#include "app/start_up.h"

#include "app/application.h"
#include "app/help_viewer.h"
#include "app/message_boxes.h"
#include "app/window_design.h"
#include "tools/curl_link_check.h"

namespace pelloran {

ProgramWindows::ProgramWindows(Messages& messages, LinkCheck& link_check)
    : main_window(messages, link_check),
      settings_window(&main_window, main_window.cleaning_options()),
      advert_window(&main_window) {
  main_window.AttachSideWindows(&advert_window, &settings_window);
}

int RunProgram(int argc, char** argv) {
  Application app(argc, argv);
  // A desktop font larger than the design's grows the windows with it.
  const double desktop_points = app.DesktopFont().pointSizeF();
  if (desktop_points > kDesignFontPoints) {
    FontScale() = desktop_points / kDesignFontPoints;
    app.setFont(DesignFont(kDefaultFontPixels));
  }
  app.SetTitle(QStringLiteral("Pelloran"));
  app.SetHelpFile(QString::fromLatin1(kHelpDocument));
  HelpWindow help;
  app.SetHelpViewer(&help);
  MessageBoxes messages(app.Title());
  CurlLinkCheck link_check;
  ProgramWindows windows(messages, link_check);
  windows.main_window.show();
  return app.exec();
}

}  // namespace pelloran
