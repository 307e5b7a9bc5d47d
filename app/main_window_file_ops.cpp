// The main window's handlers of the file list operations: each hands the
// list, the messages and the shell to one operation of tools/file_list_ops.h or
// tools/page_comparison.h.

#include <QFile>
#include <QShortcut>

#include "app/compare_window.h"
#include "app/main_window.h"
#include "app/window_design.h"
#include "tools/file_list_ops.h"
#include "tools/page_comparison.h"

namespace pelloran {
namespace {

// The size panel's width at the design's font.
constexpr int kSizePanelDesignWidth = 100;

int SizePanelWidth() { return static_cast<int>(kSizePanelDesignWidth * FontScale() + 0.5); }

QLabel* MakePanel(QWidget* status_bar, const char* name) {
  auto* panel = new QLabel(status_bar);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->show();
  return panel;
}

}  // namespace

void MainWindow::ConnectFileOperations() {
  On(delete_files_button_, &QToolButton::clicked, &MainWindow::DeleteSelected);
  On(remove_tilde_button_, &QToolButton::clicked, &MainWindow::RemoveTildes);
  On(editor_button_, &QToolButton::clicked, &MainWindow::OpenInEditor);
  On(refresh_button_, &QToolButton::clicked, &MainWindow::RefreshList);
  On(open_action_, &QAction::triggered, &MainWindow::OpenCurrent);
  // The menu's delete items do what their buttons do, questions included.
  connect(delete_file_action_, &QAction::triggered, delete_files_button_, &QToolButton::click);
  connect(remove_tilde_action_, &QAction::triggered, remove_tilde_button_, &QToolButton::click);
  On(open_in_editor_action_, &QAction::triggered, &MainWindow::OpenInEditor);
  On(compare_action_, &QAction::triggered, &MainWindow::CompareWithCopy);
  On(restore_action_, &QAction::triggered, &MainWindow::RestoreFromCopy);
  // Delete in the list does what the delete button does, question included.
  auto* delete_key = new QShortcut(QKeySequence::Delete, file_list_);
  delete_key->setContext(Qt::WidgetShortcut);
  connect(delete_key, &QShortcut::activated, delete_files_button_, &QToolButton::click);
}

void MainWindow::ShowStatusPanels(const std::string& path_text, const std::string& size_text) {
  if (path_panel_ == nullptr) {
    path_panel_ = MakePanel(status_bar_, "pathPanel");
    size_panel_ = MakePanel(status_bar_, "sizePanel");
  }
  PlaceStatusPanels();
  path_panel_->setText(QFile::decodeName(path_text.c_str()));
  size_panel_->setText(QString::fromStdString(size_text));
}

void MainWindow::PlaceStatusPanels() {
  const int height = status_bar_->height();
  // Panel 0 is the design panel of width 0, so the path panel starts at the left.
  int path_width = frameGeometry().width() - SizePanelWidth();
  if (link_phase_panel_ != nullptr && link_phase_panel_->isVisibleTo(status_bar_)) {
    const int link_width =
        link_phase_panel_->fontMetrics().horizontalAdvance(link_phase_panel_->text()) + 16;
    path_width -= link_width;
    link_phase_panel_->setGeometry(path_width, 0, link_width, height);
  }
  if (path_panel_ == nullptr) return;
  path_panel_->setGeometry(0, 0, path_width, height);
  size_panel_->setGeometry(frameGeometry().width() - SizePanelWidth(), 0, SizePanelWidth(), height);
}

void MainWindow::RefreshStatusBar() {
  if (path_panel_ == nullptr) return;  // the panels come with the first click
  const std::string current = file_list_->CurrentFile();
  try {
    const StatusReport report = ReadStatusReport(current);
    ShowStatusPanels(report.path_text, report.size_text);
  } catch (...) {
    // Gone or unreadable now: its path, no size.
    ShowStatusPanels(PathText(current), std::string());
  }
}

void MainWindow::ShowCurrentFile() {
  const StatusReport report = ReadStatusReport(file_list_->CurrentFile());
  ShowStatusPanels(report.path_text, report.size_text);
  SetApplyButtonsEnabled(true);
}

void MainWindow::DeleteSelected() { DeleteSelectedFiles(*file_list_, messages_, *trash_); }

void MainWindow::RemoveTildes() { RemoveTildesFromSelected(*file_list_, messages_); }

void MainWindow::OpenCurrent() { OpenCurrentFile(*file_list_, *shell_); }

void MainWindow::OpenInEditor() { OpenCurrentFileInEditor(*file_list_, *shell_, messages_); }

void MainWindow::RefreshList() { file_list_->ReadFolder(); }

void MainWindow::CompareWithCopy() {
  const std::string page = file_list_->CurrentFile();
  if (page.empty()) {
    messages_.ShowInformation(kNoFileChosen);
    return;
  }
  const PageComparison comparison = ComparePage(options_, class_tables_, page);
  if (!comparison.ok) {
    messages_.ShowError(comparison.message);
    return;
  }
  if (compare_window_ == nullptr) compare_window_ = new CompareWindow(this);
  compare_window_->ShowComparison(page, comparison);
}

void MainWindow::RestoreFromCopy() {
  RestoreSelectedFromBackups(*file_list_, messages_);
  RefreshStatusBar();
}

}  // namespace pelloran
