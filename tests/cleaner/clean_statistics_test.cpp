// The statistics the passes count, against a page whose every count is known.

#include "interfaces/clean_statistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaner/class_tables.h"
#include "cleaner/clean_run.h"
#include "tests/support/folder_file_list.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran {
namespace {

using testing::TempDir;
using testing::WriteFile;

constexpr char kPage[] =
    "<html><head><style>\r\n"
    "p.Normal { font-family: Arial; color: red; margin: 0 }\r\n"
    "h1 { font-size: 12pt; text-align: center }\r\n"
    ".unused { color: blue }\r\n"
    "</style></head>\r\n"
    "<body><p class=Normal style=\"color:red\">One <span lang=ru>two</span></p>\r\n"
    "<p class=Normal>Three <a target=_blank href=\"http://a.example/x\">x</a></p>\r\n"
    "<p class=Other>Four <a href=\"#top\">top</a><img width=1 src=\"i.png\" alt=1></p>\r\n"
    "</body></html>\r\n";

CleanStatistics CleanCounting(testing::TestOptions options) {
  TempDir dir;
  WriteFile(dir / "a.htm", kPage);
  testing::ScopedCurrentDir here(dir.path());
  testing::FolderFileList files(dir.path());
  files.Select(files.IndexOf("a.htm"));
  testing::TestGauge gauge;
  testing::TestLinkCheck link_check;
  link_check.available["http://a.example/x"] = true;
  testing::TestMessages messages;
  ClassTables tables;
  CleanContext context(options, gauge, link_check);
  CleanStatistics statistics;
  context.statistics = &statistics;
  RunClean(context, tables, files, messages);
  return statistics;
}

TEST(CleanStatisticsTest, ThePassesCountWhatTheyDo) {
  testing::TestOptions options{1, 2, 12, 17, 18};
  options.SetLinkChecking(true);
  const CleanStatistics s = CleanCounting(options);
  EXPECT_EQ(s.style_rules_read, 3);
  EXPECT_EQ(s.style_rules_written, 2);  // ".unused" keeps nothing
  EXPECT_EQ(s.declarations_read, 6);
  EXPECT_EQ(s.declarations_kept, 3);  // font-family; font-size, text-align
  EXPECT_EQ(s.declarations_dropped(), 3);
  EXPECT_EQ(s.span_tags_dropped, 2);
  EXPECT_EQ(s.tags_cut_to_class, 3);  // the three paragraphs
  EXPECT_EQ(s.image_tags_reduced, 1);
  EXPECT_EQ(s.link_tags_reduced, 2);
  EXPECT_EQ(s.paragraph_tags_bared, 3);
  EXPECT_EQ(s.override_rules_kept, 1);   // p.Normal dominates and becomes "p"
  EXPECT_EQ(s.unused_rules_dropped, 1);  // no element is an h1
  ASSERT_EQ(s.links.size(), 2u);
  EXPECT_EQ(s.links[0].value, "http://a.example/x");
  EXPECT_EQ(s.links[0].outcome.verdict, LinkVerdict::kAvailable);
  EXPECT_EQ(s.links[1].value, "#top");
  EXPECT_EQ(s.links[1].outcome.verdict, LinkVerdict::kNotChecked);  // no such target
}

TEST(CleanStatisticsTest, WithoutOverridingNorDroppedSpansThoseCountsStayNought) {
  const CleanStatistics s = CleanCounting(testing::TestOptions{1});
  EXPECT_EQ(s.style_rules_read, 3);
  EXPECT_EQ(s.style_rules_written, 1);
  EXPECT_EQ(s.declarations_kept, 1);
  EXPECT_EQ(s.span_tags_dropped, 0);
  EXPECT_EQ(s.tags_cut_to_class, 0);
  EXPECT_EQ(s.paragraph_tags_bared, 0);
  EXPECT_EQ(s.override_rules_kept + s.unused_rules_dropped, 0);
  EXPECT_TRUE(s.links.empty());
}

}  // namespace
}  // namespace pelloran
