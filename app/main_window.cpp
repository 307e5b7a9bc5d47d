#include "app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFocusEvent>
#include <QSignalBlocker>

#include "app/advert_window.h"
#include "app/application.h"
#include "app/desktop_shell.h"
#include "app/settings_window.h"
#include "app/window_design.h"
#include "charfile/failure_text.h"
#include "cleaner/clean_run.h"
#include "tools/freedesktop_trash.h"

namespace pelloran {

MainWindow::MainWindow(Messages& messages, LinkCheck& link_check, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      messages_(messages),
      start_folder_(QDir::currentPath()) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QStringLiteral("Pelloran"));
  setFont(DesignFont(kDefaultFontPixels));
  setFixedSize(825, 556);
  move(147, 78);
  BuildToolRow();
  BuildBrowser();
  BuildPropertyFrame();
  BuildEliminationFrame();
  BuildButtonRow();
  BuildStatusBarAndMenu();
  clean_context_ = std::make_unique<CleanContext>(options_, *gauge_, link_check);
  clean_context_->link_progress = &link_phase_status_;
  clean_context_->stop = &run_stop_;
  SetTabOrder();
  ConnectHandlers();
  ConnectFileOperations();
  ConnectBoxes();
  desktop_shell_ = std::make_unique<DesktopShell>();
  shell_ = desktop_shell_.get();
  trash_ = std::make_unique<DesktopTrash>();
  FitWindowToFont(this);
  SetStartState();
}

MainWindow::~MainWindow() {
  if (Application* app = Application::Instance()) app->SetFailureHandler(nullptr);
}

void MainWindow::SetStartState() {
  SetApplyButtonsEnabled(false);
  if (Application* app = Application::Instance()) {
    app->SetFailureHandler([this](std::exception_ptr failure) { ReportFailure(failure); });
  }
}

void MainWindow::ConnectHandlers() {
  On(advert_button_, &QToolButton::clicked, &MainWindow::ShowAdvertWindow);
  On(apply_tool_button_, &QToolButton::clicked, &MainWindow::CleanSelectedPages);
  On(close_tool_button_, &QToolButton::clicked, &MainWindow::CloseProgram);
  On(all_properties_button_, &QToolButton::clicked, &MainWindow::TickAllElements);
  On(skip_imports_button_, &QToolButton::clicked, &MainWindow::SkipImportedStyles);
  On(apply_button_, &QPushButton::clicked, &MainWindow::CleanSelectedPages);
  On(ok_button_, &QPushButton::clicked, &MainWindow::CleanSelectedPages);
  On(close_button_, &QPushButton::clicked, &MainWindow::CloseProgram);
  On(settings_button_, &QPushButton::clicked, &MainWindow::ShowSettingsWindow);
  On(stop_button_, &QPushButton::clicked, &MainWindow::RequestStop);
  connect(file_list_, &FileListBox::Changed, this, [this] { SetApplyButtonsEnabled(true); });
  On(file_list_, &FileListBox::SelectionClicked, &MainWindow::ShowCurrentFile);

  On(file_list_, &QListWidget::itemDoubleClicked, &MainWindow::OpenCurrent);
  connect(file_list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    file_context_menu_->popup(file_list_->viewport()->mapToGlobal(at));
  });
  connect(folder_list_, &DirectoryListBox::FolderChosen, this,
          [this](const QString& folder) { Guarded([&] { ChangeFolder(folder); }); });
  connect(drive_selector_, &DriveComboBox::FolderChosen, this,
          [this](const QString& folder) { Guarded([&] { DriveChosen(folder); }); });
}

// The options model is the one source of truth: a box's toggle (by the user
// or the program) goes to the model, and every real change of the model,
// including those its rules make, comes back to the boxes with their signals
// blocked so that nothing echoes.
void MainWindow::ConnectBoxes() {
  for (const BoxDesign& design : CleaningOptions::Designs()) {
    const int number = design.number;
    connect(OptionBox(number), &QCheckBox::toggled, this,
            [this, number](bool ticked) { Guarded([&] { options_.SetTicked(number, ticked); }); });
  }
  options_.SetObserver([this](int number, bool ticked) {
    QCheckBox* box = OptionBox(number);
    const QSignalBlocker quiet(box);
    box->setChecked(ticked);
  });
}

void MainWindow::AttachSideWindows(AdvertWindow* advert_window, SettingsWindow* settings_window) {
  advert_window_ = advert_window;
  settings_window_ = settings_window;
  advert_window_->AttachRemoval(clean_context(), *file_list_, messages_, *trash_,
                                [this](std::exception_ptr failure) { ReportFailure(failure); });
}

void MainWindow::LinkPhaseStatus::ShowLinkProgress(int done, int total) {
  QLabel*& panel = window_.link_phase_panel_;
  if (panel == nullptr) {
    panel = new QLabel(window_.status_bar_);
    panel->setObjectName(QStringLiteral("linkPhasePanel"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  }
  panel->setVisible(done < total);
  if (done < total)
    panel->setText(QStringLiteral("проверка ссылок: %1 из %2").arg(done).arg(total));
  window_.PlaceStatusPanels();
  // Only the stop button takes clicks while a run goes on.
  QCoreApplication::processEvents();
}

bool MainWindow::RunStop::IsStopRequested() {
  QCoreApplication::processEvents();
  return window_.stop_requested_;
}

MainWindow::RunInProgress::RunInProgress(MainWindow& window) : window_(window) {
  window_.running_ = true;
  window_.stop_requested_ = false;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  for (QWidget* control : window_.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (control == window_.stop_button_ || control == window_.status_bar_ ||
        control == window_.gauge_ || control == window_.help_hint_label_)
      continue;
    enabled_before_.emplace_back(control, control->isEnabled());
    control->setEnabled(false);
  }
  window_.stop_button_->setEnabled(true);
}

MainWindow::RunInProgress::~RunInProgress() {
  window_.stop_button_->setEnabled(false);
  for (const auto& [control, enabled] : enabled_before_) control->setEnabled(enabled);
  QApplication::restoreOverrideCursor();
  window_.running_ = false;
  window_.RefreshStatusBar();
}

QCheckBox* MainWindow::OptionBox(int number) const {
  return number >= 0 && number <= kHighestBox ? boxes_[number] : nullptr;
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_before_) return;
  shown_before_ = true;
  Guarded([this] { ChangeFolder(start_folder_); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  stop_requested_ = running_;  // a run in progress ends before its next page
  event->accept();
  QCoreApplication::quit();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == OptionBox(kAllElementsBox) &&
      (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
    // Only a move of the focus between controls counts, not the whole
    // window losing or regaining activation.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      Guarded([this] { ApplyAllElements(); });
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::ChangeFolder(const QString& folder) {
  file_list_->ReadFolder(folder);
  const QString& shown = file_list_->Folder();
  drive_selector_->ShowFolder(shown);
  folder_list_->ShowFolder(drive_selector_->DriveOf(shown), shown);
  RefreshStatusBar();
}

void MainWindow::DriveChosen(const QString& folder) {
  try {
    ChangeFolder(folder);
  } catch (...) {
    drive_selector_->ShowFolder(file_list_->Folder());  // the selector follows the list
    throw;
  }
}

void MainWindow::SetApplyButtonsEnabled(bool enabled) {
  apply_button_->setEnabled(enabled);
  ok_button_->setEnabled(enabled);
}

// The clean run over the selected pages. A file failure leaves the buttons as
// they are: it goes on to ReportFailure.
void MainWindow::CleanSelectedPages() {
  if (running_) return;  // one run at a time, whatever key or click comes meanwhile
  bool ran = false;
  {
    const RunInProgress busy(*this);
    ran = RunClean(*clean_context_, class_tables_, *file_list_, messages_);
  }
  if (ran) SetApplyButtonsEnabled(false);
}

void MainWindow::RequestStop() { stop_requested_ = running_; }

void MainWindow::CloseProgram() { QCoreApplication::quit(); }

void MainWindow::ShowAdvertWindow() {
  if (advert_window_ == nullptr) return;
  advert_window_->show();
  hide();
}

void MainWindow::ShowSettingsWindow() {
  if (settings_window_ == nullptr) return;
  settings_window_->show();
  hide();
}

void MainWindow::TickAllElements() { options_.SetTicked(kAllElementsBox, true); }

void MainWindow::SkipImportedStyles() {
  options_.SetTicked(kSkipImportsBox, true);
  // The button stays shown pressed from now on; clicking it again only ticks
  // the box again.
  skip_imports_button_->setCheckable(true);
  skip_imports_button_->setChecked(true);
}

void MainWindow::ApplyAllElements() { options_.ApplyAllElements(); }

void MainWindow::ReportFailure(std::exception_ptr failure) {
  try {
    const FailureText shown = DescribeFailure(failure);
    if (shown.is_apology) {
      messages_.ShowInformation(shown.text);
    } else {
      messages_.ShowError(shown.text);
    }
  } catch (...) {
    // A failure while reporting a failure has nowhere left to go.
  }
}

}  // namespace pelloran
