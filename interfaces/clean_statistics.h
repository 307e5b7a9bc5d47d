#pragma once

// What the passes did to one page, counted as they go, for the batch
// command's report. The passes count only when the clean context carries a
// record; without one they do nothing extra.

#include <cstdint>
#include <string>
#include <vector>

#include "interfaces/link_check.h"

namespace pelloran {

// One link value met, with what its check found.
struct CheckedLink {
  std::string value;  // as the page gives it, without its quotes
  LinkOutcome outcome;
};

struct CleanStatistics {
  // The stylesheet filter, over every style element of the page.
  int64_t style_rules_read = 0;     // whole rules read (a rule cut off is not one)
  int64_t style_rules_written = 0;  // rules written after merging
  int64_t declarations_read = 0;    // "property: value" pieces in the blocks read
  int64_t declarations_kept = 0;    // declarations the ticked boxes kept

  // The tag filter.
  int64_t span_tags_dropped = 0;   // start and end tags
  int64_t tags_cut_to_class = 0;   // tags stripped to their class (style overriding)
  int64_t image_tags_reduced = 0;  // img tags cut to their source
  int64_t link_tags_reduced = 0;   // a tags cut to their href or name
  // With the Office switch on: bytes of Office markup left out.
  int64_t office_markup_bytes_dropped = 0;

  // The style override pass.
  int64_t paragraph_tags_bared = 0;  // <p ...> written as <p>
  int64_t unused_rules_dropped = 0;  // rules whose selectors no element uses
  int64_t override_rules_kept = 0;   // rules the pass wrote

  // The link check: every link value met, in page order.
  std::vector<CheckedLink> links;

  int64_t declarations_dropped() const {
    return declarations_read > declarations_kept ? declarations_read - declarations_kept : 0;
  }
};

}  // namespace pelloran
