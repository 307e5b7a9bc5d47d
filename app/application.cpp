#include "app/application.h"

#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

#include "app/design_style.h"
#include "app/help_viewer.h"
#include "app/window_design.h"
#include "charfile/failure_text.h"

namespace pelloran {

Application::Application(int& argc, char** argv) : QApplication(argc, argv), desktop_font_(font()) {
  // An empty display name keeps Qt from appending one to every window title.
  setApplicationDisplayName(QString());
  // One style everywhere, so that the fixed layout looks and measures alike
  // on every desktop and offscreen.
  setStyle(new DesignStyle);
  setFont(DesignFont(kDefaultFontPixels));
  // Qt's own menus and buttons (Undo, Copy, Paste of a text field) speak the
  // program's language too.
  auto* qt_texts = new QTranslator(this);
  if (qt_texts->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    installTranslator(qt_texts);
}

Application* Application::Instance() { return qobject_cast<Application*>(instance()); }

void Application::ReportFailure(std::exception_ptr failure) noexcept {
  try {
    if (failure_handler_) {
      failure_handler_(failure);
      return;
    }
    std::fprintf(stderr, "%s\n", DescribeFailure(failure).text.c_str());
  } catch (...) {
    std::fprintf(stderr, "The failure handler failed itself.\n");
  }
}

void Application::ShowHelpFor(const QWidget* widget) {
  const int context = HelpContextOf(widget);
  if (context > 0 && help_viewer_ != nullptr) help_viewer_->ShowTopic(help_file_, context);
}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    if (event->type() == QEvent::KeyPress && receiver->isWidgetType() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
      ShowHelpFor(static_cast<QWidget*>(receiver));
      return true;
    }
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportFailure(std::current_exception());
    return false;
  }
}

}  // namespace pelloran
