#pragma once

// Numbers for the lines of a text, so that a diff compares numbers instead of
// lines: equal lines get equal numbers.

#include <cstdint>
#include <string_view>
#include <vector>

namespace pelloran {

// Holds views of the lines it numbered: their text must outlive it. About
// 40 bytes per distinct line.
class LineNumbers {
 public:
  LineNumbers() : slots_(1024) {}

  // The line's number: a new one, counting from 0, for a line not seen yet.
  uint32_t Add(std::string_view line);

  // The number of a line already added, or `missing`.
  uint32_t Find(std::string_view line, uint32_t missing) const;

 private:
  static uint32_t Hash(std::string_view line);
  size_t SlotOf(std::string_view line, uint32_t hash) const;
  void Grow();

  std::vector<std::string_view> lines_;  // by number
  // Open addressing: the line's hash in the upper half, its number + 1 in
  // the lower; 0 when free. Never more than half full.
  std::vector<uint64_t> slots_;
};

}  // namespace pelloran
