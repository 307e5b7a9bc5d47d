// "сравнить с копией" and "восстановить из копии" through the real main
// window on real files.

#include <QTextBlock>
#include <map>

#include "app/compare_window.h"
#include "cleaner/cleaned_mark.h"
#include "tests/app/gui_test_support.h"
#include "tools/file_list_ops.h"

namespace pelloran::testing {
namespace {

// "Привет, мир" in windows-1251, in a page that says so.
const std::string kRussianPage =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\n"
    "<style>\np.MsoNormal {font-size:12pt; color:red; margin:0}\n</style></head>\n"
    "<body><p class=MsoNormal style=\"color:blue\">\xcf\xf0\xe8\xe2\xe5\xf2, "
    "\xec\xe8\xf0</p></body></html>\n";

class CompareRestoreTest : public ProgramTest {
 protected:
  void MakeStartFolder() override {
    WriteFile(start / "a.htm", "<p>cleaned a</p>\n");
    MarkCleaned(start / "a.htm");  // as its clean left it
    WriteFile(start / "a.htm~", kRussianPage);
    WriteFile(start / "b.htm", kRussianPage);
  }
  void Pick(std::initializer_list<const char*> names) { SelectEntries(names, true); }
  // Every file of the start folder by name, with its bytes.
  std::map<std::string, std::string> Folder() const {
    std::map<std::string, std::string> files;
    for (const auto& item : std::filesystem::directory_iterator(start.path()))
      files[item.path().filename().string()] = ReadFile(item.path().string());
    return files;
  }
  CompareWindow& Compare(const char* name) {
    MainWindow& form = ShowMainWindow();
    Pick({name});
    Child<QAction>(form, "compareWithCopyAction")->trigger();
    EXPECT_TRUE(messages.errors.empty());
    return *form.compare_window();
  }
  // The background of the diff's first line that starts with `start`.
  static QColor LineBackground(const CompareWindow& window, const QString& start) {
    for (QTextBlock b = window.DiffView->document()->begin(); b.isValid(); b = b.next()) {
      if (b.text().startsWith(start)) return b.blockFormat().background().color();
    }
    return {};
  }
};

TEST_F(CompareRestoreTest, ComparesThePageWithItsCopyDecodedByItsCharset) {
  const auto before = Folder();
  CompareWindow& window = Compare("a.htm");
  ASSERT_TRUE(window.isVisible());
  EXPECT_TRUE(window.windowTitle().endsWith(QStringLiteral("a.htm")));
  EXPECT_TRUE(window.BeforeView->toPlainText().contains(QStringLiteral("Привет, мир")));
  EXPECT_TRUE(window.AfterView->toPlainText().contains(QStringLiteral("cleaned a")));
  EXPECT_EQ(window.Sizes->text(),
            QStringLiteral("было: %1 байт, стало: 17 байт").arg(kRussianPage.size()));
  const QString diff = window.DiffView->toPlainText();
  EXPECT_TRUE(diff.startsWith(QStringLiteral("--- a/a.htm\n+++ b/a.htm\n@@")));
  EXPECT_TRUE(diff.contains(QStringLiteral("Привет, мир")));
  EXPECT_EQ(LineBackground(window, QStringLiteral("-<body>")), QColor(255, 220, 220));
  EXPECT_EQ(LineBackground(window, QStringLiteral("+<p>cleaned")), QColor(215, 250, 215));
  EXPECT_EQ(Folder(), before);
}

// Without a copy, "стало" is what Apply makes of the page with the boxes as
// they stand, while the page, its folder and the class tables stay as they are.
TEST_F(CompareRestoreTest, WithoutACopyComparesWithWhatApplyWouldMake) {
  const auto before = Folder();
  windows->main_window.OptionBox(6)->setChecked(true);  // keep "color" too
  CompareWindow& window = Compare("b.htm");
  EXPECT_TRUE(window.SourceNote->text().startsWith(QStringLiteral("Копии «~» нет")));
  const QString diff = window.DiffView->toPlainText();
  EXPECT_TRUE(diff.contains(QStringLiteral("-p.MsoNormal {font-size:12pt; color:red; margin:0}")));
  EXPECT_TRUE(diff.contains(QStringLiteral("font-size:12pt; color:red")));
  EXPECT_TRUE(window.AfterView->toPlainText().contains(QStringLiteral("Привет, мир")));
  EXPECT_EQ(Folder(), before);
  EXPECT_TRUE(windows->main_window.class_tables().paragraph_classes().empty());
  EXPECT_TRUE(windows->main_window.class_tables().used_selectors().empty());

  // Apply then writes exactly what the view showed.
  const QString shown = window.AfterView->toHtml();
  Child<QPushButton>(windows->main_window, "applyButton")->click();
  EXPECT_NE(ReadFile(start / "b.htm"), kRussianPage);
  Child<QAction>(windows->main_window, "compareWithCopyAction")->trigger();
  EXPECT_EQ(window.AfterView->toHtml(), shown);
}

TEST_F(CompareRestoreTest, RestoresThePagesWithACopyAndNamesTheOneWithout) {
  MainWindow& form = ShowMainWindow();
  Pick({"a.htm", "b.htm"});
  Child<QAction>(form, "restoreFromCopyAction")->trigger();
  EXPECT_EQ(messages.questions, std::vector<std::string>{RestoreQuestion(1)});
  EXPECT_EQ(ReadFile(start / "a.htm"), kRussianPage);
  EXPECT_FALSE(FileExists(start / "a.htm~"));
  EXPECT_EQ(ReadFile(start / "b.htm"), kRussianPage);
  EXPECT_EQ(messages.errors, std::vector<std::string>{
                                 "Файл «b.htm» не восстановлен: резервной копии «b.htm~» нет."});
  EXPECT_EQ(Child<FileListBox>(form, "fileList")->selectedItems().size(), 2);
}

// A page edited since its clean is named in a question of its own; "Нет" keeps it.
TEST_F(CompareRestoreTest, AnEditedPageIsRestoredOnlyWhenTheUserSaysSo) {
  MainWindow& form = ShowMainWindow();
  WriteFile(start / "a.htm", "<p>cleaned a, then edited</p>\n");
  for (const bool answer : {false, true}) {
    messages.questions.clear();
    messages.confirm_answer = answer;
    Pick({"a.htm"});
    Child<QAction>(form, "restoreFromCopyAction")->trigger();
    ASSERT_EQ(messages.questions.size(), 1u);
    EXPECT_TRUE(messages.questions[0].starts_with("Файл «a.htm» не восстановлен: он не тот"));
    EXPECT_EQ(ReadFile(start / "a.htm"), answer ? kRussianPage : "<p>cleaned a, then edited</p>\n");
  }
  EXPECT_TRUE(messages.errors.empty());
}

TEST_F(CompareRestoreTest, RestoreAnsweredNoChangesNothing) {
  MainWindow& form = ShowMainWindow();
  const auto before = Folder();
  messages.confirm_answer = false;
  Pick({"a.htm", "a.htm~", "b.htm"});  // as Ctrl+A picks: a "~" file stands for its page
  Child<QAction>(form, "restoreFromCopyAction")->trigger();
  EXPECT_EQ(messages.questions, std::vector<std::string>{RestoreQuestion(1)});
  EXPECT_EQ(Folder(), before);
  EXPECT_TRUE(messages.errors.empty());  // "Нет" is no failure to report
}

TEST(PageCharset, TheDeclarationThenUtf8ThenWindows1251) {
  const struct {
    std::string page;
    QString text;
  } cases[] = {
      {"<meta charset=\"windows-1251\">\xcc\xe8\xf0", QStringLiteral("Мир")},
      {"<meta http-equiv=Content-Type content=\"text/html; charset=koi8-r\">\xed\xc9\xd2",
       QStringLiteral("Мир")},
      {"<meta charset=utf-8>\xd0\x9c\xd0\xb8\xd1\x80", QStringLiteral("Мир")},
      {"<p>\xd0\x9c\xd0\xb8\xd1\x80", QStringLiteral("Мир")},  // undeclared, valid UTF-8
      {"<p>\xcc\xe8\xf0", QStringLiteral("Мир")},              // undeclared single-byte
      {"\xef\xbb\xbf<meta charset=windows-1251>\xd0\x9c\xd0\xb8\xd1\x80",
       QStringLiteral("Мир")},  // the byte-order mark wins
      {"<meta charset=iso-8859-1>caf\xe9", QStringLiteral("café")},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(DecodePage(c.page).endsWith(c.text))
        << c.page << " gave " << DecodePage(c.page).toStdString();
  }
}

}  // namespace
}  // namespace pelloran::testing
