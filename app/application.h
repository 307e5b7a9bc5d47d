#pragma once

#include <QApplication>
#include <QFont>
#include <exception>
#include <functional>

namespace pelloran {

class HelpViewer;

// The application object: title, help file, the failure handler that every
// failure reaches, and F1.
class Application : public QApplication {
  Q_OBJECT

 public:
  using FailureHandler = std::function<void(std::exception_ptr)>;

  Application(int& argc, char** argv);

  // The running Application, or nullptr under another QApplication.
  static Application* Instance();

  // The desktop's own font, as it was before the program set the design's.
  const QFont& DesktopFont() const { return desktop_font_; }

  void SetTitle(const QString& title) { title_ = title; }
  const QString& Title() const { return title_; }
  void SetHelpFile(const QString& path) { help_file_ = path; }
  const QString& HelpFile() const { return help_file_; }

  void SetFailureHandler(FailureHandler handler) { failure_handler_ = std::move(handler); }
  // Hands a failure to the installed handler; without one it is written to
  // standard error. Never throws.
  void ReportFailure(std::exception_ptr failure) noexcept;

  // The viewer F1 asks; not owned, may be null (F1 then does nothing).
  void SetHelpViewer(HelpViewer* viewer) { help_viewer_ = viewer; }
  // Shows the help topic of the widget, or of its nearest enclosing widget
  // that has a context number; nothing when none has.
  void ShowHelpFor(const QWidget* widget);

  // F1 on any widget goes to ShowHelpFor. A failure that escaped a handler
  // still reaches the failure handler instead of unwinding through Qt.
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  QFont desktop_font_;
  QString title_;
  QString help_file_;
  FailureHandler failure_handler_;
  HelpViewer* help_viewer_ = nullptr;
};

}  // namespace pelloran
