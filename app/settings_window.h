#pragma once

#include <QCheckBox>
#include <QPushButton>

#include "app/side_window.h"

namespace pelloran {

// The settings window "настройки": the link-checking switch, under it the
// switch that checks relative links as files, under those the switch that
// drops Office markup, and "OK", which leads back to the main window. The
// switches last while the program runs.
class TForm3 : public SideWindow {
  Q_OBJECT

 public:
  explicit TForm3(QWidget* main_window);

  QCheckBox* CheckBox1;  // "проверять ссылки на доступность", clear at start
  QCheckBox* CheckBox2;  // "проверять относительные ссылки как файлы", clear at start
  QCheckBox* CheckBox3;  // "служебная разметка Office", clear at start
  QPushButton* Button1;  // "OK"

  void Button1Click() { GoBack(); }
};

}  // namespace pelloran
