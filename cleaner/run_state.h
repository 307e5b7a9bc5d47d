#pragma once

#include <string>

namespace pelloran {

// What one clean run (one click of Apply) carries from page to page.
struct RunState {
  bool handled_mark = false;   // set when a special tag case dealt with the last tag
  std::string dominant_class;  // set by the style override pass
};

}  // namespace pelloran
