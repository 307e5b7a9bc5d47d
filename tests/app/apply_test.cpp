// Apply end to end: the real main window, offscreen, cleaning pages in a
// temporary folder.

#include <sys/stat.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <algorithm>
#include <set>

#include "tests/app/gui_test_support.h"
#include "tests/support/fault_env.h"

namespace pelloran::testing {
namespace {

constexpr char kPage[] = "<p class=Normal style=\"color:red\">Text <span lang=ru>here</span></p>";
constexpr char kDone[] = "Операция выполнена!";

class ApplyTest : public ProgramTest {
 protected:
  std::set<std::string> FilesInFolder() const {
    std::set<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(start.path()))
      names.insert(item.path().filename().string());
    return names;
  }
  std::vector<std::string> SelectedEntries() const {
    std::vector<std::string> names;
    for (const QListWidgetItem* item :
         Child<FileListBox>(windows->main_window, "fileList")->selectedItems())
      names.push_back(item->text().toStdString());
    return names;
  }
  bool ApplyEnabled() const {
    return Child<QPushButton>(windows->main_window, "applyButton")->isEnabled() &&
           Child<QPushButton>(windows->main_window, "okButton")->isEnabled();
  }
};

class TwoPagesTest : public ApplyTest {
  void MakeStartFolder() override {
    WriteFile(start / "a.htm", kPage);
    WriteFile(start / "b.htm", kPage);
    WriteFile(start / "c.txt", kPage);
  }
};

TEST_F(TwoPagesTest, CleansBothWithAMessageEachAndDisablesApply) {
  MainWindow& form = ShowMainWindow();
  SelectEntries({"b.htm", "a.htm"});
  Child<QPushButton>(form, "applyButton")->click();
  EXPECT_EQ(messages.information, (std::vector<std::string>{kDone, kDone}));
  EXPECT_TRUE(messages.errors.empty());
  EXPECT_EQ(FilesInFolder(),
            (std::set<std::string>{"a.htm", "a.htm~", "b.htm", "b.htm~", "c.txt"}));
  EXPECT_EQ(ReadFile(start / "a.htm~"), kPage);
  EXPECT_NE(ReadFile(start / "a.htm"), kPage);
  EXPECT_EQ(ReadFile(start / "b.htm"), ReadFile(start / "a.htm"));
  EXPECT_EQ(ReadFile(start / "c.txt"), kPage);
  // The list was read again, backups included, with the last page selected.
  EXPECT_EQ(Child<FileListBox>(form, "fileList")->count(), 5);
  EXPECT_EQ(SelectedEntries(), std::vector<std::string>{"b.htm"});
  EXPECT_FALSE(Child<QPushButton>(form, "applyButton")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "okButton")->isEnabled());
  EXPECT_TRUE(Child<QToolButton>(form, "applyToolButton")->isEnabled());
  EXPECT_EQ(Child<PieGauge>(form, "gauge")->Progress(), 0);
}

TEST_F(TwoPagesTest, NothingSelectedTouchesNothingButEndsTheRun) {
  MainWindow& form = ShowMainWindow();
  Child<QCheckBox>(windows->settings_window, "checkLinksBox")->setChecked(true);
  link_check.connected = true;
  Child<QPushButton>(form, "okButton")->click();
  EXPECT_TRUE(messages.information.empty());  // no link to check: no connection asked about
  EXPECT_EQ(FilesInFolder(), (std::set<std::string>{"a.htm", "b.htm", "c.txt", "Ссылки.txt"}));
  EXPECT_EQ(ReadFile(start / "Ссылки.txt"), "");
  EXPECT_EQ(ReadFile(start / "a.htm"), kPage);
  EXPECT_FALSE(ApplyEnabled());
  EXPECT_EQ(Child<PieGauge>(form, "gauge")->Progress(), 0);
}

TEST_F(ApplyTest, AnEmptyListOnlySaysSo) {
  MainWindow& form = ShowMainWindow();
  ASSERT_TRUE(ApplyEnabled());
  Child<QToolButton>(form, "applyToolButton")->click();
  EXPECT_EQ(messages.information, std::vector<std::string>{"Вы не выбрали файл!"});
  EXPECT_TRUE(ApplyEnabled());
  EXPECT_TRUE(FilesInFolder().empty());
}

class BackupThereTest : public ApplyTest {
  void MakeStartFolder() override {
    WriteFile(start / "a.htm", kPage);
    WriteFile(start / "a.htm~", "old backup");
  }
};

TEST_F(BackupThereTest, LeavesPageAndBackupAloneWithOrWithoutOverriding) {
  MainWindow& form = ShowMainWindow();
  for (bool overriding : {true, false}) {
    SCOPED_TRACE(overriding);
    form.OptionBox(5)->setChecked(overriding);
    ASSERT_EQ(form.clean_context().options.IsTicked(5), overriding);
    messages.information.clear();
    messages.errors.clear();
    SelectEntries({"a.htm"});
    Child<QToolButton>(form, "applyToolButton")
        ->click();  // Apply and OK are off after the first round
    EXPECT_EQ(ReadFile(start / "a.htm"), kPage);
    EXPECT_EQ(ReadFile(start / "a.htm~"), "old backup");
    EXPECT_EQ(FilesInFolder(), (std::set<std::string>{"a.htm", "a.htm~"}));
    EXPECT_TRUE(messages.information.empty());
    ASSERT_EQ(messages.errors.size(), 1u);
    EXPECT_EQ(messages.errors[0],
              "Файл «a.htm» не изменён: резервная копия «a.htm~» уже существует.");
    EXPECT_EQ(Child<PieGauge>(form, "gauge")->Progress(), 0);
  }
}

class CleanedFolderTest : public ApplyTest {
  void MakeStartFolder() override {
    WriteFile(start / "a.htm", "cleaned");
    WriteFile(start / "a.htm~", kPage);
    WriteFile(start / "b.htm", kPage);
  }
};

// Ctrl+A takes the backups too; Apply leaves each of them as it is, saying so.
TEST_F(CleanedFolderTest, SelectingAllNeverCleansABackup) {
  MainWindow& form = ShowMainWindow();
  auto* list = form.findChild<QListWidget*>("fileList");
  ASSERT_NE(list, nullptr);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  ASSERT_EQ(list->selectedItems().size(), 3);
  form.findChild<QAbstractButton*>("applyButton")->click();
  EXPECT_EQ(ReadFile(start / "a.htm~"), kPage);
  EXPECT_EQ(ReadFile(start / "a.htm"), "cleaned");
  EXPECT_EQ(ReadFile(start / "b.htm~"), kPage);
  EXPECT_EQ(FilesInFolder(), (std::set<std::string>{"a.htm", "a.htm~", "b.htm", "b.htm~"}));
  EXPECT_NE(std::find(messages.errors.begin(), messages.errors.end(),
                      "Файл «a.htm~» не изменён: это резервная копия «~», а резервные копии не "
                      "очищаются."),
            messages.errors.end());
}

class UnreadablePageTest : public ApplyTest {
  void MakeStartFolder() override {
    WriteFile(start / "a.htm", kPage);
    WriteFile(start / "b.htm", kPage);
    ::chmod((start / "b.htm").c_str(), 0);
  }
};

TEST_F(UnreadablePageTest, ReportsFileAccessDeniedAndLosesNothing) {
  MainWindow& form = ShowMainWindow();
  SelectEntries({"a.htm", "b.htm"});
  {
    // Root reads every file: the run goes without that power, in this thread.
    const WithoutFileCapabilities as_a_user;
    ASSERT_TRUE(as_a_user.active());
    Child<QPushButton>(form, "applyButton")->click();
  }
  EXPECT_EQ(messages.errors, std::vector<std::string>{"File access denied."});
  EXPECT_EQ(messages.information, std::vector<std::string>{kDone});
  EXPECT_FALSE(FileExists(start / "PL!__b.htm") || FileExists(start / "b.htm~"));
  EXPECT_TRUE(ApplyEnabled());  // the failure ends the run before the buttons
  EXPECT_FALSE(FileExists(start / "PL!__a.htm"));
  EXPECT_TRUE(FileExists(start / "a.htm~"));
  ::chmod((start / "b.htm").c_str(), 0644);
  EXPECT_EQ(ReadFile(start / "b.htm"), kPage);
}

class ByteTwentySixTest : public ApplyTest {
  void MakeStartFolder() override {
    WriteFile(start / "cut.htm", std::string("<p>before</p>\x1A<p>after</p>"));
    WriteFile(start / "lone.htm", std::string("<p>text</p>\x1A"));
  }
};

TEST_F(ByteTwentySixTest, APageWithTextAfterTheMarkStaysAndALoneFinalMarkIsCleaned) {
  MainWindow& form = ShowMainWindow();
  SelectEntries({"cut.htm", "lone.htm"});
  Child<QPushButton>(form, "applyButton")->click();
  EXPECT_EQ(ReadFile(start / "cut.htm"), std::string("<p>before</p>\x1A<p>after</p>"));
  EXPECT_FALSE(FileExists(start / "cut.htm~"));
  EXPECT_FALSE(FileExists(start / "PL!__cut.htm"));
  ASSERT_EQ(messages.errors.size(), 1u);
  EXPECT_EQ(messages.errors[0].rfind("Файл «cut.htm» не изменён: в нём есть символ с кодом 26", 0),
            0u);
  EXPECT_EQ(ReadFile(start / "lone.htm~"), std::string("<p>text</p>\x1A"));
  EXPECT_EQ(ReadFile(start / "lone.htm"), "<p>text</p>");
  EXPECT_EQ(messages.information, std::vector<std::string>{kDone});
}

class LinkReportTest : public ApplyTest {
  void MakeStartFolder() override {
    WriteFile(start / "links.htm",
              "<a href=\"http://a.example/x\">out</a> <a class=c href=\"#top\">up</a>");
  }
};

TEST_F(LinkReportTest, ReportsEachLinkUnderThePagesFullPath) {
  MainWindow& form = ShowMainWindow();
  Child<QCheckBox>(windows->settings_window, "checkLinksBox")->setChecked(true);
  link_check.available["http://a.example/x"] = true;
  SelectEntries({"links.htm"});
  Child<QPushButton>(form, "applyButton")->click();
  EXPECT_EQ(link_check.asked, std::vector<std::string>{"http://a.example/x"});
  EXPECT_EQ(messages.information, (std::vector<std::string>{"Вы подключены к интернету.", kDone}));
  EXPECT_EQ(ReadFile(start / "Ссылки.txt"), "\r\n           " + start / "links.htm" +
                                                " :\r\n\r\n"
                                                "ext  \"http://a.example/x\"     OK\r\n"
                                                "     \"#top\"\r\n");
}

// Counts the paint events of the link phase's panel, wherever they go.
class PanelPaints : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->objectName() == "linkPhasePanel") ++count;
    return false;
  }
  int count = 0;
};

TEST_F(LinkReportTest, CountsTheLinkPhaseInTheStatusBarWhileTheWindowRepaints) {
  MainWindow& form = ShowMainWindow();
  Child<QCheckBox>(windows->settings_window, "checkLinksBox")->setChecked(true);
  SelectEntries({"links.htm"});
  PanelPaints paints;
  QCoreApplication::instance()->installEventFilter(&paints);
  QString shown;
  bool queued_call_ran = false;
  link_check.while_checking_ahead = [&](LinkCheckProgress* progress) {
    ASSERT_NE(progress, nullptr);
    QMetaObject::invokeMethod(
        &form, [&] { queued_call_ran = true; }, Qt::QueuedConnection);
    progress->ShowLinkProgress(1, 2);
    const auto* panel = Child<QStatusBar>(form, "statusBar")->findChild<QLabel*>("linkPhasePanel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    shown = panel->text();
    progress->ShowLinkProgress(2, 2);
    EXPECT_FALSE(panel->isVisible());
  };
  Child<QPushButton>(form, "applyButton")->click();
  QCoreApplication::instance()->removeEventFilter(&paints);
  EXPECT_EQ(shown, "проверка ссылок: 1 из 2");
  EXPECT_TRUE(queued_call_ran);
  EXPECT_GT(paints.count, 0);
  EXPECT_EQ(link_check.checked_ahead, std::vector<std::string>{"http://a.example/x"});
  EXPECT_EQ(messages.information, (std::vector<std::string>{"Вы подключены к интернету.", kDone}));
}

}  // namespace
}  // namespace pelloran::testing

namespace pelloran::testing {
namespace {

class FivePagesTest : public ApplyTest {
  void MakeStartFolder() override {
    for (const char* name : {"p1.htm", "p2.htm", "p3.htm", "p4.htm", "p5.htm"})
      WriteFile(start / name, kPage);
    WriteFile(start / "p3.htm~", "an earlier backup");
  }
};

// Ticking "не показывать до конца прогона" in the first box: no box for the
// other pages, one summary at the end naming the page that was left.
TEST_F(FivePagesTest, TheQuietRunEndsWithOneSummaryNamingThePageLeft) {
  MainWindow& form = ShowMainWindow();
  SelectEntries({"p1.htm", "p2.htm", "p3.htm", "p4.htm", "p5.htm"});
  messages.offer_taken_at = 1;
  Child<QPushButton>(form, "okButton")->click();
  EXPECT_EQ(messages.offers, std::vector<std::string>{"не показывать до конца прогона"});
  ASSERT_EQ(messages.information.size(), 2u);
  EXPECT_EQ(messages.information[0], kDone);
  EXPECT_EQ(messages.information[1],
            "Очищено страниц: 4 из 5.\nНе очищены:\nФайл «p3.htm» не изменён: резервная копия "
            "«p3.htm~» уже существует.");
  EXPECT_TRUE(messages.errors.empty());
  EXPECT_EQ(ReadFile(start / "p3.htm~"), "an earlier backup");
  EXPECT_TRUE(FileExists(start / "p5.htm~"));
}

}  // namespace
}  // namespace pelloran::testing
