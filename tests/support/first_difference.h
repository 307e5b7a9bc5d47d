#pragma once

#include <sstream>
#include <string>

namespace pelloran::testing {

// The first line where two texts part, with both versions, for a readable failure.
inline std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::istringstream e(expected), a(actual);
  std::string el, al;
  for (int line = 1;; ++line) {
    const bool more_e = static_cast<bool>(std::getline(e, el));
    const bool more_a = static_cast<bool>(std::getline(a, al));
    if (!more_e && !more_a) return "no line differs";
    if (el != al || more_e != more_a) {
      return "line " + std::to_string(line) + "\n  expected: " + (more_e ? el : "<end>") +
             "\n  actual:   " + (more_a ? al : "<end>");
    }
  }
}

}  // namespace pelloran::testing
