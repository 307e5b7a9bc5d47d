// The main window as a user meets it: start-up state, moving between the
// windows, the Apply/OK rule, the failure handler, F1 and the gauge.

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

#include "app/window_design.h"
#include "charfile/failure_text.h"
#include "charfile/in_out_error.h"
#include "tests/app/gui_test_support.h"

namespace pelloran::testing {
namespace {

std::vector<QWidget*> VisibleWindows() {
  std::vector<QWidget*> visible;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible()) visible.push_back(widget);
  }
  return visible;
}

class MainWindowTest : public ProgramTest {
 protected:
  void MakeStartFolder() override {
    WriteFile(start / "page.htm", "<p>x</p>");
    std::filesystem::create_directory(start.path() / "sub");
  }
};

TEST_F(MainWindowTest, ApplyAndOkAreDisabledUntilTheFirstShow) {
  MainWindow& form = windows->main_window;
  EXPECT_FALSE(Child<QPushButton>(form, "applyButton")->isEnabled());
  EXPECT_FALSE(Child<QPushButton>(form, "okButton")->isEnabled());
  EXPECT_TRUE(Child<QToolButton>(form, "applyToolButton")->isEnabled());
  // The folder is read when first shown.
  EXPECT_EQ(Child<FileListBox>(form, "fileList")->count(), 0);

  ShowMainWindow();
  EXPECT_TRUE(Child<QPushButton>(form, "applyButton")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(form, "okButton")->isEnabled());
}

TEST_F(MainWindowTest, StartsWithOneWindowShowingTheStartFolder) {
  MainWindow& form = ShowMainWindow();
  EXPECT_EQ(form.windowTitle(), "Pelloran");
  EXPECT_EQ(TestApplication().Title(), "Pelloran");
  EXPECT_EQ(TestApplication().HelpFile(), "help/HELP1.html");
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&form});
  EXPECT_EQ(windows->advert_window.windowTitle(), "Удалить рекламу");
  EXPECT_EQ(windows->settings_window.windowTitle(), "настройки");

  EXPECT_EQ(form.size(), QSize(825, 556));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);

  EXPECT_EQ(Child<FileListBox>(form, "fileList")->Folder(), StartFolder());
  EXPECT_EQ(QDir::currentPath(), StartFolder());
  ASSERT_EQ(Child<FileListBox>(form, "fileList")->count(), 1);
  EXPECT_EQ(Child<FileListBox>(form, "fileList")->item(0)->text(), "page.htm");
  EXPECT_EQ(Child<DirectoryListBox>(form, "folderList")
                ->FolderAt(Child<DirectoryListBox>(form, "folderList")->currentRow()),
            StartFolder());

  EXPECT_EQ(Child<PieGauge>(form, "gauge")->Progress(), 0);
  EXPECT_EQ(Child<PieGauge>(form, "gauge")->Text(), "0%");
}

TEST_F(MainWindowTest, TwentyOneBoxesTickedAtStartInWindowAndModel) {
  MainWindow& form = ShowMainWindow();
  std::vector<int> ticked;
  for (int number = 0; number <= kHighestBox; ++number) {
    QCheckBox* box = form.OptionBox(number);
    if (box == nullptr) continue;
    EXPECT_EQ(box->objectName(), QStringLiteral("optionBox%1").arg(number));
    EXPECT_EQ(box->isChecked(), form.cleaning_options().IsTicked(number)) << number;
    if (box->isChecked()) ticked.push_back(number);
  }
  EXPECT_EQ(ticked, (std::vector<int>{1,  2,  4,  5,  7,  11, 12, 13, 14, 15, 18,
                                      25, 29, 41, 46, 49, 50, 51, 52, 53, 58}));
}

TEST_F(MainWindowTest, EveryDesignedControlIsThereByName) {
  MainWindow& form = ShowMainWindow();
  for (const char* name : {"advertButton",
                           "applyToolButton",
                           "closeToolButton",
                           "allPropertiesButton",
                           "skipImportsButton",
                           "deleteFilesButton",
                           "removeTildeButton",
                           "openInEditorButton",
                           "refreshButton",
                           "helpHintLabel",
                           "fontPropertiesLabel",
                           "colorPropertiesLabel",
                           "textPropertiesLabel",
                           "marginPropertiesLabel",
                           "classificationPropertiesLabel",
                           "gauge",
                           "driveSelector",
                           "folderList",
                           "fileList",
                           "separator",
                           "propertiesFrame",
                           "eliminationFrame",
                           "settingsButton",
                           "applyButton",
                           "closeButton",
                           "okButton",
                           "statusBar",
                           "fileContextMenu"}) {
    EXPECT_NE(form.findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
  }
  EXPECT_EQ(form.findChildren<QCheckBox*>().size(), 58);
  EXPECT_EQ(Child<QGroupBox>(form, "eliminationFrame")->findChildren<QCheckBox*>().size(), 4);
  EXPECT_EQ(Child<QPushButton>(form, "applyButton")->geometry(), QRect(584, 512, 89, 25));
  EXPECT_EQ(form.OptionBox(11)->geometry(), QRect(144, 160, 209, 17));
  EXPECT_EQ(form.OptionBox(18)->toolTip(),
            "данные дескрипторы позволяют применять к конкретным элементам атрибуты "
            "форматирования текста");
  const QList<QAction*> items = Child<QMenu>(form, "fileContextMenu")->actions();
  ASSERT_EQ(items.size(), 6);
  EXPECT_EQ(items[3]->objectName(), "openInEditorAction");
  EXPECT_EQ(items[3]->text(), "открыть в редакторе");
  EXPECT_EQ(items[4]->text(), "сравнить с копией");
  EXPECT_EQ(items[5]->text(), "восстановить из копии");
}

// Qt's own texts, such as a text field's menu, are Russian like the rest.
TEST_F(MainWindowTest, QtsOwnMenusSpeakRussian) {
  QLineEdit field;
  field.setText(QStringLiteral("x"));
  field.selectAll();
  const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
  QStringList texts;
  for (const QAction* action : menu->actions()) texts << action->text();
  EXPECT_TRUE(texts.join(' ').contains(QStringLiteral("Копировать")))
      << texts.join(' ').toStdString();
}

// Every caption and default text of the three windows shows whole, at the
// design's font in the design's size and at 13 points in larger windows.
TEST_F(MainWindowTest, CaptionsShowWholeAtTheDesignFontAndAt13Points) {
  for (const double points : {kDesignFontPoints, 13.0}) {
    SCOPED_TRACE(points);
    FontScale() = points / kDesignFontPoints;
    TestApplication().setFont(DesignFont(kDefaultFontPixels));
    ProgramWindows fitted(messages, link_check);
    if (points == kDesignFontPoints) {
      EXPECT_EQ(fitted.main_window.size(), QSize(825, 556));
    } else {
      EXPECT_GT(fitted.main_window.width(), 825 * 3 / 2);
    }
    for (QWidget* window : std::initializer_list<QWidget*>{
             &fitted.main_window, &fitted.advert_window, &fitted.settings_window}) {
      for (QWidget* control : window->findChildren<QWidget*>()) {
        const auto* edit = qobject_cast<QLineEdit*>(control);
        const auto* box = qobject_cast<QCheckBox*>(control);
        const int needed =
            edit != nullptr ? edit->fontMetrics().horizontalAdvance(edit->text()) + 8
            : box != nullptr
                ? box->fontMetrics().boundingRect(QRect(), 0, box->text()).width() + 13 + 4
            : qobject_cast<QPushButton*>(control) ? control->fontMetrics().horizontalAdvance(
                                                        static_cast<QPushButton*>(control)->text())
            : qobject_cast<QLabel*>(control) ? control->sizeHint().width()
                                             : 0;
        if (needed == 0 || control->isHidden() || control->parentWidget() == nullptr) continue;
        EXPECT_LE(needed, control->width()) << control->objectName().toStdString();
        EXPECT_LE(control->geometry().right(), control->parentWidget()->width())
            << control->objectName().toStdString();
      }
    }
  }
  FontScale() = 1;
  TestApplication().setFont(DesignFont(kDefaultFontPixels));
}

// Where Tab moves the keyboard focus from a control.
QWidget* AfterTab(QWidget* from) {
  from->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(from, Qt::Key_Tab);
  return QApplication::focusWidget();
}

// Every button is reached, in the order the window reads: the tool row, the
// browser with its buttons, the boxes, the button row; the stop button only
// while it can be pressed.
TEST_F(MainWindowTest, TabOrderFollowsTheLayout) {
  MainWindow& form = ShowMainWindow();
  QApplication::setActiveWindow(&form);
  std::vector<QWidget*> boxes[2];
  for (const BoxDesign& design : CleaningOptions::Designs())
    boxes[design.frame == BoxFrame::kProperties].push_back(form.OptionBox(design.number));
  const std::vector<std::pair<QWidget*, QWidget*>> steps{
      {Child<QToolButton>(form, "advertButton"), Child<QToolButton>(form, "allPropertiesButton")},
      {Child<QToolButton>(form, "refreshButton"), Child<QToolButton>(form, "applyToolButton")},
      {Child<QToolButton>(form, "closeToolButton"), Child<DriveComboBox>(form, "driveSelector")},
      {Child<DirectoryListBox>(form, "folderList"), Child<FileListBox>(form, "fileList")},
      {Child<FileListBox>(form, "fileList"), Child<QToolButton>(form, "deleteFilesButton")},
      {Child<QToolButton>(form, "removeTildeButton"), boxes[0].front()},
      {boxes[0].back(), boxes[1].front()},
      {boxes[1].back(), Child<QPushButton>(form, "settingsButton")},
      {Child<QPushButton>(form, "settingsButton"), Child<QPushButton>(form, "applyButton")},
      {Child<QPushButton>(form, "applyButton"), Child<QPushButton>(form, "okButton")},
      {Child<QPushButton>(form, "okButton"), Child<QPushButton>(form, "closeButton")},
      {Child<QPushButton>(form, "closeButton"), Child<QToolButton>(form, "advertButton")},
  };
  for (const auto& [from, to] : steps)
    EXPECT_EQ(AfterTab(from), to) << from->objectName().toStdString();
}

TEST_F(MainWindowTest, SideWindowsTakeTheMainWindowsPlaceAndLeadBack) {
  MainWindow& form = ShowMainWindow();
  form.OptionBox(6)->setChecked(true);

  Child<QToolButton>(form, "advertButton")->click();
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&windows->advert_window});
  Child<QPushButton>(windows->advert_window, "exitButton")->click();  // "выйти"
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&form});

  Child<QPushButton>(form, "settingsButton")->click();
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&windows->settings_window});
  Child<QPushButton>(windows->settings_window, "okButton")->click();  // "OK"
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&form});

  // The main window kept its state while hidden.
  EXPECT_TRUE(form.OptionBox(6)->isChecked());
  EXPECT_EQ(Child<FileListBox>(form, "fileList")->count(), 1);
}

TEST_F(MainWindowTest, ClosingASideWindowGoesBackInsteadOfLeavingNoWindow) {
  MainWindow& form = ShowMainWindow();
  Child<QToolButton>(form, "advertButton")->click();
  EXPECT_TRUE(windows->advert_window.close() == false);       // the close request is turned down...
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&form});  // ...and leads back

  Child<QPushButton>(form, "settingsButton")->click();
  windows->settings_window.close();
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&form});
  EXPECT_FALSE(windows->advert_window.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(windows->settings_window.windowFlags() & Qt::WindowSystemMenuHint);
}

TEST_F(MainWindowTest, RelativeLinkSwitchSitsUnderTheFirstClearAndIsReadLive) {
  MainWindow& form = ShowMainWindow();
  const QCheckBox* first = Child<QCheckBox>(windows->settings_window, "checkLinksBox");
  QCheckBox* box = Child<QCheckBox>(windows->settings_window, "checkLocalLinksBox");
  EXPECT_EQ(box->text().replace('\n', ' '), "проверять относительные ссылки как файлы");
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(box->x(), first->x());
  EXPECT_EQ(box->width(), first->width());
  EXPECT_GT(box->y(), first->geometry().bottom());
  EXPECT_LT(box->geometry().bottom(),
            Child<QPushButton>(windows->settings_window, "okButton")->y());
  EXPECT_GE(box->width(), box->sizeHint().width());  // the caption is not cut
  EXPECT_GE(box->height(), box->sizeHint().height());
  box->setChecked(true);
  EXPECT_TRUE(form.clean_context().options.IsLocalLinkCheckingOn());
  box->setChecked(false);
  EXPECT_FALSE(form.clean_context().options.IsLocalLinkCheckingOn());
}

TEST_F(MainWindowTest, OfficeSwitchSitsUnderTheLinkSwitchesClearWithItsOwnHelpAndIsReadLive) {
  MainWindow& form = ShowMainWindow();
  QCheckBox* box = Child<QCheckBox>(windows->settings_window, "dropOfficeMarkupBox");
  EXPECT_EQ(box->text(), "служебная разметка Office");
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(box->x(), Child<QCheckBox>(windows->settings_window, "checkLocalLinksBox")->x());
  EXPECT_GT(box->y(),
            Child<QCheckBox>(windows->settings_window, "checkLocalLinksBox")->geometry().bottom());
  EXPECT_LT(box->geometry().bottom(),
            Child<QPushButton>(windows->settings_window, "okButton")->y());
  EXPECT_GE(box->width(), box->sizeHint().width());
  EXPECT_EQ(HelpContextOf(box), kOfficeMarkupHelp);
  EXPECT_NE(HelpContextOf(box),
            HelpContextOf(Child<QCheckBox>(windows->settings_window, "checkLinksBox")));
  const Options& seen = form.clean_context().options;
  EXPECT_FALSE(seen.IsOfficeMarkupDropped());
  box->setChecked(true);
  EXPECT_TRUE(seen.IsOfficeMarkupDropped());
  box->setChecked(false);
  EXPECT_FALSE(seen.IsOfficeMarkupDropped());
}

// One options model: the engine reads what the window's boxes and switches
// wrote into it.
TEST_F(MainWindowTest, SettingsSwitchWritesTheOptionsTheEngineReads) {
  MainWindow& form = ShowMainWindow();
  const Options& seen = form.clean_context().options;
  EXPECT_EQ(&seen, &form.cleaning_options());
  EXPECT_FALSE(seen.IsLinkCheckingOn());
  Child<QCheckBox>(windows->settings_window, "checkLinksBox")->setChecked(true);
  EXPECT_TRUE(seen.IsLinkCheckingOn());
  Child<QCheckBox>(windows->settings_window, "checkLinksBox")->setChecked(false);
  EXPECT_FALSE(seen.IsLinkCheckingOn());
  form.OptionBox(17)->setChecked(true);
  EXPECT_TRUE(seen.IsTicked(17));
  EXPECT_FALSE(seen.IsTicked(5));
}

// Runs the event loop until it ends or two seconds pass; true when it ended
// by itself.
bool EventLoopEnds(const std::function<void()>& action) {
  bool timed_out = false;
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, [&] {
    timed_out = true;
    QCoreApplication::exit(1);
  });
  limit.start(2000);
  QTimer::singleShot(0, action);
  const int status = QCoreApplication::exec();
  return !timed_out && status == 0;
}

TEST_F(MainWindowTest, CloseButtonsAndTheCloseBoxEndTheProgram) {
  MainWindow& form = ShowMainWindow();
  EXPECT_TRUE(EventLoopEnds([&] { Child<QPushButton>(form, "closeButton")->click(); }));
  ShowMainWindow();
  EXPECT_TRUE(EventLoopEnds([&] { Child<QToolButton>(form, "closeToolButton")->click(); }));
  ShowMainWindow();
  EXPECT_TRUE(EventLoopEnds([&] { form.close(); }));
}

TEST_F(MainWindowTest, ApplyAndOkComeBackOnEveryReadingAndEveryClickInTheList) {
  MainWindow& form = ShowMainWindow();
  const auto disable = [&] {
    Child<QPushButton>(form, "applyButton")->setEnabled(false);
    Child<QPushButton>(form, "okButton")->setEnabled(false);
  };
  disable();
  Child<QToolButton>(form, "applyToolButton")->click();
  EXPECT_FALSE(
      Child<QPushButton>(form, "applyButton")->isEnabled());  // Apply itself changes nothing here

  Child<FileListBox>(form, "fileList")->ReadFolder();
  EXPECT_TRUE(Child<QPushButton>(form, "applyButton")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(form, "okButton")->isEnabled());

  disable();
  const QRect first = Child<FileListBox>(form, "fileList")
                          ->visualItemRect(Child<FileListBox>(form, "fileList")->item(0));
  QTest::mouseClick(Child<FileListBox>(form, "fileList")->viewport(), Qt::LeftButton, {},
                    first.center());
  EXPECT_TRUE(Child<QPushButton>(form, "applyButton")->isEnabled());
  EXPECT_TRUE(Child<QPushButton>(form, "okButton")->isEnabled());
}

// An object whose every event fails, as a handler that lets a failure escape.
class FailingObject : public QObject {
 public:
  explicit FailingObject(std::function<void()> fail) : fail_(std::move(fail)) {}
  bool event(QEvent*) override {
    fail_();
    return true;
  }

 private:
  std::function<void()> fail_;
};

TEST_F(MainWindowTest, FailureHandlerShowsOnlyTheApologyForAConversionFailure) {
  ShowMainWindow();
  FailingObject failing([] { throw EConvertError("'abc' is not a valid integer value"); });
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&failing, &event);
  EXPECT_EQ(messages.information, std::vector<std::string>{kApology});
  EXPECT_TRUE(messages.errors.empty());
}

TEST_F(MainWindowTest, FailureHandlerShowsAFileErrorWithAFullStop) {
  MainWindow& form = ShowMainWindow();
  // The folder vanishes between its listing and the user's choice of it.
  std::filesystem::remove(start.path() / "sub");
  const int line = Child<DirectoryListBox>(form, "folderList")->count() - 1;
  ASSERT_EQ(Child<DirectoryListBox>(form, "folderList")->FolderAt(line),
            QDir(StartFolder()).filePath("sub"));
  emit Child<DirectoryListBox>(form, "folderList")
      ->itemActivated(Child<DirectoryListBox>(form, "folderList")->item(line));

  EXPECT_EQ(messages.errors, std::vector<std::string>{"File not found."});
  EXPECT_TRUE(messages.information.empty());
  EXPECT_EQ(Child<FileListBox>(form, "fileList")->Folder(),
            StartFolder());  // the browser stays where it was
  EXPECT_EQ(QDir::currentPath(), StartFolder());
}

TEST_F(MainWindowTest, F1ShowsTheTopicOfTheFocusedControlOrItsFrame) {
  MainWindow& form = ShowMainWindow();
  QTest::keyClick(form.OptionBox(30), Qt::Key_F1);  // a property box
  QTest::keyClick(form.OptionBox(28), Qt::Key_F1);  // inside the property frame
  QTest::keyClick(Child<FileListBox>(form, "fileList"), Qt::Key_F1);
  QTest::keyClick(Child<QPushButton>(form, "okButton"), Qt::Key_F1);
  QTest::keyClick(form.OptionBox(17), Qt::Key_F1);  // "Устранить:" carries none
  QTest::keyClick(form.OptionBox(29), Qt::Key_F1);
  QTest::keyClick(Child<DriveComboBox>(form, "driveSelector"), Qt::Key_F1);  // none
  QTest::keyClick(Child<QCheckBox>(windows->settings_window, "checkLinksBox"),
                  Qt::Key_F1);  // the settings window's own
  QTest::keyClick(Child<QLineEdit>(windows->advert_window, "startTextEdit"), Qt::Key_F1);
  const QString file = QStringLiteral("help/HELP1.html");
  EXPECT_EQ(help.topics, (std::vector<std::pair<QString, int>>{
                             {file, 8}, {file, 8}, {file, 7}, {file, 5}, {file, 1}, {file, 9}}));
}

TEST(HelpPage, TheHelpDocumentAtTheAnchorOfTheContextWhenItExists) {
  TempDir program;
  const QString folder = QString::fromStdString(program.path().string());
  EXPECT_FALSE(HelpPageUrl(QStringLiteral("help/HELP1.html"), 8, folder).has_value());

  std::filesystem::create_directory(program.path() / "help");
  WriteFile(program / "help/HELP1.html", "<html></html>");
  const std::optional<QUrl> url = HelpPageUrl(QStringLiteral("help/HELP1.html"), 8, folder);
  ASSERT_TRUE(url.has_value());
  EXPECT_EQ(url->toLocalFile(), folder + "/help/HELP1.html");
  EXPECT_EQ(url->fragment(), "8");
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

TEST_F(MainWindowTest, GaugeKeepsItsRangeAndRepaintsWithoutTheEventLoop) {
  MainWindow& form = ShowMainWindow();
  ProgressGauge& gauge = form.gauge();
  PaintCounter counter;
  Child<PieGauge>(form, "gauge")->installEventFilter(&counter);

  gauge.SetProgress(150);
  EXPECT_EQ(gauge.Progress(), 100);
  EXPECT_EQ(counter.paints, 1);  // drawn at once, no event processed in between
  gauge.AddProgress(-75);
  EXPECT_EQ(gauge.Progress(), 25);
  EXPECT_EQ(Child<PieGauge>(form, "gauge")->Text(), "25%");
  EXPECT_EQ(counter.paints, 2);
  gauge.AddProgress(-80);
  EXPECT_EQ(gauge.Progress(), 0);
}

TEST_F(MainWindowTest, GaugeDrawsTheProgressAsALimeSectorFromTheTop) {
  MainWindow& form = ShowMainWindow();
  form.gauge().SetProgress(25);
  const QImage picture = Child<PieGauge>(form, "gauge")->grab().toImage();
  // Upper right quarter: progress. Upper left and lower left: the rest.
  EXPECT_EQ(picture.pixelColor(24, 8), QColor(0, 255, 0));
  EXPECT_EQ(picture.pixelColor(8, 8), QColor(Qt::yellow));
  EXPECT_EQ(picture.pixelColor(8, 24), QColor(Qt::yellow));
  form.gauge().SetProgress(0);
  EXPECT_EQ(Child<PieGauge>(form, "gauge")->grab().toImage().pixelColor(24, 8), QColor(Qt::yellow));
}

}  // namespace
}  // namespace pelloran::testing
