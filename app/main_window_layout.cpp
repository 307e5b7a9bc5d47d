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

QIcon MainWindow::Picture(int standard_pixmap) const {
  return style()->standardIcon(static_cast<QStyle::StandardPixmap>(standard_pixmap));
}

void MainWindow::BuildToolRow() {
  advert_button_ =
      MakeToolButton(this, "advertButton", {0, 0, 33, 33}, QStringLiteral("удалить рекламу"),
                     Picture(QStyle::SP_TrashIcon), 9);
  all_properties_button_ = MakeToolButton(this, "allPropertiesButton", {40, 0, 33, 33},
                                          QStringLiteral("использовать все атрибуты"),
                                          Picture(QStyle::SP_DialogYesButton), 6);
  skip_imports_button_ = MakeToolButton(this, "skipImportsButton", {80, 0, 33, 33},
                                        QStringLiteral("удалить импортируемые стили"),
                                        Picture(QStyle::SP_DialogNoButton), 6);
  editor_button_ = MakeToolButton(this, "openInEditorButton", {120, 0, 33, 33},
                                  QStringLiteral("открыть файл в редакторе"),
                                  Picture(QStyle::SP_FileDialogContentsView), 6);
  refresh_button_ = MakeToolButton(this, "refreshButton", {160, 0, 33, 33},
                                   QStringLiteral("обновить список файлов"),
                                   Picture(QStyle::SP_BrowserReload), 0);
  apply_tool_button_ =
      MakeToolButton(this, "applyToolButton", {752, 0, 33, 33}, QStringLiteral("применить"),
                     Picture(QStyle::SP_DialogApplyButton), 6);
  close_tool_button_ =
      MakeToolButton(this, "closeToolButton", {792, 0, 33, 33}, QStringLiteral("закрыть"),
                     Picture(QStyle::SP_DialogCloseButton), 6);

  help_hint_label_ = new QLabel(QStringLiteral("Для справки нажмите F1"), this);
  help_hint_label_->setObjectName(QStringLiteral("helpHintLabel"));
  help_hint_label_->setFont(DesignFont(13));
  help_hint_label_->setGeometry(304, 8, 159, 16);
  SetHelpContext(help_hint_label_, 6);

  gauge_ = new PieGauge(this);
  gauge_->setObjectName(QStringLiteral("gauge"));
  gauge_->setGeometry(712, 0, 33, 33);
  SetHelpContext(gauge_, 80);
}

void MainWindow::BuildBrowser() {
  drive_selector_ = new DriveComboBox(ListDrives(), this);
  drive_selector_->setObjectName(QStringLiteral("driveSelector"));
  drive_selector_->setGeometry(0, 32, 345, 22);
  drive_selector_->setFont(DesignFont(13));
  drive_selector_->setToolTip(QStringLiteral("Выбеоите текущий диск"));

  folder_list_ = new DirectoryListBox(this);
  folder_list_->setObjectName(QStringLiteral("folderList"));
  folder_list_->setGeometry(0, 56, 345, 177);
  folder_list_->setToolTip(QStringLiteral("Выберите текущий каталог"));
  SetHelpContext(folder_list_, 2);

  file_list_ = new FileListBox(this);
  file_list_->setObjectName(QStringLiteral("fileList"));
  file_list_->setGeometry(0, 232, 313, 228);
  file_list_->setToolTip(QStringLiteral("Выберите файл"));
  SetHelpContext(file_list_, 7);

  delete_files_button_ =
      MakeToolButton(this, "deleteFilesButton", {312, 233, 33, 103},
                     QStringLiteral("Удалить выделенные файлы"), Picture(QStyle::SP_TrashIcon), 0);
  remove_tilde_button_ = MakeToolButton(this, "removeTildeButton", {312, 336, 33, 125},
                                        QStringLiteral("Удалить символ~из расширения"), QIcon(), 0);
  remove_tilde_button_->setText(QStringLiteral("~"));
  remove_tilde_button_->setFont(DesignFont(27));

  separator_ = new QFrame(this);
  separator_->setObjectName(QStringLiteral("separator"));
  separator_->setGeometry(346, 32, 12, 502);
  separator_->setAutoFillBackground(true);
  QPalette grey = separator_->palette();
  grey.setColor(QPalette::Window, Qt::gray);
  separator_->setPalette(grey);
}

QCheckBox* MainWindow::BuildBox(const BoxDesign& design, QGroupBox* frame) {
  auto* box = new QCheckBox(QString::fromUtf8(design.caption.data(), design.caption.size()), frame);
  box->setObjectName(QStringLiteral("optionBox%1").arg(design.number));
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

void MainWindow::BuildPropertyFrame() {
  properties_frame_ = new QGroupBox(QStringLiteral("Существенные атрибуты:"), this);
  properties_frame_->setObjectName(QStringLiteral("propertiesFrame"));
  properties_frame_->setGeometry(360, 32, 465, 473);
  SetHelpContext(properties_frame_, kPropertyHelp);
  MakeGroupLabel(properties_frame_, "fontPropertiesLabel", QStringLiteral("свойства шрифтов:"), 8,
                 16);
  MakeGroupLabel(properties_frame_, "colorPropertiesLabel",
                 QStringLiteral("свойства \"цвет\" и \"фон\":"), 8, 56);
  MakeGroupLabel(properties_frame_, "textPropertiesLabel", QStringLiteral("свойства текста:"), 8,
                 112);
  MakeGroupLabel(properties_frame_, "marginPropertiesLabel", QStringLiteral("свойства полей:"), 8,
                 184);
  MakeGroupLabel(properties_frame_, "classificationPropertiesLabel",
                 QStringLiteral("свойства-классификации:"), 8, 368);
  for (const BoxDesign& design : CleaningOptions::Designs()) {
    if (design.frame == BoxFrame::kProperties) BuildBox(design, properties_frame_);
  }
  OptionBox(kAllElementsBox)->installEventFilter(this);
}

void MainWindow::BuildEliminationFrame() {
  elimination_frame_ = new QGroupBox(QStringLiteral("Устранить:"), this);
  elimination_frame_->setObjectName(QStringLiteral("eliminationFrame"));
  elimination_frame_->setGeometry(0, 464, 345, 73);
  for (const BoxDesign& design : CleaningOptions::Designs()) {
    if (design.frame == BoxFrame::kElimination) BuildBox(design, elimination_frame_);
  }
}

void MainWindow::BuildButtonRow() {
  settings_button_ =
      MakeButton(this, "settingsButton", {368, 512, 113, 25}, QStringLiteral("настройки"), 5);
  apply_button_ =
      MakeButton(this, "applyButton", {584, 512, 89, 25}, QStringLiteral("применить"), 5);
  ok_button_ = MakeButton(this, "okButton", {680, 512, 41, 25}, QStringLiteral("OK"), 5);
  close_button_ = MakeButton(this, "closeButton", {728, 512, 91, 25}, QStringLiteral("закрыть"), 5);
  stop_button_ =
      MakeButton(this, "stopButton", {488, 512, 89, 25}, QStringLiteral("остановить"), 5);
  stop_button_->setToolTip(QStringLiteral("остановить прогон после текущей страницы (Esc)"));
  // Escape stops at once; a button's own shortcut would click it only later.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, [this] { RequestStop(); });
  stop_button_->setEnabled(false);
  // Enter presses the focused button, as in a dialog.
  for (QPushButton* button :
       {settings_button_, stop_button_, apply_button_, ok_button_, close_button_})
    button->setAutoDefault(true);
}

void MainWindow::BuildStatusBarAndMenu() {
  status_bar_ = new QStatusBar(this);
  status_bar_->setObjectName(QStringLiteral("statusBar"));
  status_bar_->setSizeGripEnabled(false);
  status_bar_->setGeometry(0, 537, 825, 19);
  SetHelpContext(status_bar_, 3);

  file_context_menu_ = new QMenu(this);
  file_context_menu_->setObjectName(QStringLiteral("fileContextMenu"));
  open_action_ = file_context_menu_->addAction(QStringLiteral("открыть"));
  open_action_->setObjectName(QStringLiteral("openAction"));
  delete_file_action_ = file_context_menu_->addAction(QStringLiteral("удалить файл"));
  delete_file_action_->setObjectName(QStringLiteral("deleteFileAction"));
  remove_tilde_action_ = file_context_menu_->addAction(QStringLiteral("удалить символ ~"));
  remove_tilde_action_->setObjectName(QStringLiteral("removeTildeAction"));
  open_in_editor_action_ = file_context_menu_->addAction(QStringLiteral("открыть в редакторе"));
  open_in_editor_action_->setObjectName(QStringLiteral("openInEditorAction"));
  compare_action_ = file_context_menu_->addAction(QStringLiteral("сравнить с копией"));
  compare_action_->setObjectName(QStringLiteral("compareWithCopyAction"));
  restore_action_ = file_context_menu_->addAction(QStringLiteral("восстановить из копии"));
  restore_action_->setObjectName(QStringLiteral("restoreFromCopyAction"));
}

// As the window reads: the tool row from left to right, the browser and its
// buttons from top to bottom, the elimination boxes below it, the property
// boxes on the right, then the button row from left to right.
void MainWindow::SetTabOrder() {
  std::vector<QWidget*> chain{advert_button_,     all_properties_button_, skip_imports_button_,
                              editor_button_,     refresh_button_,        apply_tool_button_,
                              close_tool_button_, drive_selector_,        folder_list_,
                              file_list_,         delete_files_button_,   remove_tilde_button_};
  for (BoxFrame frame : {BoxFrame::kElimination, BoxFrame::kProperties}) {
    for (const BoxDesign& design : CleaningOptions::Designs()) {
      if (design.frame == frame) chain.push_back(OptionBox(design.number));
    }
  }
  chain.insert(chain.end(),
               {settings_button_, stop_button_, apply_button_, ok_button_, close_button_});
  for (size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace pelloran
