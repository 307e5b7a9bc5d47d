#pragma once

#include <cstdint>

#include "interfaces/progress_gauge.h"

namespace pelloran {

// The rule whose declarations take no step of the merge.
inline constexpr uint32_t kGaugeMergeRule = 600;

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
