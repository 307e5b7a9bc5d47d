#pragma once

#include <cstddef>

#include "cleaner/run_state.h"
#include "interfaces/clean_context.h"

namespace pelloran {

class ClassTables;

// The most of a class or href value kept for the tables, the link check and
// the report (the first characters).
// The page itself always gets the whole value.
inline constexpr size_t kKeptValueCap = 4096;

// The first pass: copies the open context.input into the open
// context.working_copy until the input is at its end, reducing tags case by
// case. Steps the gauge at the start of every cycle; with link checking on,
// writes report lines to the open context.link_report. Throws EInOutError.
void RunTagFilter(CleanContext& context, ClassTables& tables, RunState& run);

}  // namespace pelloran
