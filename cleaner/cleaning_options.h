#pragma once

// The cleaning options without Qt: the 58 check boxes of the main window with
// their design values, and the rules that tick or clear boxes on the user's
// behalf. The main window drives one of these and mirrors it in its check
// boxes; the batch command uses one directly.

#include <array>
#include <functional>
#include <span>
#include <string_view>

#include "interfaces/options.h"

namespace pelloran {

// Which frame a box sits in.
enum class BoxFrame {
  kProperties,  // "Существенные атрибуты:" (the property boxes and "все элементы")
  kElimination,  // "Устранить:"
};

// The design of one box: number, frame, caption, hint (empty: none) and the
// state it has at start. Texts are UTF-8. Where the window places it is the
// window's own business (app/box_places.h).
struct BoxDesign {
  int number;
  BoxFrame frame;
  std::string_view caption;
  std::string_view hint;
  bool ticked_at_start;
};

class CleaningOptions : public Options {
 public:
  // Called after a box has really changed, before the box's own rule runs,
  // so an observer sees the changes in the order they happen.
  using ChangeObserver = std::function<void(int box, bool ticked)>;

  // Every box at its design value, link checking off, Office markup kept.
  CleaningOptions();

  // The 58 boxes in reading order, frame by frame.
  static std::span<const BoxDesign> Designs();
  // The design of a box, or nullptr for a number without a box.
  static const BoxDesign* DesignOf(int box);
  // The 53 property boxes in ascending order: the boxes "все элементы" ticks.
  static std::span<const int> PropertyBoxes();
  static bool IsPropertyBox(int box);

  bool IsTicked(int box) const override;
  bool IsLinkCheckingOn() const override { return link_checking_; }
  bool IsLocalLinkCheckingOn() const override { return local_link_checking_; }
  bool IsOfficeMarkupDropped() const override { return office_markup_dropped_; }

  // Ticks or clears a box as a click would. Only a real change counts: it
  // notifies the observer and then runs the box's rule (5 and 17 exclude each
  // other; ticking 28 ticks every property box). Setting a box to the state it
  // has does nothing. A number without a box is ignored.
  void SetTicked(int box, bool ticked);

  // The rule of "все элементы", run on its click and whenever it gains or
  // loses the keyboard focus: while box 28 is ticked, tick every property box.
  // Never clears anything.
  void ApplyAllElements();

  void SetLinkChecking(bool on) { link_checking_ = on; }
  void SetLocalLinkChecking(bool on) { local_link_checking_ = on; }
  void SetOfficeMarkupDropped(bool on) { office_markup_dropped_ = on; }
  void SetObserver(ChangeObserver observer) { observer_ = std::move(observer); }

 private:
  void RunRuleOf(int box);

  std::array<bool, kHighestBox + 1> ticked_{};
  bool link_checking_ = false;
  bool local_link_checking_ = false;
  bool office_markup_dropped_ = false;
  ChangeObserver observer_;
};

}  // namespace pelloran
