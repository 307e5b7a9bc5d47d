// The main window as a user meets it: start-up state, moving between the
// windows, the Apply/OK rule, the failure handler, F1 and the gauge.

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalBlocker>
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

TEST_F(MainWindowTest, FormCreateDisablesApplyAndOkUntilTheFirstShow) {
  TForm1& form = windows->Form1;
  EXPECT_FALSE(form.Button1->isEnabled());
  EXPECT_FALSE(form.Button3->isEnabled());
  EXPECT_TRUE(form.SpeedButton2->isEnabled());
  EXPECT_EQ(form.FileListBox1->count(), 0);  // the folder is read when first shown

  ShowMainWindow();
  EXPECT_TRUE(form.Button1->isEnabled());
  EXPECT_TRUE(form.Button3->isEnabled());
}

TEST_F(MainWindowTest, StartsWithOneWindowShowingTheStartFolder) {
  TForm1& form = ShowMainWindow();
  EXPECT_EQ(form.windowTitle(), "Pelloran");
  EXPECT_EQ(TestApplication().Title(), "Pelloran");
  EXPECT_EQ(TestApplication().HelpFile(), "help/HELP1.html");
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&form});
  EXPECT_EQ(windows->Form2.windowTitle(), "Удалить рекламу");
  EXPECT_EQ(windows->Form3.windowTitle(), "настройки");

  EXPECT_EQ(form.size(), QSize(825, 556));
  EXPECT_EQ(form.minimumSize(), form.maximumSize());
  EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);

  EXPECT_EQ(form.FileListBox1->Folder(), StartFolder());
  EXPECT_EQ(QDir::currentPath(), StartFolder());
  ASSERT_EQ(form.FileListBox1->count(), 1);
  EXPECT_EQ(form.FileListBox1->item(0)->text(), "page.htm");
  EXPECT_EQ(form.DirectoryListBox1->FolderAt(form.DirectoryListBox1->currentRow()), StartFolder());

  EXPECT_EQ(form.Gauge1->Progress(), 0);
  EXPECT_EQ(form.Gauge1->Text(), "0%");
  EXPECT_TRUE(form.SpeedButton8->isHidden());
  EXPECT_FALSE(form.SpeedButton8->isEnabled());
}

TEST_F(MainWindowTest, TwentyOneBoxesTickedAtStartInWindowAndModel) {
  TForm1& form = ShowMainWindow();
  std::vector<int> ticked;
  for (int number = 0; number <= kHighestBox; ++number) {
    QCheckBox* box = form.CheckBox(number);
    if (box == nullptr) continue;
    EXPECT_EQ(box->objectName(), QStringLiteral("CheckBox%1").arg(number));
    EXPECT_EQ(box->isChecked(), form.cleaning_options().IsTicked(number)) << number;
    if (box->isChecked()) ticked.push_back(number);
  }
  EXPECT_EQ(ticked, (std::vector<int>{1,  2,  4,  5,  7,  11, 12, 13, 14, 15, 18,
                                      25, 29, 41, 46, 49, 50, 51, 52, 53, 58}));
}

TEST_F(MainWindowTest, EveryDesignedControlIsThereByName) {
  TForm1& form = ShowMainWindow();
  for (const char* name : {"SpeedButton1",
                           "SpeedButton2",
                           "SpeedButton3",
                           "SpeedButton4",
                           "SpeedButton5",
                           "SpeedButton6",
                           "SpeedButton7",
                           "SpeedButton8",
                           "SpeedButton9",
                           "SpeedButton10",
                           "Label1",
                           "Label2",
                           "Label3",
                           "Label4",
                           "Label5",
                           "Label6",
                           "Gauge1",
                           "DriveComboBox1",
                           "DirectoryListBox1",
                           "FileListBox1",
                           "Splitter1",
                           "GroupBox1",
                           "GroupBox2",
                           "BitBtn1",
                           "Button1",
                           "Button2",
                           "Button3",
                           "StatusBar1",
                           "PopupMenu1"}) {
    EXPECT_NE(form.findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
  }
  EXPECT_EQ(form.findChildren<QCheckBox*>().size(), 58);
  EXPECT_EQ(form.GroupBox2->findChildren<QCheckBox*>().size(), 4);
  EXPECT_EQ(form.Button1->geometry(), QRect(584, 512, 89, 25));
  EXPECT_EQ(form.CheckBox(11)->geometry(), QRect(144, 160, 209, 17));
  EXPECT_EQ(form.CheckBox(18)->toolTip(),
            "данные дескрипторы позволяют применять к конкретным элементам атрибуты "
            "форматирования текста");
  const QList<QAction*> items = form.PopupMenu1->actions();
  ASSERT_EQ(items.size(), 6);
  EXPECT_EQ(items[3]->objectName(), "notepadexe1");
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
      EXPECT_EQ(fitted.Form1.size(), QSize(825, 556));
    } else {
      EXPECT_GT(fitted.Form1.width(), 825 * 3 / 2);
    }
    for (QWidget* window :
         std::initializer_list<QWidget*>{&fitted.Form1, &fitted.Form2, &fitted.Form3}) {
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
  TForm1& form = ShowMainWindow();
  QApplication::setActiveWindow(&form);
  std::vector<QWidget*> boxes[2];
  for (const BoxDesign& design : CleaningOptions::Designs())
    boxes[design.frame == BoxFrame::kProperties].push_back(form.CheckBox(design.number));
  const std::vector<std::pair<QWidget*, QWidget*>> steps{
      {form.SpeedButton1, form.SpeedButton4},
      {form.SpeedButton10, form.SpeedButton2},
      {form.SpeedButton3, form.DriveComboBox1},
      {form.DirectoryListBox1, form.FileListBox1},
      {form.FileListBox1, form.SpeedButton6},
      {form.SpeedButton7, boxes[0].front()},
      {boxes[0].back(), boxes[1].front()},
      {boxes[1].back(), form.BitBtn1},
      {form.BitBtn1, form.Button1},
      {form.Button1, form.Button3},
      {form.Button3, form.Button2},
      {form.Button2, form.SpeedButton1},
  };
  for (const auto& [from, to] : steps)
    EXPECT_EQ(AfterTab(from), to) << from->objectName().toStdString();
}

TEST_F(MainWindowTest, SideWindowsTakeTheMainWindowsPlaceAndLeadBack) {
  TForm1& form = ShowMainWindow();
  form.CheckBox(6)->setChecked(true);

  form.SpeedButton1->click();
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&windows->Form2});
  windows->Form2.Button2->click();  // "выйти"
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&form});

  form.BitBtn1->click();
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&windows->Form3});
  windows->Form3.Button1->click();  // "OK"
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&form});

  // The main window kept its state while hidden.
  EXPECT_TRUE(form.CheckBox(6)->isChecked());
  EXPECT_EQ(form.FileListBox1->count(), 1);
}

TEST_F(MainWindowTest, ClosingASideWindowGoesBackInsteadOfLeavingNoWindow) {
  TForm1& form = ShowMainWindow();
  form.SpeedButton1->click();
  EXPECT_TRUE(windows->Form2.close() == false);               // the close request is turned down...
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&form});  // ...and leads back

  form.BitBtn1->click();
  windows->Form3.close();
  EXPECT_EQ(VisibleWindows(), std::vector<QWidget*>{&form});
  EXPECT_FALSE(windows->Form2.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(windows->Form3.windowFlags() & Qt::WindowSystemMenuHint);
}

TEST_F(MainWindowTest, RelativeLinkSwitchSitsUnderTheFirstClearAndIsReadLive) {
  TForm1& form = ShowMainWindow();
  const QCheckBox* first = windows->Form3.CheckBox1;
  QCheckBox* box = windows->Form3.CheckBox2;
  EXPECT_EQ(box->text().replace('\n', ' '), "проверять относительные ссылки как файлы");
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(box->x(), first->x());
  EXPECT_EQ(box->width(), first->width());
  EXPECT_GT(box->y(), first->geometry().bottom());
  EXPECT_LT(box->geometry().bottom(), windows->Form3.Button1->y());
  EXPECT_GE(box->width(), box->sizeHint().width());  // the caption is not cut
  EXPECT_GE(box->height(), box->sizeHint().height());
  box->setChecked(true);
  EXPECT_TRUE(form.clean_context().options.IsLocalLinkCheckingOn());
  box->setChecked(false);
  EXPECT_FALSE(form.clean_context().options.IsLocalLinkCheckingOn());
}

TEST_F(MainWindowTest, OfficeSwitchSitsUnderTheLinkSwitchesClearWithItsOwnHelpAndIsReadLive) {
  TForm1& form = ShowMainWindow();
  QCheckBox* box = windows->Form3.CheckBox3;
  EXPECT_EQ(box->text(), "служебная разметка Office");
  EXPECT_FALSE(box->isChecked());
  EXPECT_EQ(box->x(), windows->Form3.CheckBox2->x());
  EXPECT_GT(box->y(), windows->Form3.CheckBox2->geometry().bottom());
  EXPECT_LT(box->geometry().bottom(), windows->Form3.Button1->y());
  EXPECT_GE(box->width(), box->sizeHint().width());
  EXPECT_EQ(HelpContextOf(box), kOfficeMarkupHelp);
  EXPECT_NE(HelpContextOf(box), HelpContextOf(windows->Form3.CheckBox1));
  const Options& seen = form.clean_context().options;
  EXPECT_FALSE(seen.IsOfficeMarkupDropped());
  box->setChecked(true);
  EXPECT_TRUE(seen.IsOfficeMarkupDropped());
  box->setChecked(false);
  EXPECT_FALSE(seen.IsOfficeMarkupDropped());
}

TEST_F(MainWindowTest, SettingsSwitchIsReadLiveByTheEngine) {
  TForm1& form = ShowMainWindow();
  const Options& seen = form.clean_context().options;
  EXPECT_FALSE(seen.IsLinkCheckingOn());
  windows->Form3.CheckBox1->setChecked(true);
  EXPECT_TRUE(seen.IsLinkCheckingOn());
  const QSignalBlocker quiet(windows->Form3.CheckBox1);
  windows->Form3.CheckBox1->setChecked(false);
  EXPECT_FALSE(seen.IsLinkCheckingOn());
  form.CheckBox(17)->setChecked(true);
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
  TForm1& form = ShowMainWindow();
  EXPECT_TRUE(EventLoopEnds([&] { form.Button2->click(); }));
  ShowMainWindow();
  EXPECT_TRUE(EventLoopEnds([&] { form.SpeedButton3->click(); }));
  ShowMainWindow();
  EXPECT_TRUE(EventLoopEnds([&] { form.close(); }));
}

TEST_F(MainWindowTest, ApplyAndOkComeBackOnEveryReadingAndEveryClickInTheList) {
  TForm1& form = ShowMainWindow();
  const auto disable = [&] {
    form.Button1->setEnabled(false);
    form.Button3->setEnabled(false);
  };
  disable();
  form.SpeedButton2->click();
  EXPECT_FALSE(form.Button1->isEnabled());  // Apply itself changes nothing here

  form.FileListBox1->ReadFolder();
  EXPECT_TRUE(form.Button1->isEnabled());
  EXPECT_TRUE(form.Button3->isEnabled());

  disable();
  const QRect first = form.FileListBox1->visualItemRect(form.FileListBox1->item(0));
  QTest::mouseClick(form.FileListBox1->viewport(), Qt::LeftButton, {}, first.center());
  EXPECT_TRUE(form.Button1->isEnabled());
  EXPECT_TRUE(form.Button3->isEnabled());
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
  TForm1& form = ShowMainWindow();
  // The folder vanishes between its listing and the user's choice of it.
  std::filesystem::remove(start.path() / "sub");
  const int line = form.DirectoryListBox1->count() - 1;
  ASSERT_EQ(form.DirectoryListBox1->FolderAt(line), QDir(StartFolder()).filePath("sub"));
  emit form.DirectoryListBox1->itemActivated(form.DirectoryListBox1->item(line));

  EXPECT_EQ(messages.errors, std::vector<std::string>{"File not found."});
  EXPECT_TRUE(messages.information.empty());
  EXPECT_EQ(form.FileListBox1->Folder(), StartFolder());  // the browser stays where it was
  EXPECT_EQ(QDir::currentPath(), StartFolder());
}

TEST_F(MainWindowTest, F1ShowsTheTopicOfTheFocusedControlOrItsFrame) {
  TForm1& form = ShowMainWindow();
  QTest::keyClick(form.CheckBox(30), Qt::Key_F1);  // a property box
  QTest::keyClick(form.CheckBox(28), Qt::Key_F1);  // inside the property frame
  QTest::keyClick(form.FileListBox1, Qt::Key_F1);
  QTest::keyClick(form.Button3, Qt::Key_F1);
  QTest::keyClick(form.CheckBox(17), Qt::Key_F1);  // "Устранить:" carries none
  QTest::keyClick(form.CheckBox(29), Qt::Key_F1);
  QTest::keyClick(form.DriveComboBox1, Qt::Key_F1);       // none
  QTest::keyClick(windows->Form3.CheckBox1, Qt::Key_F1);  // the settings window's own
  QTest::keyClick(windows->Form2.Edit1, Qt::Key_F1);
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
  TForm1& form = ShowMainWindow();
  ProgressGauge& gauge = form.gauge();
  PaintCounter counter;
  form.Gauge1->installEventFilter(&counter);

  gauge.SetProgress(150);
  EXPECT_EQ(gauge.Progress(), 100);
  EXPECT_EQ(counter.paints, 1);  // drawn at once, no event processed in between
  gauge.AddProgress(-75);
  EXPECT_EQ(gauge.Progress(), 25);
  EXPECT_EQ(form.Gauge1->Text(), "25%");
  EXPECT_EQ(counter.paints, 2);
  gauge.AddProgress(-80);
  EXPECT_EQ(gauge.Progress(), 0);
}

TEST_F(MainWindowTest, GaugeDrawsTheProgressAsALimeSectorFromTheTop) {
  TForm1& form = ShowMainWindow();
  form.gauge().SetProgress(25);
  const QImage picture = form.Gauge1->grab().toImage();
  // Upper right quarter: progress. Upper left and lower left: the rest.
  EXPECT_EQ(picture.pixelColor(24, 8), QColor(0, 255, 0));
  EXPECT_EQ(picture.pixelColor(8, 8), QColor(Qt::yellow));
  EXPECT_EQ(picture.pixelColor(8, 24), QColor(Qt::yellow));
  form.gauge().SetProgress(0);
  EXPECT_EQ(form.Gauge1->grab().toImage().pixelColor(24, 8), QColor(Qt::yellow));
}

}  // namespace
}  // namespace pelloran::testing
