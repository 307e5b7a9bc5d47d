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

TForm1::TForm1(Messages& messages, LinkCheck& link_check, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      messages_(messages),
      start_folder_(QDir::currentPath()) {
  setObjectName(QStringLiteral("Form1"));
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
  clean_context_ = std::make_unique<CleanContext>(live_options_, *Gauge1, link_check);
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
  FormCreate();
}

TForm1::~TForm1() {
  if (Application* app = Application::Instance()) app->SetFailureHandler(nullptr);
}

void TForm1::FormCreate() {
  Button1->setEnabled(false);
  Button3->setEnabled(false);
  if (Application* app = Application::Instance()) {
    app->SetFailureHandler([this](std::exception_ptr failure) { MyException(failure); });
  }
}

void TForm1::ConnectHandlers() {
  On(SpeedButton1, &QToolButton::clicked, &TForm1::SpeedButton1Click);
  On(SpeedButton2, &QToolButton::clicked, &TForm1::Button1Click);
  On(SpeedButton3, &QToolButton::clicked, &TForm1::Button2Click);
  On(SpeedButton4, &QToolButton::clicked, &TForm1::SpeedButton4Click);
  On(SpeedButton5, &QToolButton::clicked, &TForm1::SpeedButton5Click);
  On(Button1, &QPushButton::clicked, &TForm1::Button1Click);
  On(Button3, &QPushButton::clicked, &TForm1::Button1Click);
  On(Button2, &QPushButton::clicked, &TForm1::Button2Click);
  On(BitBtn1, &QPushButton::clicked, &TForm1::BitBtn1Click);
  On(StopButton, &QPushButton::clicked, &TForm1::StopButtonClick);
  On(FileListBox1, &FileListBox::Changed, &TForm1::nevidim);
  On(FileListBox1, &FileListBox::SelectionClicked, &TForm1::FileListBox1Click);

  On(FileListBox1, &QListWidget::itemDoubleClicked, &TForm1::FileListBox1DblClick);
  connect(FileListBox1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    PopupMenu1->popup(FileListBox1->viewport()->mapToGlobal(at));
  });
  connect(DirectoryListBox1, &DirectoryListBox::FolderChosen, this,
          [this](const QString& folder) { Guarded([&] { ChangeFolder(folder); }); });
  connect(DriveComboBox1, &DriveComboBox::FolderChosen, this,
          [this](const QString& folder) { Guarded([&] { DriveComboBox1Change(folder); }); });
}

// The options model is the one source of truth: a box's toggle (by the user
// or the program) goes to the model, and every real change of the model,
// including those its rules make, comes back to the boxes with their signals
// blocked so that nothing echoes.
void TForm1::ConnectBoxes() {
  for (const BoxDesign& design : CleaningOptions::Designs()) {
    const int number = design.number;
    connect(CheckBox(number), &QCheckBox::toggled, this,
            [this, number](bool ticked) { Guarded([&] { options_.SetTicked(number, ticked); }); });
  }
  options_.SetObserver([this](int number, bool ticked) {
    QCheckBox* box = CheckBox(number);
    const QSignalBlocker quiet(box);
    box->setChecked(ticked);
  });
}

void TForm1::AttachSideWindows(TForm2* advert_window, TForm3* settings_window) {
  advert_window_ = advert_window;
  settings_window_ = settings_window;
  advert_window_->AttachRemoval(clean_context(), *FileListBox1, messages_, *trash_,
                                [this](std::exception_ptr failure) { MyException(failure); });
}

bool TForm1::LiveOptions::IsLinkCheckingOn() const {
  return form_.settings_window_ != nullptr && form_.settings_window_->CheckBox1->isChecked();
}

bool TForm1::LiveOptions::IsLocalLinkCheckingOn() const {
  return form_.settings_window_ != nullptr && form_.settings_window_->CheckBox2->isChecked();
}

bool TForm1::LiveOptions::IsOfficeMarkupDropped() const {
  return form_.settings_window_ != nullptr && form_.settings_window_->CheckBox3->isChecked();
}

void TForm1::LinkPhaseStatus::ShowLinkProgress(int done, int total) {
  QLabel*& panel = form_.link_phase_panel_;
  if (panel == nullptr) {
    panel = new QLabel(form_.StatusBar1);
    panel->setObjectName(QStringLiteral("StatusBar1LinkPhase"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  }
  panel->setVisible(done < total);
  if (done < total)
    panel->setText(QStringLiteral("проверка ссылок: %1 из %2").arg(done).arg(total));
  form_.PlaceStatusPanels();
  // Only the stop button takes clicks while a run goes on.
  QCoreApplication::processEvents();
}

bool TForm1::RunStop::IsStopRequested() {
  QCoreApplication::processEvents();
  return form_.stop_requested_;
}

TForm1::RunInProgress::RunInProgress(TForm1& form) : form_(form) {
  form_.running_ = true;
  form_.stop_requested_ = false;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  for (QWidget* control : form_.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (control == form_.StopButton || control == form_.StatusBar1 || control == form_.Gauge1 ||
        control == form_.Label1)
      continue;
    enabled_before_.emplace_back(control, control->isEnabled());
    control->setEnabled(false);
  }
  form_.StopButton->setEnabled(true);
}

TForm1::RunInProgress::~RunInProgress() {
  form_.StopButton->setEnabled(false);
  for (const auto& [control, enabled] : enabled_before_) control->setEnabled(enabled);
  QApplication::restoreOverrideCursor();
  form_.running_ = false;
  form_.RefreshStatusBar();
}

QCheckBox* TForm1::CheckBox(int number) const {
  return number >= 0 && number <= kHighestBox ? boxes_[number] : nullptr;
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shown_before_) return;
  shown_before_ = true;
  Guarded([this] { ChangeFolder(start_folder_); });
}

void TForm1::closeEvent(QCloseEvent* event) {
  stop_requested_ = running_;  // a run in progress ends before its next page
  event->accept();
  QCoreApplication::quit();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == CheckBox(kAllElementsBox) &&
      (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
    // Only a move of the focus between controls counts, not the whole
    // window losing or regaining activation.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      Guarded([this] { CheckBox28Click(); });
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::ChangeFolder(const QString& folder) {
  FileListBox1->ReadFolder(folder);
  const QString& shown = FileListBox1->Folder();
  DriveComboBox1->ShowFolder(shown);
  DirectoryListBox1->ShowFolder(DriveComboBox1->DriveOf(shown), shown);
  RefreshStatusBar();
}

void TForm1::DriveComboBox1Change(const QString& folder) {
  try {
    ChangeFolder(folder);
  } catch (...) {
    DriveComboBox1->ShowFolder(FileListBox1->Folder());  // the selector follows the list
    throw;
  }
}

void TForm1::nevidim() {
  Button1->setEnabled(true);
  Button3->setEnabled(true);
}

// The clean run over the selected pages. A file failure leaves the buttons as
// they are: it goes on to MyException.
void TForm1::Button1Click() {
  if (running_) return;  // one run at a time, whatever key or click comes meanwhile
  bool ran = false;
  {
    const RunInProgress busy(*this);
    ran = RunClean(*clean_context_, class_tables_, *FileListBox1, messages_);
  }
  if (ran) {
    Button1->setEnabled(false);
    Button3->setEnabled(false);
  }
}

void TForm1::StopButtonClick() { stop_requested_ = running_; }

void TForm1::Button2Click() { QCoreApplication::quit(); }

void TForm1::SpeedButton1Click() {
  if (advert_window_ == nullptr) return;
  advert_window_->show();
  hide();
}

void TForm1::BitBtn1Click() {
  if (settings_window_ == nullptr) return;
  settings_window_->show();
  hide();
}

void TForm1::SpeedButton4Click() { options_.SetTicked(kAllElementsBox, true); }

void TForm1::SpeedButton5Click() {
  options_.SetTicked(kSkipImportsBox, true);
  // The button stays shown pressed from now on; clicking it again only ticks
  // the box again.
  SpeedButton5->setCheckable(true);
  SpeedButton5->setChecked(true);
}

void TForm1::CheckBox28Click() { options_.ApplyAllElements(); }

void TForm1::MyException(std::exception_ptr failure) {
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
