#pragma once

#include "interfaces/clean_context.h"

namespace pelloran {

// Reduces one style element to the declarations of the ticked property boxes,
// merges rules that keep an equal declaration and writes them back.
//
// On entry context.input stands just after the character that ended the style
// tag's name; the caller has written "<style" and that character. When that
// character was not the tag's ">" (kAttributesFollow), the filter reads the
// attributes through the ">" and writes them as they stand before the rules.
// On return the
// input stands just after the "<" that ended the style text (the first character
// of the closing tag), or at the end of the input; the caller then writes
// "</style>" and drops the rest of the closing tag. The style text never reaches
// beyond the first "</style" or "</STYLE": a rule cut off there is dropped and
// the rules before it are written. When the input ends inside the style text,
// nothing is written.
//
// Reads the boxes live through context.options at every rule and steps
// context.gauge. Throws EInOutError on a file failure; what was written by then
// stays written.
//
// Keeps its working storage from one call to the next on the same thread, so
// that it allocates nothing once grown; storage that an uncommonly large
// element made grow beyond a megabyte is given back before it returns. The
// storage stays below three times the element's size and a few megabytes.
enum class StyleTag { kClosed, kAttributesFollow };
void FilterStyleBlock(CleanContext& context, StyleTag tag);

}  // namespace pelloran
