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
  TForm1& Show() {
    TForm1& form = ShowMainWindow();
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
  TForm1& form = Show();
  windows->Form3.CheckBox1->setChecked(true);
  auto* stop = Find<QPushButton>(&form, "StopButton");
  ASSERT_NE(stop, nullptr);
  EXPECT_FALSE(stop->isEnabled());
  for (const bool by_key : {true, false}) {
    messages.information.clear();
    form.SpeedButton10->click();
    SelectEntries({"a.htm", "b.htm"});
    link_check.while_checking_ahead = [&](LinkCheckProgress* progress) {
      ASSERT_NE(QApplication::overrideCursor(), nullptr);
      EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
      EXPECT_TRUE(stop->isEnabled());
      EXPECT_FALSE(form.Button1->isEnabled());
      EXPECT_FALSE(form.FileListBox1->isEnabled());
      EXPECT_FALSE(form.SpeedButton6->isEnabled());
      if (by_key)
        Press(&form, Qt::Key_Escape);
      else
        QTest::mouseClick(stop, Qt::LeftButton);
      progress->ShowLinkProgress(0, 1);
      EXPECT_TRUE(progress->StopChecking());
    };
    form.SpeedButton2->click();  // Apply of the tool row: never disabled after a run
    EXPECT_EQ(ReadFile(start / "a.htm"), "<p style=\"color:red\">a</p>") << by_key;
    EXPECT_FALSE(FileExists(start / "a.htm~"));
    EXPECT_FALSE(FileExists(start / "b.htm~"));
    EXPECT_EQ(messages.information.back(), "Прогон остановлен.\nОчищено страниц: 0 из 2.");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_TRUE(form.FileListBox1->isEnabled());
    EXPECT_TRUE(form.SpeedButton6->isEnabled());
  }
  Press(&form, Qt::Key_Escape);  // no run: Escape does nothing to the window
  EXPECT_TRUE(form.isVisible());
}

TEST_F(WindowKeysTest, EscapeLeadsBackFromTheSideWindowsAndEnterPressesTheirButton) {
  TForm1& form = Show();
  form.BitBtn1->click();
  Press(&windows->Form3, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(windows->Form3.isVisible());
  form.BitBtn1->click();
  Press(&windows->Form3, Qt::Key_Return);  // "OK"
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(windows->Form3.isVisible());

  form.SpeedButton1->click();
  windows->Form2.Edit1->setFocus();
  Press(&windows->Form2, Qt::Key_Enter);  // "удалить", over an empty selection
  EXPECT_EQ(messages.information.size() + messages.errors.size(), 1u);
  EXPECT_TRUE(windows->Form2.isVisible());
  Press(&windows->Form2, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  EXPECT_FALSE(windows->Form2.isVisible());
}

TEST_F(WindowKeysTest, EscapeClosesTheCompareAndHelpWindows) {
  TForm1& form = Show();
  SelectEntries({"a.htm"}, true);
  form.CompareWithCopyItem->trigger();
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
  TForm1& form = Show();
  SelectEntries({"b.htm"}, true);
  form.FileListBox1->setFocus();
  QTest::keyClick(form.FileListBox1, Qt::Key_Delete);
  EXPECT_FALSE(FileExists(start / "b.htm"));
  EXPECT_TRUE(FileExists(desktop_home / ".local/share/Trash/files/b.htm"));
  EXPECT_TRUE(FileExists(start / "a.htm"));
}

}  // namespace
}  // namespace pelloran::testing
