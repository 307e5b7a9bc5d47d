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

void TForm1::ConnectFileOperations() {
  On(SpeedButton6, &QToolButton::clicked, &TForm1::SpeedButton6Click);
  On(SpeedButton7, &QToolButton::clicked, &TForm1::SpeedButton7Click);
  On(SpeedButton8, &QToolButton::clicked, &TForm1::SpeedButton8Click);
  On(SpeedButton9, &QToolButton::clicked, &TForm1::SpeedButton9Click);
  On(SpeedButton10, &QToolButton::clicked, &TForm1::SpeedButton10Click);
  On(N1, &QAction::triggered, &TForm1::N1Click);
  On(N2, &QAction::triggered, &TForm1::N2Click);
  On(N3, &QAction::triggered, &TForm1::N3Click);
  On(notepadexe1, &QAction::triggered, &TForm1::notepadexe1Click);
  On(CompareWithCopyItem, &QAction::triggered, &TForm1::CompareWithCopyClick);
  On(RestoreFromCopyItem, &QAction::triggered, &TForm1::RestoreFromCopyClick);
  // Delete in the list does what the delete button does, question included.
  auto* delete_key = new QShortcut(QKeySequence::Delete, FileListBox1);
  delete_key->setContext(Qt::WidgetShortcut);
  connect(delete_key, &QShortcut::activated, SpeedButton6, &QToolButton::click);
}

void TForm1::ShowStatusPanels(const std::string& path_text, const std::string& size_text) {
  if (path_panel_ == nullptr) {
    path_panel_ = MakePanel(StatusBar1, "StatusBar1Panel1");
    size_panel_ = MakePanel(StatusBar1, "StatusBar1Panel2");
  }
  PlaceStatusPanels();
  path_panel_->setText(QFile::decodeName(path_text.c_str()));
  size_panel_->setText(QString::fromStdString(size_text));
}

void TForm1::PlaceStatusPanels() {
  const int height = StatusBar1->height();
  // Panel 0 is the design panel of width 0, so the path panel starts at the left.
  int path_width = frameGeometry().width() - SizePanelWidth();
  if (link_phase_panel_ != nullptr && link_phase_panel_->isVisibleTo(StatusBar1)) {
    const int link_width =
        link_phase_panel_->fontMetrics().horizontalAdvance(link_phase_panel_->text()) + 16;
    path_width -= link_width;
    link_phase_panel_->setGeometry(path_width, 0, link_width, height);
  }
  if (path_panel_ == nullptr) return;
  path_panel_->setGeometry(0, 0, path_width, height);
  size_panel_->setGeometry(frameGeometry().width() - SizePanelWidth(), 0, SizePanelWidth(), height);
}

void TForm1::RefreshStatusBar() {
  if (path_panel_ == nullptr) return;  // the panels come with the first click
  const std::string current = FileListBox1->CurrentFile();
  try {
    const StatusReport report = ReadStatusReport(current);
    ShowStatusPanels(report.path_text, report.size_text);
  } catch (...) {
    // Gone or unreadable now: its path, no size.
    ShowStatusPanels(PathText(current), std::string());
  }
}

void TForm1::FileListBox1Click() {
  const StatusReport report = ReadStatusReport(FileListBox1->CurrentFile());
  ShowStatusPanels(report.path_text, report.size_text);
  nevidim();
}

void TForm1::SpeedButton6Click() { DeleteSelectedFiles(*FileListBox1, messages_, *trash_); }

void TForm1::N2Click() { SpeedButton6->click(); }

void TForm1::SpeedButton7Click() { RemoveTildesFromSelected(*FileListBox1, messages_); }

void TForm1::N3Click() { SpeedButton7->click(); }

void TForm1::FileListBox1DblClick() { OpenCurrentFile(*FileListBox1, *shell_); }

void TForm1::N1Click() { OpenCurrentFile(*FileListBox1, *shell_); }

void TForm1::SpeedButton9Click() { OpenCurrentFileInEditor(*FileListBox1, *shell_, messages_); }

void TForm1::notepadexe1Click() { OpenCurrentFileInEditor(*FileListBox1, *shell_, messages_); }

void TForm1::SpeedButton10Click() { FileListBox1->ReadFolder(); }

void TForm1::SpeedButton8Click() { OpenFirstSelected(*FileListBox1, *shell_, messages_); }

void TForm1::CompareWithCopyClick() {
  const std::string page = FileListBox1->CurrentFile();
  if (page.empty()) {
    messages_.ShowInformation(kNoFileChosen);
    return;
  }
  const PageComparison comparison = ComparePage(live_options_, class_tables_, page);
  if (!comparison.ok) {
    messages_.ShowError(comparison.message);
    return;
  }
  if (compare_window_ == nullptr) compare_window_ = new CompareWindow(this);
  compare_window_->ShowComparison(page, comparison);
}

void TForm1::RestoreFromCopyClick() {
  RestoreSelectedFromBackups(*FileListBox1, messages_);
  RefreshStatusBar();
}

}  // namespace pelloran
