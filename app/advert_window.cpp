#include "app/advert_window.h"

#include <algorithm>

#include "app/window_design.h"
#include "app/window_keys.h"
#include "tools/advert_removal.h"

namespace pelloran {
namespace {

constexpr int kAdvertHelp = 9;

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int left, int top,
                  int font_pixels) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(DesignFont(font_pixels));
  label->adjustSize();
  label->move(left, top);
  return label;
}

}  // namespace

const QString AdvertWindow::kDefaultStartText =
    QString::fromUtf8(kDefaultAdvertStartText.data(), kDefaultAdvertStartText.size());
const QString AdvertWindow::kDefaultEndText =
    QString::fromUtf8(kDefaultAdvertEndText.data(), kDefaultAdvertEndText.size());

AdvertWindow::AdvertWindow(QWidget* main_window)
    : SideWindow(main_window, QStringLiteral("Удалить рекламу"), QSize(227, 97)) {
  setObjectName(QStringLiteral("advertWindow"));
  SetHelpContext(this, kAdvertHelp);
  start_row_ =
      BuildMarkerRow(0, QStringLiteral("start"), QStringLiteral("начало:   "), kDefaultStartText);
  end_row_ = BuildMarkerRow(40, QStringLiteral("end"), QStringLiteral("конец:"), kDefaultEndText);
  BuildButtons();
  setTabOrder(start_row_.edit, end_row_.edit);
  setTabOrder(end_row_.edit, remove_button_);
  setTabOrder(remove_button_, exit_button_);
  FitWindowToFont(this);
  MakeRoomForMarkers();
}

// The fields show the default markers whole: what stands right of them moves
// over, and the window grows by as much.
void AdvertWindow::MakeRoomForMarkers() {
  const int design_width = static_cast<int>(kMarkerEditWidth * FontScale() + 0.5);
  const int grown = std::max(start_row_.edit->width(), end_row_.edit->width()) - design_width;
  if (grown <= 0) return;
  for (QLineEdit* edit : {start_row_.edit, end_row_.edit})
    edit->resize(design_width + grown, edit->height());
  for (QLabel* label : {start_row_.close, end_row_.close})
    label->move(label->x() + grown, label->y());
  exit_button_->resize(exit_button_->width() + grown, exit_button_->height());
  setFixedSize(width() + grown, height());
}

// One line of the window: caption, "<", the text of a marker, ">".
AdvertWindow::MarkerRow AdvertWindow::BuildMarkerRow(int top, const QString& name,
                                                     const QString& caption, const QString& text) {
  MarkerRow row;
  row.caption = MakeLabel(this, name + QStringLiteral("CaptionLabel"), caption, 0, top, 16);
  row.open = MakeLabel(this, name + QStringLiteral("OpenLabel"), QStringLiteral("<"), 72, top, 20);
  row.edit = new QLineEdit(text, this);
  row.edit->setObjectName(name + QStringLiteral("TextEdit"));
  row.edit->setGeometry(88, top, kMarkerEditWidth, 21);
  SetHelpContext(row.edit, kAdvertHelp);
  row.close =
      MakeLabel(this, name + QStringLiteral("CloseLabel"), QStringLiteral(">"), 208, top, 20);
  return row;
}

void AdvertWindow::BuildButtons() {
  remove_button_ = new QPushButton(QStringLiteral("удалить"), this);
  remove_button_->setObjectName(QStringLiteral("removeAdvertButton"));
  remove_button_->setGeometry(0, 72, 113, 25);
  exit_button_ = new QPushButton(QStringLiteral("выйти"), this);
  exit_button_->setObjectName(QStringLiteral("exitButton"));
  exit_button_->setGeometry(112, 72, 115, 25);
  for (QPushButton* button : {remove_button_, exit_button_}) SetHelpContext(button, kAdvertHelp);
  connect(exit_button_, &QPushButton::clicked, this, &AdvertWindow::GoBack);
  OnEnter(this, remove_button_);
}

}  // namespace pelloran
