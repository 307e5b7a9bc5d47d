#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "app/file_list_box.h"
#include "app/folder_browser.h"
#include "app/pie_gauge.h"
#include "cleaner/class_tables.h"
#include "cleaner/cleaning_options.h"
#include "interfaces/clean_context.h"
#include "interfaces/link_check.h"
#include "interfaces/messages.h"
#include "interfaces/shell_routines.h"
#include "interfaces/trash.h"

namespace pelloran {

class CompareWindow;
class AdvertWindow;
class SettingsWindow;

// The main window "Pelloran": the file browser on the left, the cleaning
// options on the right, tool buttons, the gauge and the status bar. Tests
// find the controls by object name ("applyButton", "fileList"). The window
// owns the state the engine reads live: the options (cleaning_options(), which
// the boxes here and the settings window's switches write as they are
// toggled), the file list (file_list()) and the gauge (gauge()).
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // `messages` shows every message of the window and `link_check` answers the
  // link checks of the clean run; both must outlive the window.
  MainWindow(Messages& messages, LinkCheck& link_check, QWidget* parent = nullptr);
  // Takes its failure handler back from the application object.
  ~MainWindow() override;

  // The side windows the tool buttons open; they lead back here.
  void AttachSideWindows(AdvertWindow* advert_window, SettingsWindow* settings_window);

  // The check box of a box number (object names "optionBox1" to
  // "optionBox61"); nullptr for a number without a box.
  QCheckBox* OptionBox(int number) const;

  CleaningOptions& cleaning_options() { return options_; }
  FileList& file_list() { return *file_list_; }
  ProgressGauge& gauge() { return *gauge_; }
  Messages& messages() { return messages_; }
  // The files and services the cleaning handlers share, with
  // cleaning_options() as the options they read.
  CleanContext& clean_context() { return *clean_context_; }
  // The class tables: empty at start, kept for as long as the window lives.
  ClassTables& class_tables() { return class_tables_; }
  // The desktop the file operations hand requests to; a test may put its own
  // in (not owned, must outlive the window).
  void UseShell(ShellRoutines& shell) { shell_ = &shell; }

  // "остановить" (and Escape) while a run goes on: the run ends before the
  // next page, and the page in hand stays as it was.
  void RequestStop();
  // The compare window, once "сравнить с копией" has opened it; else nullptr.
  CompareWindow* compare_window() const { return compare_window_; }

  // The one failure handler: a conversion failure shows only the apology,
  // any other failure its own message as an error.
  void ReportFailure(std::exception_ptr failure);

  // Shows a folder in the browser: the file list reads it, then the folder
  // list and drive selector follow. The process's current directory stays
  // the one the program started in.
  void ChangeFolder(const QString& folder);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // One function per group of controls (main_window_layout.cpp).
  void BuildToolRow();
  void BuildBrowser();
  void BuildPropertyFrame();
  void BuildEliminationFrame();
  void BuildButtonRow();
  void BuildStatusBarAndMenu();
  QIcon Picture(int standard_pixmap) const;
  QCheckBox* BuildBox(const BoxDesign& design, QGroupBox* frame);
  void SetTabOrder();

  // Handlers. Each runs guarded (see On), so nothing unwinds through Qt.
  // "применить" and "OK", on either button or the tool button: the clean
  // run over the selected pages.
  void CleanSelectedPages();
  // "применить" and "OK" are enabled by a click in the list or a change of
  // it, and disabled at start and after a run.
  void SetApplyButtonsEnabled(bool enabled);
  void ShowCurrentFile();
  void CloseProgram();
  void ShowAdvertWindow();
  void ShowSettingsWindow();
  void TickAllElements();
  void SkipImportedStyles();
  void ApplyAllElements();

  // The file list's operations (main_window_file_ops.cpp).
  void DeleteSelected();
  void RemoveTildes();
  void OpenCurrent();
  void OpenInEditor();
  void RefreshList();
  void CompareWithCopy();
  void RestoreFromCopy();

  void ConnectHandlers();
  void ConnectFileOperations();
  void ShowStatusPanels(const std::string& path_text, const std::string& size_text);
  // The path, link and size panels side by side, the link panel only while
  // links are checked.
  void PlaceStatusPanels();
  // After a clean, a restore or a change of folder: the panels (once the
  // first click made them) show the current file as it is now.
  void RefreshStatusBar();
  void ConnectBoxes();
  void SetStartState();
  void DriveChosen(const QString& folder);

  // Runs a handler body, handing any failure to ReportFailure.
  template <class Body>
  void Guarded(Body&& body) noexcept;
  // Connects a signal to a handler that runs guarded.
  template <class Sender, class Signal>
  void On(Sender* sender, Signal signal, void (MainWindow::*handler)());

  // The checks made ahead of a run, counted in the status bar. The window
  // answers meanwhile, but only its stop button takes clicks.
  class LinkPhaseStatus : public LinkCheckProgress {
   public:
    explicit LinkPhaseStatus(MainWindow& window) : window_(window) {}
    void ShowLinkProgress(int done, int total) override;
    bool StopChecking() override { return window_.stop_requested_; }

   private:
    MainWindow& window_;
  };

  // What the run asks between pages: the window takes the input that waited
  // meanwhile (a click on "остановить", Escape), then answers.
  class RunStop : public StopRequest {
   public:
    explicit RunStop(MainWindow& window) : window_(window) {}
    bool IsStopRequested() override;

   private:
    MainWindow& window_;
  };

  // For the length of a run: a busy cursor, every control but the stop
  // button disabled, the stop button enabled. All back as it was after.
  class RunInProgress {
   public:
    explicit RunInProgress(MainWindow& window);
    ~RunInProgress();
    RunInProgress(const RunInProgress&) = delete;
    RunInProgress& operator=(const RunInProgress&) = delete;

   private:
    MainWindow& window_;
    std::vector<std::pair<QWidget*, bool>> enabled_before_;
  };

  // The controls, by group as main_window_layout.cpp builds them.
  QToolButton* advert_button_;
  QToolButton* apply_tool_button_;
  QToolButton* close_tool_button_;
  QToolButton* all_properties_button_;
  QToolButton* skip_imports_button_;
  QToolButton* delete_files_button_;
  QToolButton* remove_tilde_button_;
  QToolButton* editor_button_;
  QToolButton* refresh_button_;
  QLabel* help_hint_label_;
  PieGauge* gauge_;
  DriveComboBox* drive_selector_;
  DirectoryListBox* folder_list_;
  FileListBox* file_list_;
  QFrame* separator_;
  QGroupBox* properties_frame_;
  QGroupBox* elimination_frame_;
  QPushButton* settings_button_;
  QPushButton* apply_button_;
  QPushButton* close_button_;
  QPushButton* ok_button_;
  QPushButton* stop_button_;
  QStatusBar* status_bar_;
  QMenu* file_context_menu_;
  QAction* open_action_;
  QAction* delete_file_action_;
  QAction* remove_tilde_action_;
  QAction* open_in_editor_action_;
  QAction* compare_action_;
  QAction* restore_action_;

  Messages& messages_;
  CleaningOptions options_;
  ClassTables class_tables_;
  std::unique_ptr<CleanContext> clean_context_;
  std::array<QCheckBox*, kHighestBox + 1> boxes_{};
  AdvertWindow* advert_window_ = nullptr;
  SettingsWindow* settings_window_ = nullptr;
  QString start_folder_;
  bool shown_before_ = false;
  std::unique_ptr<ShellRoutines> desktop_shell_;
  std::unique_ptr<Trash> trash_;  // where deleted files go: the desktop's trash
  ShellRoutines* shell_ = nullptr;
  // The status bar's path and size panels, made at the first click in the list.
  QLabel* path_panel_ = nullptr;
  QLabel* size_panel_ = nullptr;
  // Over the status bar while links are checked ahead of a run.
  QLabel* link_phase_panel_ = nullptr;
  LinkPhaseStatus link_phase_status_{*this};
  RunStop run_stop_{*this};
  bool running_ = false;
  bool stop_requested_ = false;
  CompareWindow* compare_window_ = nullptr;
};

template <class Body>
void MainWindow::Guarded(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
    ReportFailure(std::current_exception());
  }
}

template <class Sender, class Signal>
void MainWindow::On(Sender* sender, Signal signal, void (MainWindow::*handler)()) {
  connect(sender, signal, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
}

}  // namespace pelloran
