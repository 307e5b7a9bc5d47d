#pragma once

// Putting a working copy in a page's place, for the clean run and the advert
// tool alike. Names are bare names in the current directory. Each operation
// either succeeds or leaves the page readable under its own name (or, after a
// failed second pass, the first pass's output there and the original under
// the backup name), deletes the working copy and returns a message in Russian
// that names the page and the reason.

#include <optional>
#include <string>
#include <system_error>

#include "tools/path_names.h"

namespace pelloran {

// Moves the page to its backup name, never over an earlier backup, then gives
// the working copy the page's name; if that second step fails the backup goes
// back to the page's name. The working copy takes the page's permission bits.
// nullopt on success; otherwise the message, and the working copy is gone.
std::optional<std::string> SwapInWorkingCopy(const std::string& page);

// Replaces the page by the working copy of a second pass in one atomic step.
// nullopt on success; otherwise the message, and the working copy is gone.
std::optional<std::string> ReplaceWithWorkingCopy(const std::string& page);

// The message for a page left as it was because reading stopped at a byte 26
// that has more bytes after it.
std::string EndMarkInsideMessage(const std::string& page);

// Why a file operation failed, in Russian.
std::string ReasonInRussian(std::error_code failure);

}  // namespace pelloran
