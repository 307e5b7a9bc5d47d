#pragma once

// The keep table: the property each box keeps, and the keep test that finds
// the declarations of the ticked boxes in a rule's block.

#include <array>
#include <cstdint>
#include <string_view>

#include "interfaces/options.h"
#include "stylesheet/rule_table.h"

namespace pelloran {

struct KeepRow {
  int box;                    // the property box, also the declaration slot
  std::string_view property;  // in small letters
};

// In box order, which is the order the declarations are written in.
inline constexpr std::array<KeepRow, 53> kKeepTable{{
    {1, "font-family"},
    {2, "font-size"},
    {3, "margin-right"},
    {4, "font-style"},
    {6, "color"},
    {7, "background"},
    {8, "word-spacing"},
    {10, "text-decoration"},
    {11, "vertical-align"},
    {12, "text-align"},
    {13, "text-indent"},
    {14, "margin"},
    {15, "list-style"},
    {16, "white-space"},
    {19, "background-repeat"},
    {20, "background-image"},
    {21, "font-variant"},
    {22, "font-weight"},
    {25, "font"},
    {26, "background-color"},
    {27, "background-position"},
    {30, "background-attachment"},
    {31, "letter-spacing"},
    {32, "text-transform"},
    {33, "line-height"},
    {34, "margin-top"},
    {35, "margin-bottom"},
    {36, "margin-left"},
    {37, "padding-top"},
    {38, "padding-right"},
    {39, "padding-bottom"},
    {40, "padding-left"},
    {41, "padding"},
    {42, "border-top-width"},
    {43, "border-right-width"},
    {44, "border-bottom-width"},
    {45, "border-left-width"},
    {46, "border-width"},
    {47, "border-color"},
    {48, "border-style"},
    {49, "border-top"},
    {50, "border-right"},
    {51, "border-bottom"},
    {52, "border-left"},
    {53, "border"},
    {54, "width"},
    {55, "height"},
    {56, "float"},
    {57, "clear"},
    {58, "display"},
    {59, "list-style-type"},
    {60, "list-style-image"},
    {61, "list-style-position"},
}};

// The row of a property name, compared without regard to letter case; -1
// for a property no box keeps.
int RowOfProperty(std::string_view name);
// The row of a box; -1 for a box that keeps no property.
int RowOfBox(int box);

// Bit j of row i's mask: properties i and j set a value in common (they are
// the same, one is a shorthand of the other, or two shorthands overlap, as
// "border-width" and "border-left" do). A browser applies the later of two
// such declarations, so their order counts.
uint64_t OverlapMask(int row);

// What the keep test found in one block.
struct KeepCount {
  int read = 0;  // declarations ("name:" pieces) in the block
  int kept = 0;
};

// Adds to the table's last rule, in box order, the declaration of each
// ticked box's property found in `block` (the text between the braces,
// comments taken out). A declaration starts at the block's start or after a
// ";", blanks passed over; its name equals the property ignoring case and a
// ":" follows it after optional blanks. Its text runs up to the next ";"
// outside quotes and parentheses, or to the block's end less trailing
// blanks. Of a property declared twice the last counts. Asks
// options.IsTicked afresh at every call, for the properties the block holds.
KeepCount KeepDeclarations(std::string_view block, const Options& options, RuleTable& table);

}  // namespace pelloran
