// The help window through F1 on the real windows, with the help document as
// the build places it beside the program.

#include <QTest>
#include <optional>
#include <set>

#include "app/help_viewer.h"
#include "app/window_design.h"
#include "tests/app/gui_test_support.h"

namespace pelloran::testing {
namespace {

class HelpWindowTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();  // makes the application first
    window_.emplace(QStringList{QStringLiteral(PELLORAN_PROGRAM_DIR)});
    TestApplication().SetHelpViewer(&*window_);
  }
  void TearDown() override {
    ProgramTest::TearDown();
    window_.reset();
  }

  std::optional<HelpWindow> window_;
};

TEST_F(HelpWindowTest, F1OpensTheTopicOfTheFocusedControlAndBackAndForwardRetrace) {
  MainWindow& form = ShowMainWindow();
  EXPECT_FALSE(window_->isVisible());
  QTest::keyClick(form.OptionBox(30), Qt::Key_F1);  // a property box
  ASSERT_TRUE(window_->isVisible());
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Pelloran — справка"));
  EXPECT_EQ(window_->CurrentTopic(), "8");
  EXPECT_NE(window_->HelpText->toPlainText().indexOf(QStringLiteral("Существенные атрибуты")), -1);

  QTest::keyClick(Child<QCheckBox>(windows->settings_window, "checkLinksBox"), Qt::Key_F1);
  EXPECT_EQ(window_->CurrentTopic(), "1");
  QTest::keyClick(Child<QLineEdit>(windows->advert_window, "startTextEdit"), Qt::Key_F1);
  EXPECT_EQ(window_->CurrentTopic(), "9");

  EXPECT_FALSE(window_->HelpForward->isEnabled());
  window_->HelpBack->click();
  window_->HelpBack->click();
  EXPECT_EQ(window_->CurrentTopic(), "8");
  window_->HelpForward->click();
  EXPECT_EQ(window_->CurrentTopic(), "1");
}

// Every number a control of the three windows carries has its topic, and the
// contents list leads to each of them.
TEST_F(HelpWindowTest, EveryContextNumberHasATopicInTheContents) {
  MainWindow& form = ShowMainWindow();
  std::set<QString> numbers;
  for (QWidget* top :
       std::initializer_list<QWidget*>{&form, &windows->advert_window, &windows->settings_window}) {
    for (const QWidget* widget : top->findChildren<QWidget*>()) {
      if (const int context = HelpContextOf(widget); context > 0)
        numbers.insert(QString::number(context));
    }
  }
  ASSERT_GE(numbers.size(), 8u);
  window_->ShowTopic(QStringLiteral("help/HELP1.html"), 6);
  std::set<QString> topics;
  for (int row = 0; row < window_->HelpContents->count(); ++row) {
    QListWidgetItem* item = window_->HelpContents->item(row);
    window_->HelpContents->itemClicked(item);
    EXPECT_EQ(window_->CurrentTopic(), item->data(Qt::UserRole).toString());
    EXPECT_FALSE(item->text().isEmpty());
    topics.insert(window_->CurrentTopic());
  }
  for (const QString& number : numbers) EXPECT_TRUE(topics.count(number)) << number.toStdString();
  for (const char* topic : {"restore", "compare", "backups", "eliminate"})
    EXPECT_TRUE(topics.count(QString::fromLatin1(topic))) << topic;
}

TEST(HelpWindow, AMissingDocumentIsNamedInTheWindow) {
  TestApplication();
  TempDir nowhere;
  HelpWindow window({QString::fromStdString(nowhere.path().string())});
  window.ShowTopic(QStringLiteral("help/HELP1.html"), 8);
  EXPECT_TRUE(window.isVisible());
  EXPECT_NE(window.HelpText->toPlainText().indexOf(QStringLiteral("HELP1.html")), -1);
}

}  // namespace
}  // namespace pelloran::testing
