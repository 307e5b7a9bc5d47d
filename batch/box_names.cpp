#include "batch/box_names.h"

#include <algorithm>
#include <cstdio>

#include "cleaner/cleaning_options.h"
#include "interfaces/options.h"

namespace pelloran {
namespace {

// The property named by a hint: "атрибут font-size", "атрибут font-family,
// значением ...", "атрибут 'list-style'".
std::string_view PropertyInHint(std::string_view hint) {
  constexpr std::string_view kLead = "атрибут ";
  if (!hint.starts_with(kLead)) return {};
  hint.remove_prefix(kLead.size());
  if (hint.starts_with('\'')) hint.remove_prefix(1);
  const size_t end = hint.find_first_not_of("abcdefghijklmnopqrstuvwxyz-");
  return hint.substr(0, end);
}

}  // namespace

std::string_view BoxName(int box) {
  switch (box) {
    case kOverrideExceptTablesBox:
      return "override-except-tables";
    case kOverrideBox:
      return "override";
    case kDropSpansBox:
      return "drop-spans";
    case kAllElementsBox:
      return "all-elements";
    case kSkipImportsBox:
      return "skip-imports";
  }
  const BoxDesign* design = CleaningOptions::DesignOf(box);
  return design == nullptr ? std::string_view() : PropertyInHint(design->hint);
}

std::vector<int> BoxesOfProperty(std::string_view property) {
  std::vector<int> boxes;
  for (int box : CleaningOptions::PropertyBoxes()) {
    if (BoxName(box) == property) boxes.push_back(box);
  }
  return boxes;
}

std::string KnownProperties() {
  std::vector<std::string_view> names;
  for (int box : CleaningOptions::PropertyBoxes()) {
    const std::string_view name = BoxName(box);
    if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
  }
  std::string joined;
  for (const std::string_view name : names) {
    if (!joined.empty()) joined += ", ";
    joined += name;
  }
  return joined;
}

std::string ListOfBoxes() {
  std::string list = "box  name                     at start  caption\n";
  for (int box = 1; box <= kHighestBox; ++box) {
    const BoxDesign* design = CleaningOptions::DesignOf(box);
    if (design == nullptr) continue;
    char line[80];
    std::snprintf(line, sizeof line, "%3d  %-24s %-9s ", box, std::string(BoxName(box)).c_str(),
                  design->ticked_at_start ? "ticked" : "clear");
    list += line;
    list += design->caption;
    list += "\n";
  }
  // The settings window's switch, set by --drop-office-markup / --keep-office-markup.
  list += "  -  drop-office-markup       clear     служебная разметка Office\n";
  return list;
}

}  // namespace pelloran
