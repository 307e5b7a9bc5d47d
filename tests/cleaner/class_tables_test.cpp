#include "cleaner/class_tables.h"

#include <gtest/gtest.h>

#include <string>

namespace pelloran {
namespace {

TEST(ClassTablesTest, ParagraphClassesAreCountedInTheOrderFirstSeen) {
  ClassTables tables;
  for (const char* key : {"p.Main", "p.x", "p.Main", "p.y", "p.Main"})
    tables.CountParagraphClass(key);
  const auto& classes = tables.paragraph_classes();
  ASSERT_EQ(classes.size(), 3u);
  EXPECT_EQ(classes[0].key, "p.Main");
  EXPECT_EQ(classes[0].count, 3);
  EXPECT_EQ(classes[1].key, "p.x");
  EXPECT_EQ(classes[2].key, "p.y");
  EXPECT_EQ(classes[2].count, 1);
}

TEST(ClassTablesTest, KeysAreCaseSensitive) {
  ClassTables tables;
  tables.CountParagraphClass("p.main");
  tables.CountParagraphClass("p.Main");
  tables.AddUsedSelectorOnce("div.a");
  EXPECT_EQ(tables.paragraph_classes().size(), 2u);
  EXPECT_EQ(tables.CountUsedSelector("DIV.a"), 0);
}

TEST(ClassTablesTest, UsedSelectorsAreAddedOnceOrAgainOnRequest) {
  ClassTables tables;
  tables.AddUsedSelectorOnce("div.Wrap");
  tables.AddUsedSelectorOnce("div.Wrap");
  EXPECT_EQ(tables.CountUsedSelector("div.Wrap"), 1);
  tables.AddUsedSelector("a");
  tables.AddUsedSelector("a");
  EXPECT_EQ(tables.CountUsedSelector("a"), 2);
  EXPECT_EQ(tables.used_selectors(), (std::vector<std::string>{"div.Wrap", "a", "a"}));
  EXPECT_EQ(tables.CountUsedSelector("img"), 0);
}

TEST(ClassTablesTest, TablesGrowFarPastTheirOldLimits) {
  ClassTables tables;
  for (int i = 0; i < 1000; ++i) {
    tables.CountParagraphClass("p.c" + std::to_string(i));
    tables.AddUsedSelectorOnce("div.c" + std::to_string(i));
  }
  tables.CountParagraphClass("p.c999");
  ASSERT_EQ(tables.paragraph_classes().size(), 1000u);
  EXPECT_EQ(tables.paragraph_classes()[999].count, 2);
  EXPECT_EQ(tables.used_selectors()[500], "div.c500");
  EXPECT_EQ(tables.CountUsedSelector("div.c999"), 1);
}

}  // namespace
}  // namespace pelloran
