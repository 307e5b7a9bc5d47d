// The keys and the stop of a run, as a user of a Linux desktop expects them,
// driven through the real windows offscreen and found by object name.

#include <QPushButton>
#include <QTimer>

#include "app/compare_window.h"
#include "app/help_viewer.h"
#include "app/message_boxes.h"
#include "tests/app/gui_test_support.h"

namespace pelloran::testing {
namespace {

class WindowKeysTest : public ProgramTest {
 protected:
  void MakeStartFolder() override {
    WriteFile(start / "a.htm", "<p style=\"color:red\">a</p>");
    WriteFile(start / "b.htm", "<p>b <a href=\"http://b.example/\">b</a></p>");
  }
  MainWindow& Show() {
    MainWindow& form = ShowMainWindow();
    QApplication::setActiveWindow(&form);
    return form;
  }
  static void Press(QWidget* window, Qt::Key key) {
    QApplication::setActiveWindow(window);
    QTest::keyClick(window, key);
  }
  template <class T>
  T* Find(QWidget* window, const char* name) const {
    return window->findChild<T*>(QString::fromLatin1(name));
  }
};

// Escape, or a click on "остановить", while the links are checked: no page
// is touched, the run says so, and the window is as it was after.
TEST_F(WindowKeysTest, ARunStopsByEscapeOrButtonWithABusyCursorMeanwhile) {
  MainWindow& form = Show();
  Child<QCheckBox>(windows->settings_window, "checkLinksBox")->setChecked(true);
  auto* stop = Find<QPushButton>(&form, "stopButton");
  ASSERT_NE(stop, nullptr);
  EXPECT_FALSE(stop->isEnabled());
  for (const bool by_key : {true, false}) {
    messages.information.clear();
    Child<QToolButton>(form, "refreshButton")->click();
    SelectEntries({"a.htm", "b.htm"});
    link_check.while_checking_ahead = [&](LinkCheckProgress* progress) {
      ASSERT_NE(QApplication::overrideCursor(), nullptr);
      EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
      EXPECT_TRUE(stop->isEnabled());
      EXPECT_FALSE(Child<QPushButton>(form, "applyButton")->isEnabled());
      EXPECT_FALSE(Child<FileListBox>(form, "fileList")->isEnabled());
      EXPECT_FALSE(Child<QToolButton>(form, "deleteFilesButton")->isEnabled());
      if (by_key)
        Press(&form, Qt::Key_Escape);
      else
        QTest::mouseClick(stop, Qt::LeftButton);
      progress->ShowLinkProgress(0, 1);
      EXPECT_TRUE(progress->StopChecking());
    };
    Child<QToolButton>(form, "applyToolButton")
        ->click();  // Apply of the tool row: never disabled after a run
    EXPECT_EQ(ReadFile(start / "a.htm"), "<p style=\"color:red\">a</p>") << by_key;
    EXPECT_FALSE(FileExists(start / "a.htm~"));
    EXPECT_FALSE(FileExists(start / "b.htm~"));
    EXPECT_EQ(messages.information.back(), "Прогон остановлен.\nОчищено страниц: 0 из 2.");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_TRUE(Child<FileListBox>(form, "fileList")->isEnabled());
    EXPECT_TRUE(Child<QToolButton>(form, "deleteFilesButton")->isEnabled());
  }
  Press(&form, Qt::Key_Escape);  // no run: Escape does nothing to the window
  EXPECT_TRUE(form.isVisible());
}

TEST_F(WindowKeysTest, EscapeLeadsBackFromTheSideWindowsAndEnterPressesTheirButton) {
  MainWindow& form = Show();
  Child<QPushButton>(form, "settingsButton")->click();
  Press(&windows->settings_window, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(windows->settings_window.isVisible());
  Child<QPushButton>(form, "settingsButton")->click();
  Press(&windows->settings_window, Qt::Key_Return);  // "OK"
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(windows->settings_window.isVisible());

  Child<QToolButton>(form, "advertButton")->click();
  Child<QLineEdit>(windows->advert_window, "startTextEdit")->setFocus();
  Press(&windows->advert_window, Qt::Key_Enter);  // "удалить", over an empty selection
  EXPECT_EQ(messages.information.size() + messages.errors.size(), 1u);
  EXPECT_TRUE(windows->advert_window.isVisible());
  Press(&windows->advert_window, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(windows->advert_window.isVisible());
}

TEST_F(WindowKeysTest, EscapeClosesTheCompareAndHelpWindows) {
  MainWindow& form = Show();
  SelectEntries({"a.htm"}, true);
  Child<QAction>(form, "compareWithCopyAction")->trigger();
  ASSERT_NE(form.compare_window(), nullptr);
  ASSERT_TRUE(form.compare_window()->isVisible());
  Press(form.compare_window(), Qt::Key_Escape);
  EXPECT_FALSE(form.compare_window()->isVisible());

  HelpWindow help_window(QStringList{QStringLiteral(PELLORAN_PROGRAM_DIR)});
  help_window.ShowTopic(QStringLiteral("help/HELP1.html"), 8);
  // The contents list marks the topic shown.
  ASSERT_NE(help_window.HelpContents->currentItem(), nullptr);
  EXPECT_EQ(help_window.HelpContents->currentItem()->data(Qt::UserRole).toString(), "8");
  help_window.ShowTopic(QStringLiteral("help/HELP1.html"), 1);
  EXPECT_EQ(help_window.HelpContents->currentItem()->data(Qt::UserRole).toString(), "1");
  Press(&help_window, Qt::Key_Escape);
  EXPECT_FALSE(help_window.isVisible());
}

// Escape answers "Нет", Enter the default "Да".
TEST_F(WindowKeysTest, QuestionsAnswerEscapeWithNoAndEnterWithYes) {
  MessageBoxes boxes(QStringLiteral("Pelloran"));
  for (const auto& [key, answer] : {std::pair{Qt::Key_Escape, false}, {Qt::Key_Return, true}}) {
    QTimer::singleShot(0, [key = key] { QTest::keyClick(QApplication::activeModalWidget(), key); });
    EXPECT_EQ(boxes.Confirm("Удалить?"), answer) << key;
  }
}

TEST_F(WindowKeysTest, DeleteInTheListDeletesTheSelectedFilesAsTheButtonDoes) {
  MainWindow& form = Show();
  SelectEntries({"b.htm"}, true);
  Child<FileListBox>(form, "fileList")->setFocus();
  QTest::keyClick(Child<FileListBox>(form, "fileList"), Qt::Key_Delete);
  EXPECT_FALSE(FileExists(start / "b.htm"));
  EXPECT_TRUE(FileExists(desktop_home / ".local/share/Trash/files/b.htm"));
  EXPECT_TRUE(FileExists(start / "a.htm"));
}

}  // namespace
}  // namespace pelloran::testing
