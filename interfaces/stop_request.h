#pragma once

namespace pelloran {

// Lets the user stop a clean run. The run asks between pages and once more
// before a page's result takes the page's name; from the first yes on, the
// page in hand is left as it was (its working copy deleted) and no further
// page is started. Asking may let the window answer its user meanwhile.
class StopRequest {
 public:
  virtual ~StopRequest() = default;
  virtual bool IsStopRequested() = 0;
};

}  // namespace pelloran
