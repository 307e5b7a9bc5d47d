#pragma once

#include <string>

namespace pelloran {

// Small file-system requests whose failure the callers pass over: each
// answers whether it did what was asked and reports nothing.

// Is there anything under this name (a dangling symbolic link counts)?
bool PathExists(const std::string& path);

bool DeleteFileQuietly(const std::string& path);

// Moves `from` to `to` only when nothing is named `to` yet; an existing
// target is never replaced, not even for an instant.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);

}  // namespace pelloran
