// The main window's controls, one function per group, placed as designed.

#include <QShortcut>
#include <QStyle>

#include "app/box_places.h"
#include "app/main_window.h"
#include "app/window_design.h"
#include "tools/drives.h"

namespace pelloran {
namespace {

constexpr int kBoxHeight = 17;
constexpr int kPropertyHelp = 8;

QToolButton* MakeToolButton(QWidget* parent, const char* name, const QRect& place,
                            const QString& hint, const QIcon& picture, int help) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(place);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::TabFocus);  // reached with Tab, pressed with Space
  button->setToolTip(hint);
  button->setIcon(picture);
  button->setIconSize(QSize(20, 20));
  if (help > 0) SetHelpContext(button, help);
  return button;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QRect& place,
                        const QString& caption, int help) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(place);
  SetHelpContext(button, help);
  return button;
}

QLabel* MakeGroupLabel(QWidget* frame, const char* name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, frame);
  label->setObjectName(QString::fromLatin1(name));
  label->setAutoFillBackground(true);
  QPalette grey = label->palette();
  grey.setColor(QPalette::Window, Qt::lightGray);
  label->setPalette(grey);
  label->adjustSize();
  label->setProperty(kSizedByTextProperty, true);
  label->move(left, top);
  return label;
}

}  // namespace

QIcon TForm1::Picture(int standard_pixmap) const {
  return style()->standardIcon(static_cast<QStyle::StandardPixmap>(standard_pixmap));
}

void TForm1::BuildToolRow() {
  SpeedButton1 =
      MakeToolButton(this, "SpeedButton1", {0, 0, 33, 33}, QStringLiteral("удалить рекламу"),
                     Picture(QStyle::SP_TrashIcon), 9);
  SpeedButton4 = MakeToolButton(this, "SpeedButton4", {40, 0, 33, 33},
                                QStringLiteral("использовать все атрибуты"),
                                Picture(QStyle::SP_DialogYesButton), 6);
  SpeedButton5 = MakeToolButton(this, "SpeedButton5", {80, 0, 33, 33},
                                QStringLiteral("удалить импортируемые стили"),
                                Picture(QStyle::SP_DialogNoButton), 6);
  SpeedButton9 = MakeToolButton(this, "SpeedButton9", {120, 0, 33, 33},
                                QStringLiteral("открыть файл в редакторе"),
                                Picture(QStyle::SP_FileDialogContentsView), 6);
  SpeedButton10 = MakeToolButton(this, "SpeedButton10", {160, 0, 33, 33},
                                 QStringLiteral("обновить список файлов"),
                                 Picture(QStyle::SP_BrowserReload), 0);
  SpeedButton2 = MakeToolButton(this, "SpeedButton2", {752, 0, 33, 33}, QStringLiteral("применить"),
                                Picture(QStyle::SP_DialogApplyButton), 6);
  SpeedButton3 = MakeToolButton(this, "SpeedButton3", {792, 0, 33, 33}, QStringLiteral("закрыть"),
                                Picture(QStyle::SP_DialogCloseButton), 6);

  Label1 = new QLabel(QStringLiteral("Для справки нажмите F1"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setFont(DesignFont(13));
  Label1->setGeometry(304, 8, 159, 16);
  SetHelpContext(Label1, 6);

  Gauge1 = new PieGauge(this);
  Gauge1->setObjectName(QStringLiteral("Gauge1"));
  Gauge1->setGeometry(712, 0, 33, 33);
  SetHelpContext(Gauge1, 80);
}

void TForm1::BuildBrowser() {
  DriveComboBox1 = new DriveComboBox(ListDrives(), this);
  DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
  DriveComboBox1->setGeometry(0, 32, 345, 22);
  DriveComboBox1->setFont(DesignFont(13));
  DriveComboBox1->setToolTip(QStringLiteral("Выбеоите текущий диск"));

  DirectoryListBox1 = new DirectoryListBox(this);
  DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
  DirectoryListBox1->setGeometry(0, 56, 345, 177);
  DirectoryListBox1->setToolTip(QStringLiteral("Выберите текущий каталог"));
  SetHelpContext(DirectoryListBox1, 2);

  FileListBox1 = new FileListBox(this);
  FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
  FileListBox1->setGeometry(0, 232, 313, 228);
  FileListBox1->setToolTip(QStringLiteral("Выберите файл"));
  SetHelpContext(FileListBox1, 7);

  SpeedButton6 =
      MakeToolButton(this, "SpeedButton6", {312, 233, 33, 103},
                     QStringLiteral("Удалить выделенные файлы"), Picture(QStyle::SP_TrashIcon), 0);
  SpeedButton7 = MakeToolButton(this, "SpeedButton7", {312, 336, 33, 125},
                                QStringLiteral("Удалить символ~из расширения"), QIcon(), 0);
  SpeedButton7->setText(QStringLiteral("~"));
  SpeedButton7->setFont(DesignFont(27));
  SpeedButton8 = MakeToolButton(this, "SpeedButton8", {256, 304, 33, 49},
                                QStringLiteral("Открыть файл"), Picture(QStyle::SP_DirOpenIcon), 0);
  SpeedButton8->setEnabled(false);
  SpeedButton8->hide();

  Splitter1 = new QFrame(this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setGeometry(346, 32, 12, 502);
  Splitter1->setAutoFillBackground(true);
  QPalette grey = Splitter1->palette();
  grey.setColor(QPalette::Window, Qt::gray);
  Splitter1->setPalette(grey);
}

QCheckBox* TForm1::BuildBox(const BoxDesign& design, QGroupBox* frame) {
  auto* box = new QCheckBox(QString::fromUtf8(design.caption.data(), design.caption.size()), frame);
  box->setObjectName(QStringLiteral("CheckBox%1").arg(design.number));
  const BoxPlace place = PlaceOfBox(design.number);
  box->setGeometry(place.left, place.top, place.width, kBoxHeight);
  box->setChecked(options_.IsTicked(design.number));
  if (!design.hint.empty()) {
    box->setToolTip(QString::fromUtf8(design.hint.data(), design.hint.size()));
  }
  if (CleaningOptions::IsPropertyBox(design.number)) SetHelpContext(box, kPropertyHelp);
  boxes_[design.number] = box;
  return box;
}

void TForm1::BuildPropertyFrame() {
  GroupBox1 = new QGroupBox(QStringLiteral("Существенные атрибуты:"), this);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  GroupBox1->setGeometry(360, 32, 465, 473);
  SetHelpContext(GroupBox1, kPropertyHelp);
  Label2 = MakeGroupLabel(GroupBox1, "Label2", QStringLiteral("свойства шрифтов:"), 8, 16);
  Label3 =
      MakeGroupLabel(GroupBox1, "Label3", QStringLiteral("свойства \"цвет\" и \"фон\":"), 8, 56);
  Label4 = MakeGroupLabel(GroupBox1, "Label4", QStringLiteral("свойства текста:"), 8, 112);
  Label5 = MakeGroupLabel(GroupBox1, "Label5", QStringLiteral("свойства полей:"), 8, 184);
  Label6 = MakeGroupLabel(GroupBox1, "Label6", QStringLiteral("свойства-классификации:"), 8, 368);
  for (const BoxDesign& design : CleaningOptions::Designs()) {
    if (design.frame == BoxFrame::kProperties) BuildBox(design, GroupBox1);
  }
  CheckBox(kAllElementsBox)->installEventFilter(this);
}

void TForm1::BuildEliminationFrame() {
  GroupBox2 = new QGroupBox(QStringLiteral("Устранить:"), this);
  GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
  GroupBox2->setGeometry(0, 464, 345, 73);
  for (const BoxDesign& design : CleaningOptions::Designs()) {
    if (design.frame == BoxFrame::kElimination) BuildBox(design, GroupBox2);
  }
}

void TForm1::BuildButtonRow() {
  BitBtn1 = MakeButton(this, "BitBtn1", {368, 512, 113, 25}, QStringLiteral("настройки"), 5);
  Button1 = MakeButton(this, "Button1", {584, 512, 89, 25}, QStringLiteral("применить"), 5);
  Button3 = MakeButton(this, "Button3", {680, 512, 41, 25}, QStringLiteral("OK"), 5);
  Button2 = MakeButton(this, "Button2", {728, 512, 91, 25}, QStringLiteral("закрыть"), 5);
  StopButton = MakeButton(this, "StopButton", {488, 512, 89, 25}, QStringLiteral("остановить"), 5);
  StopButton->setToolTip(QStringLiteral("остановить прогон после текущей страницы (Esc)"));
  // Escape stops at once; a button's own shortcut would click it only later.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] { StopButtonClick(); });
  StopButton->setEnabled(false);
  // Enter presses the focused button, as in a dialog.
  for (QPushButton* button : {BitBtn1, StopButton, Button1, Button3, Button2})
    button->setAutoDefault(true);
}

void TForm1::BuildStatusBarAndMenu() {
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->setGeometry(0, 537, 825, 19);
  SetHelpContext(StatusBar1, 3);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  N1 = PopupMenu1->addAction(QStringLiteral("открыть"));
  N1->setObjectName(QStringLiteral("N1"));
  N2 = PopupMenu1->addAction(QStringLiteral("удалить файл"));
  N2->setObjectName(QStringLiteral("N2"));
  N3 = PopupMenu1->addAction(QStringLiteral("удалить символ ~"));
  N3->setObjectName(QStringLiteral("N3"));
  notepadexe1 = PopupMenu1->addAction(QStringLiteral("открыть в редакторе"));
  notepadexe1->setObjectName(QStringLiteral("notepadexe1"));
  CompareWithCopyItem = PopupMenu1->addAction(QStringLiteral("сравнить с копией"));
  CompareWithCopyItem->setObjectName(QStringLiteral("CompareWithCopyItem"));
  RestoreFromCopyItem = PopupMenu1->addAction(QStringLiteral("восстановить из копии"));
  RestoreFromCopyItem->setObjectName(QStringLiteral("RestoreFromCopyItem"));
}

// As the window reads: the tool row from left to right, the browser and its
// buttons from top to bottom, the elimination boxes below it, the property
// boxes on the right, then the button row from left to right.
void TForm1::SetTabOrder() {
  std::vector<QWidget*> chain{SpeedButton1,      SpeedButton4, SpeedButton5, SpeedButton9,
                              SpeedButton10,     SpeedButton2, SpeedButton3, DriveComboBox1,
                              DirectoryListBox1, FileListBox1, SpeedButton6, SpeedButton7};
  for (BoxFrame frame : {BoxFrame::kElimination, BoxFrame::kProperties}) {
    for (const BoxDesign& design : CleaningOptions::Designs()) {
      if (design.frame == frame) chain.push_back(CheckBox(design.number));
    }
  }
  chain.insert(chain.end(), {BitBtn1, StopButton, Button1, Button3, Button2});
  for (size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace pelloran
