#pragma once

#include "cleaner/run_state.h"
#include "interfaces/clean_context.h"

namespace pelloran {

class ClassTables;

// The second pass, run when style overriding is on: finds the dominant
// paragraph class, reduces paragraph tags and drops unused style rules, from
// the open context.input into the open context.working_copy. Opening, closing
// and swapping the files is the caller's work. Throws EInOutError.
void RunStyleOverridePass(CleanContext& context, ClassTables& tables, RunState& run);

}  // namespace pelloran
