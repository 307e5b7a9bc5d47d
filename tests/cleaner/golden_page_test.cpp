// Whole pages through both passes, compared with checked-in results.
//
// Every folder under tests/data/cleaner holds input.htm and, per variant,
// NAME.options and NAME.expected.htm. An options file starts with "defaults"
// (the boxes at their design values) or "none" and goes on with "+N" / "-N"
// to tick or clear box N as a click would. Each variant runs on fresh tables.
// PELLORAN_UPDATE_GOLDEN=1 writes the results instead of comparing (review
// every change before committing it).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cleaner/cleaning_options.h"
#include "tests/cleaner/pass_harness.h"
#include "tests/support/first_difference.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;

struct Variant {
  fs::path options;
  fs::path expected;
  fs::path input;
};

std::vector<Variant> Variants() {
  std::vector<Variant> variants;
  for (const auto& dir : fs::directory_iterator(fs::path(PELLORAN_TEST_DATA_DIR) / "cleaner")) {
    for (const auto& file : fs::directory_iterator(dir.path())) {
      if (file.path().extension() != ".options") continue;
      fs::path expected = file.path();
      expected.replace_extension(".expected.htm");
      variants.push_back({file.path(), expected, dir.path() / "input.htm"});
    }
  }
  std::sort(variants.begin(), variants.end(),
            [](const Variant& a, const Variant& b) { return a.options < b.options; });
  return variants;
}

// Reads an options file into the harness's boxes through the real option rules.
void ApplyOptions(const fs::path& path, testing::TestOptions& target) {
  std::istringstream words(testing::ReadFile(path.string()));
  CleaningOptions options;
  std::string word;
  words >> word;
  if (word == "none") {
    for (int box = 1; box <= kHighestBox; ++box) options.SetTicked(box, false);
  } else {
    ASSERT_EQ(word, "defaults") << path;
  }
  while (words >> word) {
    ASSERT_TRUE(word.size() > 1 && (word[0] == '+' || word[0] == '-')) << path << ": " << word;
    options.SetTicked(std::stoi(word.substr(1)), word[0] == '+');
  }
  for (int box = 1; box <= kHighestBox; ++box) {
    target.Tick(box, options.IsTicked(box));
  }
}

TEST(GoldenPageTest, EveryVariantMatchesItsExpectedPage) {
  const std::vector<Variant> variants = Variants();
  ASSERT_FALSE(variants.empty());
  const bool update = std::getenv("PELLORAN_UPDATE_GOLDEN") != nullptr;
  for (const Variant& variant : variants) {
    SCOPED_TRACE(variant.options.string());
    testing::PassHarness harness;
    ApplyOptions(variant.options, harness.options);
    const std::string actual = harness.Clean(testing::ReadFile(variant.input.string()));
    EXPECT_EQ(actual.find('\x1A'), std::string::npos);
    if (update) {
      testing::WriteFile(variant.expected.string(), actual);
      continue;
    }
    ASSERT_TRUE(fs::exists(variant.expected)) << variant.expected;
    const std::string expected = testing::ReadFile(variant.expected.string());
    EXPECT_TRUE(expected == actual) << testing::FirstDifference(expected, actual);
  }
}

}  // namespace
}  // namespace pelloran
