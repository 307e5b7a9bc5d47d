#pragma once

// The answer a link value of the page in hand gets, by what it names: a web
// address from the link check, an in-page link from the page's targets, a
// relative link from the files beside the page (when asked for), anything
// else not checked.

#include <string>

#include "cleaner/page_targets.h"
#include "interfaces/clean_context.h"
#include "interfaces/link_check.h"

namespace pelloran {

// `value` as the tag filter hands it over; `targets` are those of the page in
// context.input. Only a web address (http, https or "//host") reaches
// context.link_check, with `value` as it came; nothing else leaves the machine.
LinkOutcome CheckLinkValue(CleanContext& context, PageTargets& targets, const std::string& value);

}  // namespace pelloran
