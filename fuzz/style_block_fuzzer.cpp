// libFuzzer target: the stylesheet filter alone, entered where the tag filter
// hands a style element over.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/page_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string failure =
      pelloran::fuzzing::CheckStyleBlock({reinterpret_cast<const char*>(data), size});
  if (!failure.empty()) {
    std::fprintf(stderr, "broken promise: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
