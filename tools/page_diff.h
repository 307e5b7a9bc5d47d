#pragma once

// The unified diff of a page before and after cleaning, as the batch command
// prints it and the window's compare view shows it.

#include <functional>
#include <string>
#include <string_view>

namespace pelloran {

// The unified diff from `before` to `after`: "--- " old_label and "+++ "
// new_label header lines, then hunks with `context_lines` lines of context.
// Lines are split at LF and written with their bytes as they are (a CR stays
// at the end of its line); a last line without LF is followed by
// "\ No newline at end of file". Empty when the texts are equal. Applied with
// `patch` to `before`, it gives `after` byte for byte.
std::string UnifiedDiff(std::string_view before, std::string_view after, std::string_view old_label,
                        std::string_view new_label, int context_lines = 3);

// The same diff handed to `put` piece by piece (the two header lines first,
// then each hunk's header and its lines), so that the diff of a large page
// never stands whole in memory. Nothing when the texts are equal.
using DiffSink = std::function<void(std::string_view)>;
void WriteUnifiedDiff(std::string_view before, std::string_view after, std::string_view old_label,
                      std::string_view new_label, const DiffSink& put, int context_lines = 3);

// The same diff between two files. The old one is read whole; the new one is
// read in blocks, twice (to compare, then to write the hunks' lines), so that
// the two pages never stand whole in memory together. Fails with EInOutError
// when a file cannot be read or the new one changes meanwhile; pieces already
// handed on are then no diff of either version.
void WriteUnifiedDiffOfFiles(const std::string& before_path, const std::string& after_path,
                             std::string_view old_label, std::string_view new_label,
                             const DiffSink& put, int context_lines = 3);

}  // namespace pelloran
