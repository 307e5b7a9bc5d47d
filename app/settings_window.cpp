#include "app/settings_window.h"

#include "app/window_design.h"
#include "app/window_keys.h"

namespace pelloran {

SettingsWindow::SettingsWindow(QWidget* main_window, CleaningOptions& options)
    : SideWindow(main_window, QStringLiteral("настройки"), QSize(250, 162)) {
  setObjectName(QStringLiteral("settingsWindow"));
  // The window's own controls carry no help context: F1 on them shows the window's.
  SetHelpContext(this, 1);

  link_check_box_ = new QCheckBox(QStringLiteral("проверять ссылки на доступность"), this);
  link_check_box_->setObjectName(QStringLiteral("checkLinksBox"));
  link_check_box_->setGeometry(24, 16, 201, 17);

  // The caption takes two lines to stay within the first switch's width.
  local_link_box_ =
      new QCheckBox(QStringLiteral("проверять относительные ссылки\nкак файлы"), this);
  local_link_box_->setObjectName(QStringLiteral("checkLocalLinksBox"));
  local_link_box_->setGeometry(24, 40, 201, 32);

  // An elimination switch beside the main window's, with a topic of its own.
  office_markup_box_ = new QCheckBox(QStringLiteral("служебная разметка Office"), this);
  office_markup_box_->setObjectName(QStringLiteral("dropOfficeMarkupBox"));
  office_markup_box_->setGeometry(24, 80, 201, 17);
  office_markup_box_->setToolTip(QStringLiteral(
      "устранить условные комментарии, теги o:, v:, w:, st1:, острова <xml> и объявления mso-, "
      "которые Word и Excel оставляют для себя"));
  SetHelpContext(office_markup_box_, kOfficeMarkupHelp);

  connect(link_check_box_, &QCheckBox::toggled, this,
          [&options](bool on) { options.SetLinkChecking(on); });
  connect(local_link_box_, &QCheckBox::toggled, this,
          [&options](bool on) { options.SetLocalLinkChecking(on); });
  connect(office_markup_box_, &QCheckBox::toggled, this,
          [&options](bool on) { options.SetOfficeMarkupDropped(on); });

  ok_button_ = new QPushButton(QStringLiteral("OK"), this);
  ok_button_->setObjectName(QStringLiteral("okButton"));
  ok_button_->setGeometry(8, 136, 233, 25);
  connect(ok_button_, &QPushButton::clicked, this, &SettingsWindow::GoBack);
  OnEnter(this, ok_button_);
  FitWindowToFont(this);
}

}  // namespace pelloran
