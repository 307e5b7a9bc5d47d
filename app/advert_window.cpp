#include "app/advert_window.h"

#include <algorithm>

#include "app/window_design.h"
#include "app/window_keys.h"
#include "tools/advert_removal.h"

namespace pelloran {
namespace {

constexpr int kAdvertHelp = 9;

QLabel* MakeLabel(QWidget* parent, int number, const QString& text, int left, int top,
                  int font_pixels) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QStringLiteral("Label%1").arg(number));
  label->setFont(DesignFont(font_pixels));
  label->adjustSize();
  label->move(left, top);
  return label;
}

}  // namespace

const QString TForm2::kDefaultStartText =
    QString::fromUtf8(kDefaultAdvertStartText.data(), kDefaultAdvertStartText.size());
const QString TForm2::kDefaultEndText =
    QString::fromUtf8(kDefaultAdvertEndText.data(), kDefaultAdvertEndText.size());

TForm2::TForm2(QWidget* main_window)
    : SideWindow(main_window, QStringLiteral("Удалить рекламу"), QSize(227, 97)) {
  setObjectName(QStringLiteral("Form2"));
  SetHelpContext(this, kAdvertHelp);
  const MarkerRow start = BuildMarkerRow(0, 1, QStringLiteral("начало:   "), 1, kDefaultStartText);
  const MarkerRow end = BuildMarkerRow(40, 4, QStringLiteral("конец:"), 2, kDefaultEndText);
  Label1 = start.caption;
  Label2 = start.open;
  Edit1 = start.edit;
  Label3 = start.close;
  Label4 = end.caption;
  Label5 = end.open;
  Edit2 = end.edit;
  Label6 = end.close;
  BuildButtons();
  setTabOrder(Edit1, Edit2);
  setTabOrder(Edit2, Button1);
  setTabOrder(Button1, Button2);
  FitWindowToFont(this);
  MakeRoomForMarkers();
}

// The fields show the default markers whole: what stands right of them moves
// over, and the window grows by as much.
void TForm2::MakeRoomForMarkers() {
  const int design_width = static_cast<int>(kMarkerEditWidth * FontScale() + 0.5);
  const int grown = std::max(Edit1->width(), Edit2->width()) - design_width;
  if (grown <= 0) return;
  for (QLineEdit* edit : {Edit1, Edit2}) edit->resize(design_width + grown, edit->height());
  for (QLabel* label : {Label3, Label6}) label->move(label->x() + grown, label->y());
  Button2->resize(Button2->width() + grown, Button2->height());
  setFixedSize(width() + grown, height());
}

// One line of the window: caption, "<", the text of a marker, ">".
TForm2::MarkerRow TForm2::BuildMarkerRow(int top, int first_label, const QString& caption,
                                         int edit_number, const QString& text) {
  MarkerRow row;
  row.caption = MakeLabel(this, first_label, caption, 0, top, 16);
  row.open = MakeLabel(this, first_label + 1, QStringLiteral("<"), 72, top, 20);
  row.edit = new QLineEdit(text, this);
  row.edit->setObjectName(QStringLiteral("Edit%1").arg(edit_number));
  row.edit->setGeometry(88, top, kMarkerEditWidth, 21);
  SetHelpContext(row.edit, kAdvertHelp);
  row.close = MakeLabel(this, first_label + 2, QStringLiteral(">"), 208, top, 20);
  return row;
}

void TForm2::BuildButtons() {
  Button1 = new QPushButton(QStringLiteral("удалить"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(0, 72, 113, 25);
  Button2 = new QPushButton(QStringLiteral("выйти"), this);
  Button2->setObjectName(QStringLiteral("Button2"));
  Button2->setGeometry(112, 72, 115, 25);
  for (QPushButton* button : {Button1, Button2}) SetHelpContext(button, kAdvertHelp);
  connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
  OnEnter(this, Button1);
}

}  // namespace pelloran
