#include "batch/box_names.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cleaner/cleaning_options.h"
#include "stylesheet/keep_table.h"

namespace pelloran {
namespace {

// Every box: a property box goes by the property the keep table gives it, which
// its hint names and no other box keeps; any other box keeps no property, names
// none in its hint and goes by an option name of its own.
TEST(BoxNamesTest, EveryBoxIsNamedByTheKeepTableAndItsHintAgrees) {
  std::set<std::string_view> option_names;
  for (const BoxDesign& design : CleaningOptions::Designs()) {
    SCOPED_TRACE(design.number);
    const std::string_view name = BoxName(design.number);
    const int row = RowOfBox(design.number);
    EXPECT_EQ(CleaningOptions::IsPropertyBox(design.number), row >= 0);
    if (row >= 0) {
      EXPECT_EQ(name, kKeepTable[static_cast<size_t>(row)].property);
      // "атрибут font-size", "атрибут font-family, значением ...", "атрибут 'list-style'".
      const std::string plain = "атрибут " + std::string(name);
      EXPECT_TRUE(design.hint == plain || design.hint.starts_with(plain + ",") ||
                  design.hint == "атрибут '" + std::string(name) + "'")
          << design.hint;
      EXPECT_EQ(BoxesOfProperty(name), std::vector<int>{design.number});
      EXPECT_NE(KnownProperties().find(std::string(name)), std::string::npos);
    } else {
      EXPECT_FALSE(design.hint.starts_with("атрибут")) << design.hint;
      EXPECT_TRUE(BoxesOfProperty(name).empty());
      EXPECT_TRUE(option_names.insert(name).second) << name;
    }
  }
  EXPECT_EQ(option_names.size(), 5u);
  EXPECT_EQ(CleaningOptions::PropertyBoxes().size(), kKeepTable.size());
  EXPECT_EQ(BoxName(9), "");
  EXPECT_TRUE(BoxesOfProperty("FONT-SIZE").empty());
}

}  // namespace
}  // namespace pelloran
