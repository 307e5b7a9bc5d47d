#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "tools/side_window.h"

namespace pelloran {

// The advert-removal window "Удалить рекламу": the start and end texts of the
// block and the buttons "удалить" and "выйти". "выйти" leads back to the main
// window; what "удалить" does is connected by whoever owns the removal.
class TForm2 : public SideWindow {
  Q_OBJECT

 public:
  explicit TForm2(QWidget* main_window);

  // The default texts: the insides of the comments that open and close the
  // advert code of one service.
  static const QString kDefaultStartText;
  static const QString kDefaultEndText;

  QLabel* Label1;
  QLabel* Label2;
  QLineEdit* Edit1;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;
  QLineEdit* Edit2;
  QLabel* Label6;
  QPushButton* Button1;
  QPushButton* Button2;

  void Button2Click() { GoBack(); }

 private:
  struct MarkerRow {
    QLabel* caption;
    QLabel* open;
    QLineEdit* edit;
    QLabel* close;
  };
  MarkerRow BuildMarkerRow(int top, int first_label, const QString& caption, int edit_number,
                           const QString& text);
  void BuildButtons();
};

}  // namespace pelloran
