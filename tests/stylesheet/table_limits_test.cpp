// The rule table has no fixed size: every rule and every selector is kept.
// The gauge still takes its steps at rule 600.

#include <gtest/gtest.h>

#include <string>

#include "tests/stylesheet/style_filter_harness.h"

namespace pelloran::testing {
namespace {

std::string Rules(int first, int last) {
  std::string sheet;
  for (int i = first; i <= last; ++i) {
    sheet += "r" + std::to_string(i) + " { color: c" + std::to_string(i) + "; }\r\n";
  }
  return sheet;
}

std::string Written(int first, int last) {
  std::string written;
  for (int i = first; i <= last; ++i) {
    written += "r" + std::to_string(i) + " \r\n{ color: c" + std::to_string(i) + ";}\r\n";
  }
  return written;
}

TEST(TableLimitsTest, RulesBeyond600AreAllKept) {
  StyleFilterHarness harness({6});
  const FilterResult result = harness.Run(Rules(1, 700) + "</style>after");
  EXPECT_EQ(result.written, Written(1, 700));
  EXPECT_EQ(result.rest, "/style>after");
}

// A block of megabytes makes the filter's storage grow past what it keeps
// between elements; the elements after it are filtered as usual.
TEST(TableLimitsTest, ElementsAfterAHugeOneAreFilteredAsUsual) {
  StyleFilterHarness harness({6});
  const std::string huge_block = "p { color: red; " + std::string(3 << 20, 'x') + " }\r\n";
  for (int round = 0; round < 2; ++round) {
    const FilterResult huge = harness.Run(huge_block + Rules(1, 3) + "</style>after");
    EXPECT_EQ(huge.written, "p \r\n{ color: red;}\r\n" + Written(1, 3));
    EXPECT_EQ(huge.rest, "/style>after");
    const FilterResult small = harness.Run(Rules(4, 5) + "</style>");
    EXPECT_EQ(small.written, Written(4, 5));
  }
}

TEST(TableLimitsTest, NothingIsWrittenWhenTheInputEndsAfterRule600) {
  StyleFilterHarness harness({6});
  const FilterResult result = harness.Run(Rules(1, 602));
  EXPECT_EQ(result.written, "");
  EXPECT_EQ(result.rest, "");
}

TEST(TableLimitsTest, SelectorsBeyond200AreAllKept) {
  std::string selectors;
  std::string expected;
  for (int i = 1; i <= 205; ++i) {
    selectors += "s" + std::to_string(i) + ", ";
    expected += (i > 1 ? ", s" : "s") + std::to_string(i);
  }
  StyleFilterHarness harness({6});
  EXPECT_EQ(harness.Run(selectors + "{ color: red; }</style>").written,
            expected + " \r\n{ color: red;}\r\n");
}

TEST(TableLimitsTest, GaugeStepsAtRule600StopBelowTheirCaps) {
  const std::string full = Rules(1, 600) + "</style>";
  for (const auto& [start, end] : {std::pair{90, 92}, {92, 94}, {93, 94}, {97, 97}}) {
    StyleFilterHarness harness;  // nothing kept, so the merge takes no steps
    harness.gauge().SetProgress(start);
    harness.Run(full);
    EXPECT_EQ(harness.gauge().Progress(), end) << start;
  }
  StyleFilterHarness harness;
  harness.gauge().SetProgress(50);
  harness.Run(Rules(1, 599) + "</style>");
  EXPECT_EQ(harness.gauge().Progress(), 50);
}

TEST(TableLimitsTest, MergeStepsTheGaugeUpTo94) {
  StyleFilterHarness harness({6});
  harness.gauge().SetProgress(20);
  harness.Run(Rules(1, 30) + "</style>");
  EXPECT_EQ(harness.gauge().Progress(), 50);
  harness.gauge().SetProgress(80);
  harness.Run(Rules(1, 30) + "</style>");
  EXPECT_EQ(harness.gauge().Progress(), 94);
}

// Rule 150 absorbing another rule takes the gauge straight to its cap.
TEST(TableLimitsTest, Rule150AbsorbingRaisesTheGaugeToItsCap) {
  std::string sheet;
  for (int i = 1; i <= 149; ++i) sheet += "r" + std::to_string(i) + " { margin: 0; }\r\n";
  sheet += "a { color: red; }\r\nb { color: red; }\r\n</style>";
  StyleFilterHarness harness({6});
  harness.gauge().SetProgress(10);
  EXPECT_EQ(harness.Run(sheet).written, "a, b \r\n{ color: red;}\r\n");
  EXPECT_EQ(harness.gauge().Progress(), 94);
}

}  // namespace
}  // namespace pelloran::testing
