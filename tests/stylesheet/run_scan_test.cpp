#include "stylesheet/run_scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>

namespace pelloran::testing {
namespace {

// The scans against a byte-by-byte search, at every start and length up to
// a few chunks, so that every place of a stop byte in a chunk, in the tail
// and at the ends is met; bytes are drawn mostly from the stops, blanks and
// bytes above 127.
TEST(RunScanTest, FindsWhatAByteByByteSearchFinds) {
  std::mt19937 random(5);
  const std::string pool =
      "{}/\"'<:;()\\ \t\r\n\x1A\x01\x80\xE9\xFF"
      "ab";
  for (const std::string_view stops : {std::string_view("{/\"'<\x1A"), std::string_view(";"),
                                       std::string_view("*<\x1A\xFF\x80\"'\\")}) {
    const StopBytes stop_bytes(stops);
    for (int round = 0; round < 400; ++round) {
      std::string text(random() % 70, 'x');
      for (char& c : text)
        if (random() % 6 == 0) c = pool[random() % pool.size()];
      for (size_t from = 0; from <= text.size(); ++from) {
        const size_t naive = text.find_first_of(stops, from);
        ASSERT_EQ(stop_bytes.Find(text, from), naive == std::string::npos ? text.size() : naive)
            << text << " from " << from;
      }
      size_t end = 0;
      while (end < text.size() && static_cast<unsigned char>(text[end]) > 32 && text[end] != ':')
        ++end;
      ASSERT_EQ(FindBlankOrColon(text), end) << text;
    }
  }
}

}  // namespace
}  // namespace pelloran::testing
