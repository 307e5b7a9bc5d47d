// Windows laid out by hand at the design's places, grown with the font.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "app/window_design.h"

namespace pelloran {
namespace {

int Scaled(int value) { return static_cast<int>(value * FontScale() + 0.5); }

// The widest line of a caption that may take several.
int TextWidth(const QWidget* control, const QString& text) {
  int widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n')))
    widest = std::max(widest, control->fontMetrics().horizontalAdvance(line));
  return widest;
}

// The width a control needs to show its caption, or its text, whole.
int WidthForText(QWidget* control) {
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    // The frame and the text margins on both sides, as QLineEdit draws them.
    return edit->fontMetrics().horizontalAdvance(edit->text()) + 12;
  }
  if (auto* box = qobject_cast<QCheckBox*>(control)) {
    // The box, the gap and the caption; the style's margins may stay hidden.
    const QStyle* style = box->style();
    return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
           style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box) +
           TextWidth(box, box->text());
  }
  if (auto* button = qobject_cast<QPushButton*>(control)) {
    // The caption and the bevel; the style's wish for a wider button is no cut.
    return TextWidth(button, button->text()) + 8;
  }
  if (qobject_cast<QLabel*>(control) != nullptr) return control->sizeHint().width();
  return 0;
}

void Place(QWidget* control) {
  const QRect design = control->geometry();
  if (FontScale() > 1) {
    control->setGeometry(Scaled(design.x()), Scaled(design.y()), Scaled(design.width()),
                         Scaled(design.height()));
    // A label sized by its own text takes the size of the larger text.
    if (control->property(kSizedByTextProperty).toBool()) control->adjustSize();
    if (auto* tool = qobject_cast<QToolButton*>(control))
      tool->setIconSize(QSize(Scaled(tool->iconSize().width()), Scaled(tool->iconSize().height())));
  }
  // Labels sized by their own text, and groups, keep their size.
  if (qobject_cast<QGroupBox*>(control) != nullptr) return;
  const int needed = WidthForText(control);
  if (needed > control->width()) control->resize(needed, control->height());
}

}  // namespace

void FitWindowToFont(QWidget* window) {
  // Only what the window places by hand: its own children and those of its
  // frames; a composite control arranges its own parts.
  for (QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (control->isWindow()) continue;
    Place(control);
    if (qobject_cast<QGroupBox*>(control) == nullptr) continue;
    for (QWidget* inner : control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) Place(inner);
  }
  if (FontScale() > 1 && window->minimumSize() == window->maximumSize()) {
    // Rounding must never leave a control standing out of the window.
    const QRect used = window->childrenRect();
    window->setFixedSize(std::max(Scaled(window->width()), used.right() + 1),
                         std::max(Scaled(window->height()), used.bottom() + 1));
  }
}

}  // namespace pelloran
