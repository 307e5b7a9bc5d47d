#include "tools/page_comparison.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "cleaner/class_tables.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran {
namespace {

using testing::TempDir;
using testing::TestOptions;
using testing::WriteFile;

std::set<std::string> Names(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(dir.path()))
    names.insert(item.path().filename().string());
  return names;
}

// What each page is compared with, and what a page that cannot be compared
// answers; the folder keeps its names throughout.
TEST(ComparePage, WithTheCopyOrWithWhatApplyWouldMake) {
  TempDir dir;
  WriteFile(dir / "a.htm", "<p>new</p>\n");
  WriteFile(dir / "a.htm~", "<p>old</p>\n");
  WriteFile(dir / "b.htm", "<style>\np {color:red; font-size:9pt}\n</style>\n");
  WriteFile(dir / "c.htm", "text\x1A more");
  const std::set<std::string> names = Names(dir);
  TestOptions options{2};  // keep font-size only
  ClassTables tables;

  const PageComparison a = ComparePage(options, tables, dir / "a.htm");
  EXPECT_TRUE(a.ok && a.from_backup);
  EXPECT_EQ(a.before, "<p>old</p>\n");
  EXPECT_EQ(a.after, "<p>new</p>\n");
  EXPECT_EQ(a.diff, "--- a/a.htm\n+++ b/a.htm\n@@ -1 +1 @@\n-<p>old</p>\n+<p>new</p>\n");

  const PageComparison b = ComparePage(options, tables, dir / "b.htm");
  EXPECT_TRUE(b.ok);
  EXPECT_FALSE(b.from_backup);
  EXPECT_EQ(b.before, "<style>\np {color:red; font-size:9pt}\n</style>\n");
  EXPECT_EQ(b.after.find("color:red"), std::string::npos) << b.after;
  EXPECT_NE(b.after.find("font-size:9pt"), std::string::npos) << b.after;

  const PageComparison c = ComparePage(options, tables, dir / "c.htm");
  EXPECT_FALSE(c.ok);
  EXPECT_NE(c.message.find("«c.htm»"), std::string::npos) << c.message;

  const PageComparison gone = ComparePage(options, tables, dir / "gone.htm");
  EXPECT_FALSE(gone.ok);
  EXPECT_NE(gone.message.find("«gone.htm»"), std::string::npos) << gone.message;

  EXPECT_EQ(Names(dir), names);
  EXPECT_TRUE(tables.used_selectors().empty());
}

}  // namespace
}  // namespace pelloran
