#pragma once

#include <QWidget>

namespace pelloran {

// A tool window that takes the main window's place on screen and leads back
// to it. It asks for no close box, but a window manager (or Alt+F4) may close
// it anyway: that request goes back as the window's own back button does, so
// the program is never left running without a window on screen. Escape
// leads back too.
class SideWindow : public QWidget {
  Q_OBJECT

 public:
  // `main_window` is shown again by GoBack; it must outlive this window.
  SideWindow(QWidget* main_window, const QString& caption, QSize client_size);

  // Shows the main window, then hides this one.
  void GoBack();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* main_window_;
};

}  // namespace pelloran
