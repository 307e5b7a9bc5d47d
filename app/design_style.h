#pragma once

#include <QProxyStyle>

namespace pelloran {

// Fusion with the check-box metrics the fixed layouts were measured for: a
// 13-pixel indicator and 4 pixels before the caption. Fusion's own 14 + 6
// would push the longest captions past their boxes.
class DesignStyle : public QProxyStyle {
 public:
  DesignStyle();
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
};

}  // namespace pelloran
