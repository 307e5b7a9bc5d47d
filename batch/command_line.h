#pragma once

// The batch command's command line: what it asks for, parsed with CLI11.

#include <optional>
#include <string>
#include <vector>

#include "batch/page_walk.h"
#include "cleaner/cleaning_options.h"

namespace pelloran {

enum class ColorUse { kAuto, kAlways, kNever };

struct Command {
  CleaningOptions options;  // the boxes after every box option, in the order given
  std::vector<std::string> paths;
  PageFilter filter;
  bool dry_run = false;
  bool diff = false;
  bool restore = false;
  bool force = false;  // restore pages that are not what their clean made
  bool quiet = false;
  bool fail_on_broken_links = false;
  ColorUse color = ColorUse::kAuto;
  std::optional<std::string> json;  // the report's file, "-" for standard output
  bool help = false;
  bool version = false;
  bool list_boxes = false;
};

// Parses the arguments (without the program name) into `command`. On a usage
// error answers false and says why in `why` (one line, without the program's
// name).
bool ParseCommandLine(const std::vector<std::string>& args, Command& command, std::string& why);

// The usage line and the full help text.
extern const char kUsage[];
std::string HelpText();

}  // namespace pelloran
