#include "app/side_window.h"

#include <QCloseEvent>

#include "app/window_design.h"
#include "app/window_keys.h"

namespace pelloran {

SideWindow::SideWindow(QWidget* main_window, const QString& caption, QSize client_size)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      main_window_(main_window) {
  setWindowTitle(caption);
  setFont(DesignFont(kDefaultFontPixels));
  setFixedSize(client_size);
  OnEscape(this, [this] { GoBack(); });
}

void SideWindow::GoBack() {
  main_window_->show();
  hide();
}

void SideWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  GoBack();
}

}  // namespace pelloran
