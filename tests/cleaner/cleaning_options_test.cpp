#include "cleaner/cleaning_options.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace pelloran {
namespace {

std::vector<int> TickedBoxes(const CleaningOptions& options) {
  std::vector<int> ticked;
  for (int box = 0; box <= kHighestBox; ++box) {
    if (options.IsTicked(box)) ticked.push_back(box);
  }
  return ticked;
}

// Records every change the observer is told about, in order.
struct ChangeLog {
  explicit ChangeLog(CleaningOptions& options) {
    options.SetObserver([this](int box, bool ticked) { changes.emplace_back(box, ticked); });
  }
  std::vector<std::pair<int, bool>> changes;
};

TEST(CleaningOptionsDesign, FiftyEightBoxesWithDistinctNumbersInTheirFrames) {
  std::set<int> numbers;
  std::set<int> elimination;
  for (const BoxDesign& design : CleaningOptions::Designs()) {
    EXPECT_TRUE(numbers.insert(design.number).second) << "box " << design.number;
    EXPECT_FALSE(design.caption.empty());
    if (design.frame == BoxFrame::kElimination) elimination.insert(design.number);
  }
  EXPECT_EQ(numbers.size(), 58u);
  EXPECT_EQ(elimination, (std::set<int>{5, 17, 18, 29}));
  for (int missing : {0, 9, 23, 24, 62}) EXPECT_EQ(CleaningOptions::DesignOf(missing), nullptr);
}

TEST(CleaningOptionsDesign, PropertyBoxesAreThePropertyFrameWithoutAllElements) {
  std::set<int> expected;
  for (const BoxDesign& design : CleaningOptions::Designs()) {
    if (design.frame == BoxFrame::kProperties && design.number != 28) {
      expected.insert(design.number);
      EXPECT_TRUE(design.hint.starts_with("атрибут ")) << "box " << design.number;
    }
  }
  const auto boxes = CleaningOptions::PropertyBoxes();
  EXPECT_EQ(std::set<int>(boxes.begin(), boxes.end()), expected);
  EXPECT_EQ(boxes.size(), 53u);
  for (int outside : {5, 17, 18, 28, 29}) EXPECT_FALSE(CleaningOptions::IsPropertyBox(outside));
  EXPECT_TRUE(CleaningOptions::IsPropertyBox(61));
}

TEST(CleaningOptionsDesign, HintsThatShareAPropertyAndBoxesWithoutHint) {
  EXPECT_EQ(CleaningOptions::DesignOf(20)->hint, "атрибут background-image");
  EXPECT_EQ(CleaningOptions::DesignOf(26)->hint, "атрибут background-color");
  EXPECT_EQ(CleaningOptions::DesignOf(15)->hint, "атрибут 'list-style'");
  for (int box : {5, 17, 28, 29}) EXPECT_TRUE(CleaningOptions::DesignOf(box)->hint.empty());
}

TEST(CleaningOptionsState, StartsWithTheDesignValues) {
  CleaningOptions options;
  EXPECT_EQ(TickedBoxes(options), (std::vector<int>{1,  2,  4,  5,  7,  11, 12, 13, 14, 15, 18,
                                                    25, 29, 41, 46, 49, 50, 51, 52, 53, 58}));
  EXPECT_FALSE(options.IsLinkCheckingOn());
  options.SetLinkChecking(true);
  EXPECT_TRUE(options.IsLinkCheckingOn());
}

TEST(CleaningOptionsState, NumbersWithoutABoxAreNeverTicked) {
  CleaningOptions options;
  ChangeLog log(options);
  for (int box : {-1, 0, 9, 23, 24, 62, 1000}) {
    options.SetTicked(box, true);
    EXPECT_FALSE(options.IsTicked(box)) << box;
  }
  EXPECT_TRUE(log.changes.empty());
}

TEST(CleaningOptionsState, SettingTheSameStateNotifiesNothing) {
  CleaningOptions options;
  ChangeLog log(options);
  options.SetTicked(1, true);    // already ticked
  options.SetTicked(17, false);  // already clear
  EXPECT_TRUE(log.changes.empty());
  options.SetTicked(1, false);
  EXPECT_EQ(log.changes, (std::vector<std::pair<int, bool>>{{1, false}}));
}

TEST(CleaningOptionsAllElements, TickingItTicksEveryPropertyBoxAndNothingElse) {
  CleaningOptions options;
  options.SetTicked(18, false);
  options.SetTicked(29, false);
  options.SetTicked(5, false);
  ChangeLog log(options);

  options.SetTicked(28, true);

  for (int box : CleaningOptions::PropertyBoxes()) EXPECT_TRUE(options.IsTicked(box)) << box;
  for (int box : {5, 17, 18, 29}) EXPECT_FALSE(options.IsTicked(box)) << box;
  // Box 28 first, then only the property boxes that were clear, in ascending order.
  ASSERT_EQ(log.changes.size(), 1u + 53u - 18u);
  EXPECT_EQ(log.changes.front(), std::make_pair(28, true));
  EXPECT_EQ(log.changes[1], std::make_pair(3, true));
  EXPECT_EQ(log.changes.back(), std::make_pair(61, true));
}

TEST(CleaningOptionsAllElements, ClearingItLeavesThePropertyBoxesAsTheyAre) {
  CleaningOptions options;
  options.SetTicked(28, true);
  options.SetTicked(28, false);
  for (int box : CleaningOptions::PropertyBoxes()) EXPECT_TRUE(options.IsTicked(box)) << box;
}

TEST(CleaningOptionsAllElements, RuleTicksAgainOnlyWhileAllElementsIsTicked) {
  CleaningOptions options;
  options.SetTicked(1, false);
  options.ApplyAllElements();  // 28 clear: nothing
  EXPECT_FALSE(options.IsTicked(1));

  options.SetTicked(28, true);
  options.SetTicked(3, false);
  options.SetTicked(60, false);
  options.ApplyAllElements();  // as on a focus change of box 28
  EXPECT_TRUE(options.IsTicked(3));
  EXPECT_TRUE(options.IsTicked(60));
}

TEST(CleaningOptionsAllElements, TickingItAgainWhenTickedChangesNothing) {
  CleaningOptions options;
  options.SetTicked(28, true);
  options.SetTicked(6, false);
  ChangeLog log(options);
  options.SetTicked(28, true);  // what "использовать все атрибуты" does
  EXPECT_FALSE(options.IsTicked(6));
  EXPECT_TRUE(log.changes.empty());
}

TEST(CleaningOptionsOverride, TheTwoOverrideBoxesExcludeEachOther) {
  CleaningOptions options;
  ASSERT_TRUE(options.IsTicked(5));
  ChangeLog log(options);

  options.SetTicked(17, true);
  EXPECT_TRUE(options.IsTicked(17));
  EXPECT_FALSE(options.IsTicked(5));
  EXPECT_EQ(log.changes, (std::vector<std::pair<int, bool>>{{17, true}, {5, false}}));

  options.SetTicked(17, false);  // clearing changes nothing else
  EXPECT_FALSE(options.IsTicked(17));
  EXPECT_FALSE(options.IsTicked(5));

  options.SetTicked(17, true);
  options.SetTicked(5, true);
  EXPECT_TRUE(options.IsTicked(5));
  EXPECT_FALSE(options.IsTicked(17));
}

TEST(CleaningOptionsOverride, AllElementsNeverTouchesTheEliminationBoxes) {
  CleaningOptions options;
  options.SetTicked(17, true);
  options.SetTicked(28, true);
  EXPECT_TRUE(options.IsTicked(17));
  EXPECT_FALSE(options.IsTicked(5));
  EXPECT_TRUE(options.IsTicked(18));
  EXPECT_TRUE(options.IsTicked(29));
}

}  // namespace
}  // namespace pelloran
