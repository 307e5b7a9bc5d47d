#include "tools/edit_script.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <span>

namespace pelloran {
namespace {

using Index = std::ptrdiff_t;

struct Point {
  Index x, y;
};

// Part of the comparison: a[xoff, xlim) against b[yoff, ylim).
struct Box {
  Index xoff, xlim, yoff, ylim;
};

// Furthest-reaching points by diagonal (k = x - y), forward from the box's
// start and backward from its end. Each search stops after `limit` edits, so
// the diagonals it touches lie within limit + 2 of where it started: the
// tables hold only those.
class Diagonals {
 public:
  explicit Diagonals(Index limit) : reach_(limit + 2), x_(2 * static_cast<size_t>(reach_) + 1) {}
  void CenterOn(Index diagonal) { center_ = diagonal; }
  Index& operator[](Index diagonal) { return x_[static_cast<size_t>(diagonal - center_ + reach_)]; }

 private:
  Index reach_;
  Index center_ = 0;
  std::vector<Index> x_;
};

class Comparison {
 public:
  Comparison(std::span<const uint32_t> a, std::span<const uint32_t> b, EditScript& script)
      : a_(a),
        b_(b),
        script_(script),
        limit_(CostLimit(a.size() + b.size())),
        forward_(limit_),
        backward_(limit_) {}

  void Run() {
    std::vector<Box> boxes = {{0, Index(a_.size()), 0, Index(b_.size())}};
    while (!boxes.empty()) {
      Box box = boxes.back();
      boxes.pop_back();
      Trim(box);
      if (box.xoff == box.xlim) {
        for (Index y = box.yoff; y < box.ylim; ++y) script_.inserted[size_t(y)] = true;
      } else if (box.yoff == box.ylim) {
        for (Index x = box.xoff; x < box.xlim; ++x) script_.deleted[size_t(x)] = true;
      } else {
        const Point mid = Split(box);
        boxes.push_back({mid.x, box.xlim, mid.y, box.ylim});
        boxes.push_back({box.xoff, mid.x, box.yoff, mid.y});
      }
    }
  }

 private:
  // About 2 * sqrt(lines), at least 4096: beyond that an exact search costs
  // more than the shorter script is worth.
  static Index CostLimit(size_t lines) {
    Index limit = 1;
    for (size_t diagonals = lines + 3; diagonals != 0; diagonals >>= 2) limit <<= 1;
    return std::max<Index>(limit, 4096);
  }

  bool Same(Index x, Index y) const { return a_[size_t(x)] == b_[size_t(y)]; }

  // Equal lines at both ends of the box are common.
  void Trim(Box& box) const {
    while (box.xoff < box.xlim && box.yoff < box.ylim && Same(box.xoff, box.yoff)) {
      ++box.xoff;
      ++box.yoff;
    }
    while (box.xoff < box.xlim && box.yoff < box.ylim && Same(box.xlim - 1, box.ylim - 1)) {
      --box.xlim;
      --box.ylim;
    }
  }

  Point Split(const Box& box);
  Point Cheapest(const Box& box, Index fmin, Index fmax, Index bmin, Index bmax);

  std::span<const uint32_t> a_, b_;
  EditScript& script_;
  Index limit_;
  Diagonals forward_, backward_;
};

// A point on a shortest path through the box, where a forward and a backward
// search meet (the middle snake). Ties go to deleting from `a` first.
Point Comparison::Split(const Box& box) {
  const Index dmin = box.xoff - box.ylim, dmax = box.xlim - box.yoff;
  const Index fmid = box.xoff - box.yoff, bmid = box.xlim - box.ylim;
  const bool odd = ((fmid - bmid) & 1) != 0;
  Diagonals& fd = forward_;
  Diagonals& bd = backward_;
  fd.CenterOn(fmid);
  bd.CenterOn(bmid);
  fd[fmid] = box.xoff;
  bd[bmid] = box.xlim;
  Index fmin = fmid, fmax = fmid, bmin = bmid, bmax = bmid;
  for (Index cost = 1;; ++cost) {
    if (fmin > dmin)
      fd[--fmin - 1] = -1;
    else
      ++fmin;
    if (fmax < dmax)
      fd[++fmax + 1] = -1;
    else
      --fmax;
    for (Index d = fmax; d >= fmin; d -= 2) {
      const Index below = fd[d - 1], above = fd[d + 1];
      Index x = below < above ? above : below + 1;
      Index y = x - d;
      while (x < box.xlim && y < box.ylim && Same(x, y)) ++x, ++y;
      fd[d] = x;
      if (odd && bmin <= d && d <= bmax && bd[d] <= x) return {x, y};
    }
    constexpr Index kNowhere = std::numeric_limits<Index>::max();
    if (bmin > dmin)
      bd[--bmin - 1] = kNowhere;
    else
      ++bmin;
    if (bmax < dmax)
      bd[++bmax + 1] = kNowhere;
    else
      --bmax;
    for (Index d = bmax; d >= bmin; d -= 2) {
      const Index below = bd[d - 1], above = bd[d + 1];
      Index x = below < above ? below : above - 1;
      Index y = x - d;
      while (box.xoff < x && box.yoff < y && Same(x - 1, y - 1)) --x, --y;
      bd[d] = x;
      if (!odd && fmin <= d && d <= fmax && x <= fd[d]) return {x, y};
    }
    if (cost >= limit_) return Cheapest(box, fmin, fmax, bmin, bmax);
  }
}

// The search got too dear: the point of either search that got furthest
// from its own corner, which splits the box without a shortest path.
Point Comparison::Cheapest(const Box& box, Index fmin, Index fmax, Index bmin, Index bmax) {
  Index forward_sum = -1, forward_x = box.xoff;
  for (Index d = fmax; d >= fmin; d -= 2) {
    Index x = std::min(forward_[d], box.xlim), y = x - d;
    if (box.ylim < y) x = box.ylim + d, y = box.ylim;
    if (forward_sum < x + y) forward_sum = x + y, forward_x = x;
  }
  Index backward_sum = std::numeric_limits<Index>::max(), backward_x = box.xlim;
  for (Index d = bmax; d >= bmin; d -= 2) {
    Index x = std::max(box.xoff, backward_[d]), y = x - d;
    if (y < box.yoff) x = box.yoff + d, y = box.yoff;
    if (x + y < backward_sum) backward_sum = x + y, backward_x = x;
  }
  if ((box.xlim + box.ylim) - backward_sum < forward_sum - (box.xoff + box.yoff))
    return {forward_x, forward_sum - forward_x};
  return {backward_x, backward_sum - backward_x};
}

// Keeps the numbers for which `keep` is true, in order, and marks which
// they were.
template <typename Keep>
std::vector<bool> KeepOnly(std::vector<uint32_t>& numbers, Keep keep) {
  std::vector<bool> kept(numbers.size());
  size_t count = 0;
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (!keep(numbers[i])) continue;
    kept[i] = true;
    numbers[count++] = numbers[i];
  }
  numbers.resize(count);
  return kept;
}

// Moves each run of changes down past a common line equal to the run's
// first, as far as it goes: of equally short scripts, the one that keeps
// lines common at their earliest, as a forward search finds it. The common
// lines stay the same sequence, so the script stays as short.
void SlideChangesDown(const std::vector<uint32_t>& numbers, std::vector<bool>& changed) {
  for (size_t start = 0; start < numbers.size();) {
    if (!changed[start]) {
      ++start;
      continue;
    }
    size_t end = start;
    while (end < numbers.size() && changed[end]) ++end;
    while (end < numbers.size() && numbers[start] == numbers[end]) {
      changed[start++] = false;
      changed[end] = true;
      while (end < numbers.size() && changed[end]) ++end;
    }
    start = end;
  }
}

// Every line set aside is a change; the others take the mark found for them.
std::vector<bool> Spread(const std::vector<bool>& kept, const std::vector<bool>& changed) {
  std::vector<bool> result(kept.size());
  for (size_t i = 0, k = 0; i < kept.size(); ++i) result[i] = !kept[i] || changed[k++];
  return result;
}

}  // namespace

EditScript FindEditScript(std::vector<uint32_t> a, std::vector<uint32_t> b) {
  std::vector<bool> in_b(a.size());
  for (const uint32_t number : b) {
    if (number != kNoMatch) in_b[number] = true;
  }
  const std::vector<bool> kept_a = KeepOnly(a, [&](uint32_t number) { return in_b[number]; });
  const std::vector<bool> kept_b = KeepOnly(b, [](uint32_t number) { return number != kNoMatch; });
  EditScript script{std::vector<bool>(a.size()), std::vector<bool>(b.size())};
  Comparison(a, b, script).Run();
  SlideChangesDown(a, script.deleted);
  SlideChangesDown(b, script.inserted);
  return {Spread(kept_a, script.deleted), Spread(kept_b, script.inserted)};
}

}  // namespace pelloran
