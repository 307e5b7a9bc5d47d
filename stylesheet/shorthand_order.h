#pragma once

// The order in which a rule's declarations are written: box order, except
// that of two declarations whose properties overlap (a shorthand and a
// longhand it sets, or two shorthands that set a longhand in common) the one
// that stood first in the block is written first, so that a browser still
// applies the one it applied before.

#include <span>
#include <vector>

#include "stylesheet/rule_table.h"

namespace pelloran {

// Fills `order` with the texts of the declarations that are not cleared:
// each time the one of lowest box whose overlapping partners standing
// before it in the block are all written.
void WriteOrder(std::span<const Declaration> declarations, std::vector<TextRef>& order);

}  // namespace pelloran
