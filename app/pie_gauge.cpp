#include "app/pie_gauge.h"

#include <QPainter>
#include <algorithm>

namespace pelloran {

PieGauge::PieGauge(QWidget* parent) : QWidget(parent) {}

void PieGauge::SetProgress(int value) {
  const int clamped = std::clamp(value, 0, 100);
  if (clamped == value_) return;
  value_ = clamped;
  if (isVisible()) repaint();
}

void PieGauge::AddProgress(int delta) { SetProgress(value_ + delta); }

QString PieGauge::Text() const { return QString::asprintf("%d%%", value_); }

void PieGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  const QRectF disc = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setBrush(Qt::yellow);
  painter.drawEllipse(disc);
  // Qt counts angles in sixteenths of a degree, anticlockwise from three o'clock.
  painter.setBrush(QColor(0, 255, 0));
  painter.drawPie(disc, 90 * 16, -value_ * 360 * 16 / 100);
  painter.setPen(Qt::red);
  painter.drawText(rect(), Qt::AlignCenter, Text());
}

}  // namespace pelloran
