#pragma once

namespace pelloran {

// The cleaning options as the engine sees them, read live: the engine asks at
// the moment a rule or a tag needs a box, never copies them before a run.
class Options {
 public:
  virtual ~Options() = default;
  // Is the main window's check box with this number ticked (CheckBox1 ... CheckBox61)?
  // A number without a box answers false.
  virtual bool IsTicked(int box) const = 0;
  // Is link checking switched on (the settings window's switch)?
  virtual bool IsLinkCheckingOn() const = 0;
};

}  // namespace pelloran
