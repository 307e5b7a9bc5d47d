#pragma once

#include <algorithm>

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

// A gauge nobody looks at, for runs without a window: it only keeps its value.
class UnseenGauge final : public ProgressGauge {
 public:
  void SetProgress(int value) override { value_ = std::clamp(value, 0, 100); }
  void AddProgress(int delta) override { SetProgress(value_ + delta); }
  int Progress() const override { return value_; }

 private:
  int value_ = 0;
};

}  // namespace pelloran
