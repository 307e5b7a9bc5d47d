#pragma once

// Which lines a diff deletes and which it inserts, found over line numbers
// (equal lines carry equal numbers) in memory linear in the line count.

#include <cstdint>
#include <span>
#include <vector>

namespace pelloran {

struct EditScript {
  std::vector<bool> deleted;   // one per element of `a`: not in the common subsequence
  std::vector<bool> inserted;  // one per element of `b`: not in the common subsequence
};

// Marks the lines of `a` and `b` outside a longest common subsequence,
// divide and conquer on the middle snake (O((N+M)D) time, O(N+M) space).
// Where one step would cost more than about 2 * sqrt(N+M) (at least 4096)
// edits, the step settles for the furthest point it reached: the script stays
// correct, but may then be longer than the shortest one, and the time stays
// near linear even for texts that have nothing in common.
EditScript FindEditScript(std::span<const uint32_t> a, std::span<const uint32_t> b);

}  // namespace pelloran
