#pragma once

namespace pelloran {

// The progress gauge, 0 to 100. Implementations keep the value within that
// range and show a change at once (the run holds the GUI thread).
class ProgressGauge {
 public:
  virtual ~ProgressGauge() = default;
  virtual void SetProgress(int value) = 0;
  virtual void AddProgress(int delta) = 0;
  virtual int Progress() const = 0;
};

}  // namespace pelloran
