#pragma once

#include <QWidget>

#include "interfaces/progress_gauge.h"

namespace pelloran {

// The progress gauge drawn as a disc: the progress a lime sector from the
// top, clockwise, the rest yellow, no border, the percentage in red in the
// middle. A change repaints at once, since the run that moves the gauge holds
// the GUI thread and no event would draw it until the run ends.
class PieGauge : public QWidget, public ProgressGauge {
  Q_OBJECT

 public:
  explicit PieGauge(QWidget* parent = nullptr);

  void SetProgress(int value) override;
  void AddProgress(int delta) override;
  int Progress() const override { return value_; }

  QString Text() const;  // "37%"

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int value_ = 0;
};

}  // namespace pelloran
