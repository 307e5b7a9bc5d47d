#pragma once

namespace pelloran {

// The boxes the engine reads by number; the property boxes it reads through
// the keep table, by the number that is also their declaration's slot.
inline constexpr int kHighestBox = 61;              // CheckBox1 ... CheckBox61
inline constexpr int kOverrideExceptTablesBox = 5;  // overriding on, tables untouched
inline constexpr int kOverrideBox = 17;             // "переопределение стилей"
inline constexpr int kDropSpansBox = 18;            // span tags are dropped
inline constexpr int kAllElementsBox = 28;          // "все элементы"
inline constexpr int kSkipImportsBox = 29;  // "импортирование стилей": @-rules skipped

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
  // With link checking on, are relative links checked as files beside the
  // page rather than on the web (the settings window's second switch)?
  virtual bool IsLocalLinkCheckingOn() const { return false; }
  // Does the first pass drop the markup Office programs leave for themselves
  // (the settings window's switch "служебная разметка Office")?
  virtual bool IsOfficeMarkupDropped() const { return false; }
};

// Is style overriding on, in either of its two forms?
inline bool IsStyleOverridingOn(const Options& options) {
  return options.IsTicked(kOverrideBox) || options.IsTicked(kOverrideExceptTablesBox);
}

}  // namespace pelloran
