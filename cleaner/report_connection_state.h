#pragma once

#include "interfaces/link_check.h"
#include "interfaces/messages.h"

namespace pelloran {

// Tells the user whether the machine is connected to the Internet, as a clean
// run with link checking on does before it creates its link report. The run
// goes on after either message.
void ReportConnectionState(LinkCheck& link_check, Messages& messages);

}  // namespace pelloran
