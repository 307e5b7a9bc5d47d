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
class TForm2;
class TForm3;

// The main window "Pelloran": the file browser on the left, the cleaning
// options on the right, tool buttons, the gauge and the status bar. Controls
// keep their design names as members and object names. The window owns the
// state the engine reads live: the options (through cleaning_options()), the
// file list (file_list()) and the gauge (gauge()).
class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // `messages` shows every message of the window and `link_check` answers the
  // link checks of the clean run; both must outlive the window.
  TForm1(Messages& messages, LinkCheck& link_check, QWidget* parent = nullptr);
  // Takes MyException back from the application object.
  ~TForm1() override;

  // The side windows the tool buttons open; they lead back here.
  void AttachSideWindows(TForm2* advert_window, TForm3* settings_window);

  // The check box of a number (CheckBox1 ... CheckBox61); nullptr for a
  // number without a box.
  QCheckBox* CheckBox(int number) const;

  CleaningOptions& cleaning_options() { return options_; }
  FileList& file_list() { return *FileListBox1; }
  ProgressGauge& gauge() { return *Gauge1; }
  Messages& messages() { return messages_; }
  // The program-wide files and services the cleaning handlers share, with the
  // options as they read them: this window's boxes and the settings window's
  // switch, each read at the moment it is asked.
  CleanContext& clean_context() { return *clean_context_; }
  // The class tables: empty at start, kept for as long as the window lives.
  ClassTables& class_tables() { return class_tables_; }
  // The desktop the file operations hand requests to; a test may put its own
  // in (not owned, must outlive the window).
  void UseShell(ShellRoutines& shell) { shell_ = &shell; }

  // Handlers. Each catches every failure at its own boundary and hands it to
  // MyException, so nothing unwinds through Qt.
  void nevidim();
  void FileListBox1Click();
  void Button1Click();
  void Button2Click();
  void SpeedButton1Click();
  void BitBtn1Click();
  void SpeedButton4Click();
  void SpeedButton5Click();
  void CheckBox28Click();
  // "остановить" (and Escape) while a run goes on: the run ends before the
  // next page, and the page in hand stays as it was.
  void StopButtonClick();
  // True from the start of a clean run to its end.
  bool IsRunning() const { return running_; }

  // The file list's operations (main_window_file_ops.cpp).
  void SpeedButton6Click();
  void N2Click();
  void SpeedButton7Click();
  void N3Click();
  void FileListBox1DblClick();
  void N1Click();
  void SpeedButton9Click();
  void notepadexe1Click();
  void SpeedButton10Click();
  void SpeedButton8Click();
  // "сравнить с копией" and "восстановить из копии" of the popup menu.
  void CompareWithCopyClick();
  void RestoreFromCopyClick();

  // The compare window, once "сравнить с копией" has opened it; else nullptr.
  CompareWindow* compare_window() const { return compare_window_; }

  // The one failure handler: a conversion failure shows only the apology,
  // any other failure its own message as an error.
  void MyException(std::exception_ptr failure);

  // Shows a folder in the browser: the file list reads it (making it the
  // current directory), then the folder list and drive selector follow.
  void ChangeFolder(const QString& folder);

  QToolButton* SpeedButton1;
  QToolButton* SpeedButton2;
  QToolButton* SpeedButton3;
  QToolButton* SpeedButton4;
  QToolButton* SpeedButton5;
  QToolButton* SpeedButton6;
  QToolButton* SpeedButton7;
  QToolButton* SpeedButton8;
  QToolButton* SpeedButton9;
  QToolButton* SpeedButton10;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLabel* Label6;
  PieGauge* Gauge1;
  DriveComboBox* DriveComboBox1;
  DirectoryListBox* DirectoryListBox1;
  FileListBox* FileListBox1;
  QFrame* Splitter1;
  QGroupBox* GroupBox1;
  QGroupBox* GroupBox2;
  QPushButton* BitBtn1;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button3;
  QPushButton* StopButton;
  QStatusBar* StatusBar1;
  QMenu* PopupMenu1;
  QAction* N1;
  QAction* N2;
  QAction* N3;
  QAction* notepadexe1;
  QAction* CompareWithCopyItem;
  QAction* RestoreFromCopyItem;

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
  void FormCreate();
  void DriveComboBox1Change(const QString& folder);

  // Runs a handler body, handing any failure to MyException.
  template <class Body>
  void Guarded(Body&& body) noexcept;
  // Connects a signal to a handler that runs guarded.
  template <class Sender, class Signal>
  void On(Sender* sender, Signal signal, void (TForm1::*handler)());

  // The options the engine reads: the boxes' model and the live switch.
  class LiveOptions : public Options {
   public:
    explicit LiveOptions(const TForm1& form) : form_(form) {}
    bool IsTicked(int box) const override { return form_.options_.IsTicked(box); }
    bool IsLinkCheckingOn() const override;
    bool IsLocalLinkCheckingOn() const override;
    bool IsOfficeMarkupDropped() const override;

   private:
    const TForm1& form_;
  };

  // The checks made ahead of a run, counted in the status bar. The window
  // answers meanwhile, but only its stop button takes clicks.
  class LinkPhaseStatus : public LinkCheckProgress {
   public:
    explicit LinkPhaseStatus(TForm1& form) : form_(form) {}
    void ShowLinkProgress(int done, int total) override;
    bool StopChecking() override { return form_.stop_requested_; }

   private:
    TForm1& form_;
  };

  // What the run asks between pages: the window takes the input that waited
  // meanwhile (a click on "остановить", Escape), then answers.
  class RunStop : public StopRequest {
   public:
    explicit RunStop(TForm1& form) : form_(form) {}
    bool IsStopRequested() override;

   private:
    TForm1& form_;
  };

  // For the length of a run: a busy cursor, every control but the stop
  // button disabled, the stop button enabled. All back as it was after.
  class RunInProgress {
   public:
    explicit RunInProgress(TForm1& form);
    ~RunInProgress();
    RunInProgress(const RunInProgress&) = delete;
    RunInProgress& operator=(const RunInProgress&) = delete;

   private:
    TForm1& form_;
    std::vector<std::pair<QWidget*, bool>> enabled_before_;
  };

  Messages& messages_;
  CleaningOptions options_;
  LiveOptions live_options_{*this};
  ClassTables class_tables_;
  std::unique_ptr<CleanContext> clean_context_;
  std::array<QCheckBox*, kHighestBox + 1> boxes_{};
  TForm2* advert_window_ = nullptr;
  TForm3* settings_window_ = nullptr;
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
void TForm1::Guarded(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
    MyException(std::current_exception());
  }
}

template <class Sender, class Signal>
void TForm1::On(Sender* sender, Signal signal, void (TForm1::*handler)()) {
  connect(sender, signal, this, [this, handler] { Guarded([&] { (this->*handler)(); }); });
}

}  // namespace pelloran
