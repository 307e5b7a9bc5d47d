#include "tools/line_numbers.h"

#include <functional>
#include <utility>

namespace pelloran {

uint32_t LineNumbers::Add(std::string_view line) {
  const uint32_t hash = Hash(line);
  uint64_t& slot = slots_[SlotOf(line, hash)];
  if (slot != 0) return static_cast<uint32_t>(slot) - 1;
  const auto number = static_cast<uint32_t>(lines_.size());
  lines_.push_back(line);
  slot = uint64_t{hash} << 32 | (number + 1);
  if (2 * lines_.size() > slots_.size()) Grow();
  return number;
}

uint32_t LineNumbers::Find(std::string_view line, uint32_t missing) const {
  const uint64_t slot = slots_[SlotOf(line, Hash(line))];
  return slot == 0 ? missing : static_cast<uint32_t>(slot) - 1;
}

uint32_t LineNumbers::Hash(std::string_view line) {
  const size_t hash = std::hash<std::string_view>()(line);
  return static_cast<uint32_t>(hash ^ (hash >> 32));
}

// The slot that holds the line, or the free one where it would go.
size_t LineNumbers::SlotOf(std::string_view line, uint32_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    const uint64_t slot = slots_[i];
    if (slot == 0) return i;
    if (slot >> 32 == hash && lines_[static_cast<uint32_t>(slot) - 1] == line) return i;
  }
}

void LineNumbers::Grow() {
  std::vector<uint64_t> old = std::exchange(slots_, std::vector<uint64_t>(2 * slots_.size()));
  const size_t mask = slots_.size() - 1;
  for (const uint64_t slot : old) {
    if (slot == 0) continue;
    size_t i = (slot >> 32) & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

}  // namespace pelloran
