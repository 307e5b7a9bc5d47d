#pragma once

#include <string>

#include "charfile/in_out_error.h"

namespace pelloran {

// Every byte of the file at `path`, byte 26 included, for a diff or a view
// of a whole page. Throws EInOutError when it cannot be opened or read.
std::string ReadWholeFile(const std::string& path);

}  // namespace pelloran
