#pragma once

// One Application for the whole test program, and a fixture that starts the
// program's windows in a fresh temporary folder, as the program would start
// in it.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <initializer_list>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/application.h"
#include "app/help_viewer.h"
#include "app/start_up.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {

// Records the topics asked for instead of opening a browser.
class RecordingHelpViewer : public HelpViewer {
 public:
  void ShowTopic(const QString& help_file, int context) override {
    topics.emplace_back(help_file, context);
  }
  std::vector<std::pair<QString, int>> topics;
};

// The control of that object name inside `window`; the test fails when
// there is none.
template <class T>
T* Child(const QObject& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(found, nullptr) << "no control named " << name;
  return found;
}

inline Application& TestApplication() {
  static int argc = 1;
  static char name[] = "pelloran_gui_tests";
  static char* argv[] = {name, nullptr};
  static Application* app = [] {
    auto* created = new Application(argc, argv);
    created->SetTitle(QStringLiteral("Pelloran"));
    created->SetHelpFile(QString::fromLatin1(kHelpDocument));
    return created;
  }();
  return *app;
}

class ProgramTest : public ::testing::Test {
 protected:
  // Files and folders made in the start folder before the windows exist.
  virtual void MakeStartFolder() {}

  void SetUp() override {
    // Deleted files go to a trash of the test's own, never the user's.
    saved_home_ = qgetenv("HOME");
    saved_data_home_ = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", QByteArray::fromStdString(desktop_home.path().string()));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((desktop_home / ".local/share")));
    std::filesystem::create_directories(desktop_home.path() / ".local/share");
    TestApplication().SetHelpViewer(&help);
    MakeStartFolder();
    in_start_folder.emplace(start.path());
    windows = std::make_unique<ProgramWindows>(messages, link_check);
  }

  void TearDown() override {
    windows.reset();
    TestApplication().SetFailureHandler(nullptr);
    TestApplication().SetHelpViewer(nullptr);
    in_start_folder.reset();
    qputenv("HOME", saved_home_);
    if (saved_data_home_.isNull())
      qunsetenv("XDG_DATA_HOME");
    else
      qputenv("XDG_DATA_HOME", saved_data_home_);
  }

  // Shows the main window as start-up does, and lets the first show happen.
  MainWindow& ShowMainWindow() {
    windows->main_window.show();
    QCoreApplication::processEvents();
    return windows->main_window;
  }

  QString StartFolder() const { return QString::fromStdString(start.path().string()); }

  // Selects the main window's entries with these names, as the user's clicks
  // would; with `make_current`, each one also becomes the current entry.
  void SelectEntries(std::initializer_list<const char*> names, bool make_current = false) {
    FileListBox& list = *Child<FileListBox>(windows->main_window, "fileList");
    for (const char* name : names) {
      const auto found = list.findItems(QString::fromUtf8(name), Qt::MatchExactly);
      ASSERT_EQ(found.size(), 1) << name;
      found.front()->setSelected(true);
      if (make_current) list.setCurrentItem(found.front(), QItemSelectionModel::NoUpdate);
    }
  }

  TempDir start;
  TempDir desktop_home;  // HOME, with the trash under .local/share/Trash
  RecordingHelpViewer help;
  TestMessages messages;
  TestLinkCheck link_check;
  std::optional<ScopedCurrentDir> in_start_folder;
  std::unique_ptr<ProgramWindows> windows;

 private:
  QByteArray saved_home_;
  QByteArray saved_data_home_;
};

}  // namespace pelloran::testing
