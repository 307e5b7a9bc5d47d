#pragma once

#include <string>

namespace pelloran {

// The process's current directory as an absolute path; empty when it is gone
// (deleted under the program) or cannot be read. The engine never makes a
// folder current: pages travel by path.
std::string CurrentFolder();

}  // namespace pelloran
