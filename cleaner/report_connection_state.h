#pragma once

#include <span>
#include <string>

#include "interfaces/link_check.h"
#include "interfaces/messages.h"

namespace pelloran {

// Tells the user whether the machine is connected to the Internet, as a clean
// run with link checking on does before its links are checked. The run goes
// on after either message.
void ReportConnectionState(LinkCheck& link_check, Messages& messages);

// The same, only when one of `link_values` (as the first pass hands them to
// the link check) names a web address: a run whose links stay on the machine
// (in-page targets, relative files, other schemes) asks no name server.
void ReportConnectionStateForLinks(std::span<const std::string> link_values, LinkCheck& link_check,
                                   Messages& messages);

}  // namespace pelloran
