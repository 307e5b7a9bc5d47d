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
// How much larger than the design's 8 points the user's font is: 1 at the
// design's font or a smaller one. Set once at start-up, before any window.
inline double& FontScale() {
  static double scale = 1;
  return scale;
}

inline QFont DesignFont(int pixel_size, bool bold = false) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(static_cast<int>(pixel_size * FontScale() + 0.5));
  font.setBold(bold);
  return font;
}

inline constexpr int kDefaultFontPixels = 11;
inline constexpr double kDesignFontPoints = 8;
// Set on a control whose size follows its text rather than the design.
inline constexpr char kSizedByTextProperty[] = "sizedByText";

// Grows a window laid out at the design's places by FontScale(): every
// control placed by hand moves and grows with the font, then widens where
// its caption still would not show whole. Nothing changes at scale 1.
void FitWindowToFont(QWidget* window);
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
