#pragma once

// The keep table: which text each property box looks for in a rule's block,
// and the keep test that copies the declarations of the ticked boxes.

#include <array>
#include <string_view>

#include "interfaces/options.h"
#include "stylesheet/keep_search.h"
#include "stylesheet/rule_table.h"

namespace pelloran {

struct KeepRow {
  int box;                 // the property box, also the declaration slot
  std::string_view test;   // kept only when the block contains this text
  std::string_view start;  // the declaration starts at its first occurrence
};

// In box order, which is the order the declarations are written in. Several
// rows search the same text (20 and 26, 47 and 48, 52 and 53) and box 25 tests
// "font;" but starts at "font": the boxes keep what they have always kept.
inline constexpr std::array<KeepRow, 53> kKeepTable{{
    {1, "font-family", "font-family"},
    {2, "font-size", "font-size"},
    {3, "margin-right", "margin-right"},
    {4, "font-style", "font-style"},
    {6, "color", "color"},
    {7, "background", "background"},
    {8, "word-spacing", "word-spacing"},
    {10, "text-decoration", "text-decoration"},
    {11, "vertical-align", "vertical-align"},
    {12, "text-align", "text-align"},
    {13, "text-indent", "text-indent"},
    {14, "margin", "margin"},
    {15, "list-style", "list-style"},
    {16, "white-space", "white-space"},
    {19, "background-repeat", "background-repeat"},
    {20, "background-color", "background-color"},
    {21, "font-variant", "font-variant"},
    {22, "font-weight", "font-weight"},
    {25, "font;", "font"},
    {26, "background-color", "background-color"},
    {27, "background-position", "background-position"},
    {30, "background-attachment", "background-attachment"},
    {31, "letter-spacing", "letter-spacing"},
    {32, "text-transform", "text-transform"},
    {33, "line-height", "line-height"},
    {34, "margin-top", "margin-top"},
    {35, "margin-bottom", "margin-bottom"},
    {36, "margin-left", "margin-left"},
    {37, "padding-top", "padding-top"},
    {38, "padding-right", "padding-right"},
    {39, "padding-bottom", "padding-bottom"},
    {40, "padding-left", "padding-left"},
    {41, "padding", "padding"},
    {42, "border-top-width", "border-top-width"},
    {43, "border-right-width", "border-right-width"},
    {44, "border-bottom-width", "border-bottom-width"},
    {45, "border-left-width", "border-left-width"},
    {46, "border-width", "border-width"},
    {47, "border-color", "border-color"},
    {48, "border-color", "border-color"},
    {49, "border-top", "border-top"},
    {50, "border-right", "border-right"},
    {51, "border-bottom", "border-bottom"},
    {52, "border-left", "border-left"},
    {53, "border-left", "border-left"},
    {54, "width", "width"},
    {55, "height", "height"},
    {56, "float", "float"},
    {57, "clear", "clear"},
    {58, "display", "display"},
    {59, "list-style-type", "list-style-type"},
    {60, "list-style-image", "list-style-image"},
    {61, "list-style-position", "list-style-position"},
}};

// For every row whose box is ticked now, looks for its text in the block
// text (from after "{" up to and including the "}", exact and
// case-sensitive) and adds the declaration found to the table's last rule,
// in row order. Asks options.IsTicked afresh at every call, for the boxes of
// the rows whose text the block holds: no other box can change the result.
// A declaration runs from the first occurrence up to the next ";"; without a
// ";" it runs to the end of the block, less the "}" and the blanks before it.
void KeepDeclarations(const BlockText& block, const Options& options, RuleTable& table);

}  // namespace pelloran
