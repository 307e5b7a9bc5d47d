#include "stylesheet/filter_style_block.h"

#include <gtest/gtest.h>

#include "tests/stylesheet/style_filter_harness.h"

namespace pelloran::testing {
namespace {

TEST(FilterStyleBlockTest, WorkedExampleMergesSharedDeclaration) {
  StyleFilterHarness harness({1, 6, 12});
  const FilterResult result = harness.Run(
      "\r\nh1, h2 { font-family: Arial; color: red; }\r\n"
      "p { color: red; text-align: center; }\r\n</style>after");
  EXPECT_EQ(result.written,
            "h1, h2, p \r\n{ font-family: Arial; color: red;}\r\n"
            "p \r\n{ text-align: center;}\r\n");
  EXPECT_EQ(result.rest, "/style>after");
}

}  // namespace
}  // namespace pelloran::testing
