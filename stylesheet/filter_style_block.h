#pragma once

#include "cleaner/clean_context.h"

namespace pelloran {

// Reduces one style element to the declarations of the ticked property boxes,
// merges rules that keep an equal declaration and writes them back.
//
// On entry context.input stands just after the character that ended the style
// tag's name; the caller has written "<style" and that character. On return the
// input stands just after the "<" that ended the style text (the first character
// of the closing tag), or at the end of the input; the caller then writes
// "</style>" and drops the rest of the closing tag. Reads the boxes live through
// context.options and steps context.gauge. Throws EInOutError on a file failure.
void FilterStyleBlock(CleanContext& context);

}  // namespace pelloran
