#include "batch/box_names.h"

#include <cstdio>

#include "cleaner/cleaning_options.h"
#include "interfaces/options.h"
#include "stylesheet/keep_table.h"

namespace pelloran {

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
  const int row = RowOfBox(box);
  return row < 0 ? std::string_view() : kKeepTable[static_cast<size_t>(row)].property;
}

std::vector<int> BoxesOfProperty(std::string_view property) {
  std::vector<int> boxes;
  for (const KeepRow& row : kKeepTable) {
    if (row.property == property) boxes.push_back(row.box);
  }
  return boxes;
}

std::string KnownProperties() {
  std::string joined;
  for (const KeepRow& row : kKeepTable) {
    if (!joined.empty()) joined += ", ";
    joined += row.property;
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
