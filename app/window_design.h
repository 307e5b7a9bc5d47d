#pragma once

// Conventions every window of the program shares: the font the layouts were
// designed for, and the help context numbers that F1 looks up.

#include <QFont>
#include <QVariant>
#include <QWidget>

namespace pelloran {

// The layouts were measured for a narrow sans-serif face; Liberation Sans has
// those metrics, where the usual Linux default runs far wider than the
// check boxes' fixed widths.
inline QFont DesignFont(int pixel_size, bool bold = false) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(pixel_size);
  font.setBold(bold);
  return font;
}

inline constexpr int kDefaultFontPixels = 11;
inline constexpr char kHelpContextProperty[] = "helpContext";
inline constexpr int kOfficeMarkupHelp = 10;  // the settings window's Office switch

inline void SetHelpContext(QWidget* widget, int context) {
  widget->setProperty(kHelpContextProperty, context);
}

// The help context of the widget itself, or of the nearest enclosing widget
// that has one; 0 when none has.
inline int HelpContextOf(const QWidget* widget) {
  for (; widget != nullptr; widget = widget->parentWidget()) {
    const int context = widget->property(kHelpContextProperty).toInt();
    if (context > 0) return context;
  }
  return 0;
}

}  // namespace pelloran
