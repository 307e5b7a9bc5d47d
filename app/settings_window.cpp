#include "app/settings_window.h"

#include "app/window_design.h"
#include "app/window_keys.h"

namespace pelloran {

TForm3::TForm3(QWidget* main_window)
    : SideWindow(main_window, QStringLiteral("настройки"), QSize(250, 162)) {
  setObjectName(QStringLiteral("Form3"));
  // The window's own controls carry no help context: F1 on them shows the window's.
  SetHelpContext(this, 1);

  CheckBox1 = new QCheckBox(QStringLiteral("проверять ссылки на доступность"), this);
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox1->setGeometry(24, 16, 201, 17);

  // The caption takes two lines to stay within the first switch's width.
  CheckBox2 = new QCheckBox(QStringLiteral("проверять относительные ссылки\nкак файлы"), this);
  CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
  CheckBox2->setGeometry(24, 40, 201, 32);

  // An elimination switch beside the main window's, with a topic of its own.
  CheckBox3 = new QCheckBox(QStringLiteral("служебная разметка Office"), this);
  CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
  CheckBox3->setGeometry(24, 80, 201, 17);
  CheckBox3->setToolTip(QStringLiteral(
      "устранить условные комментарии, теги o:, v:, w:, st1:, острова <xml> и объявления mso-, "
      "которые Word и Excel оставляют для себя"));
  SetHelpContext(CheckBox3, kOfficeMarkupHelp);

  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(8, 136, 233, 25);
  connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
  OnEnter(this, Button1);
  FitWindowToFont(this);
}

}  // namespace pelloran
