#pragma once

// The batch command's own words during a run, in Russian as the engine's
// page messages are, so that each stream speaks one language. The JSON
// report, the diff and --help stay in English: they are read by programs.

#include <cstdint>
#include <string>
#include <vector>

#include "batch/command_line.h"
#include "batch/json_report.h"

namespace pelloran {

// The count with its noun in the form the count asks for: `one` after 1, 21,
// 101; `few` after 2-4, 22-24; `many` after 0, 5-20, 25-30, 111-114.
std::string CountInRussian(int64_t count, const char* one, const char* few, const char* many);
// "1 байт", "2 байта", "5 байт".
std::string BytesInRussian(int64_t count);
// A dry run's line for a page its clean would not change:
// "не изменится: очистка ничего в нём не меняет (39 байт)".
std::string StaysUnchangedForecast(int64_t bytes);
// What the summary calls the pages of an outcome: "очищено", "пропущено"...
const char* OutcomeInRussian(PageOutcome outcome);

// The closing summary of a run: "очищено 1, не изменено 0, пропущено 0, с
// ошибкой 0", "было бы:" before it in a dry run.
std::string Summary(const std::vector<PageRecord>& records, const Command& command,
                    const LinkCounts& links);

}  // namespace pelloran
