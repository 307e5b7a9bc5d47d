#pragma once

// Which lines a diff deletes and which it inserts, found over line numbers
// (equal lines carry equal numbers) in memory linear in the line count.

#include <cstdint>
#include <vector>

namespace pelloran {

struct EditScript {
  std::vector<bool> deleted;   // one per element of `a`: not in the common subsequence
  std::vector<bool> inserted;  // one per element of `b`: not in the common subsequence
};

// A line number that matches no other: a line found on one side only.
constexpr uint32_t kNoMatch = UINT32_MAX;

// Marks the lines of `a` and `b` outside a longest common subsequence. Equal
// lines carry equal numbers; the numbers of `a` are below a.size(), and a
// number of `b` is one of them or kNoMatch. Lines found on one side only are
// changes whatever the script, so they are set aside first (which makes texts
// with little in common quick); the rest is divided and conquered on the
// middle snake, in O((N+M)D) time and O(N+M) space. Where one step would cost
// more than about 2 * sqrt(N+M) (at least 4096) edits, the step settles for
// the furthest point it reached: the script stays correct but may then be
// longer than the shortest, and the time stays near linear.
EditScript FindEditScript(std::vector<uint32_t> a, std::vector<uint32_t> b);

}  // namespace pelloran
