#pragma once

// Which files a run may clean at all. A file chosen by hand (selected in the
// window, named on the command line) may be a backup, a picture, a script or
// a page in a wide encoding; cleaning any of those as single-byte markup
// would damage it. The window's run, the batch command and the preview all
// ask this one check before a pass reads the file.

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelloran {

// The names of web pages; a file of another name must open with markup.
extern const std::vector<std::string> kPageNamePatterns;

// Does the bare `name` match one of kPageNamePatterns, ignoring letter case?
bool HasPageName(const std::string& name);

// Why the file `name`, of type and bits `mode` (as fstat gives them), whose
// text starts with `first_block` (what the first read gave), is no page to
// clean: a "~" backup, a FIFO or a device, UTF-32 or UTF-16 text (with or
// without a byte-order mark), or neither a page's name nor markup at its
// start (after blanks and a UTF-8 mark). nullopt when it may be cleaned, and
// for a folder (a failure of the run, which the caller reports). The message
// names the file and says why it stays as it is.
std::optional<std::string> WhyNotAPage(const std::string& name, mode_t mode,
                                       std::string_view first_block);

}  // namespace pelloran
