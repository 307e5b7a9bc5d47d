#pragma once

#include "interfaces/progress_gauge.h"

namespace pelloran {

// One step of the gauge, taken only while it stands below `cap`.
inline void StepGaugeBelow(ProgressGauge& gauge, int cap) {
  if (gauge.Progress() < cap) gauge.AddProgress(1);
}

// As many single steps below `cap` as it takes to reach it.
inline void RaiseGaugeTo(ProgressGauge& gauge, int cap) {
  const int progress = gauge.Progress();
  if (progress < cap) gauge.AddProgress(cap - progress);
}

}  // namespace pelloran
