#pragma once

// Relative links checked as files: with that switch on, a link value that
// names no scheme is looked up beside the page instead of on the web.

#include <string>
#include <string_view>

#include "interfaces/clean_context.h"

namespace pelloran {

// Is `value` (as the tag filter hands it over, with its quotes) a relative
// link: one pair of surrounding double quotes taken off, it has no scheme
// ("name:" before any "/", "?" or "#") and starts with neither "#" nor "//"?
bool IsRelativeLink(std::string_view value);

// Does the file or folder that the relative link `value` names exist,
// resolved against `folder` (empty: the current directory)? Query and
// fragment are cut off and %-escapes decoded first; nothing but the file
// system is asked.
bool RelativeTargetExists(std::string_view folder, std::string_view value);

// The answer a link value of the page in context.input gets: a relative link
// as a file when context.options asks for that, any other value from
// context.link_check.
bool IsLinkAvailable(CleanContext& context, const std::string& value);

}  // namespace pelloran
