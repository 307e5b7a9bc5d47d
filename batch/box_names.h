#pragma once

// The option boxes by the names people know them by: a property box by the
// CSS property it keeps (the keep table's), the other boxes by the option
// that sets them.

#include <string>
#include <string_view>
#include <vector>

namespace pelloran {

// The property a property box keeps ("font-size");
// for the other boxes the name of their option ("override", "drop-spans",
// "skip-imports", "override-except-tables", "all-elements"). Empty for a
// number without a box.
std::string_view BoxName(int box);

// The property boxes that keep `property` (small letters): one for each
// property a box keeps, none for an unknown name.
std::vector<int> BoxesOfProperty(std::string_view property);

// Every property name once, in box order, joined by ", ".
std::string KnownProperties();

// One line per box, in box order: number, name, whether it starts ticked and
// its caption (UTF-8), under a heading line; then a line for the settings
// window's Office switch, numbered "-".
std::string ListOfBoxes();

}  // namespace pelloran
