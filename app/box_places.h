#pragma once

// Where the main window places each option box within its frame: left, top
// and width in design pixels (every box is 17 pixels high).

namespace pelloran {

struct BoxPlace {
  int left;
  int top;
  int width;
};

// The place of a box by its number; all zero for a number without a box.
BoxPlace PlaceOfBox(int number);

}  // namespace pelloran
