#pragma once

// Relative links checked as files: with that switch on, a link value that
// names no scheme is looked up beside the page instead of on the web.

#include <string_view>

namespace pelloran {

// Does the file or folder that the relative link `value` names exist,
// resolved against `folder` (empty: the current directory)? Query and
// fragment are cut off and %-escapes decoded first; nothing but the file
// system is asked.
bool RelativeTargetExists(std::string_view folder, std::string_view value);

}  // namespace pelloran
