#include "cleaner/clean_preview.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cleaner/class_tables.h"
#include "cleaner/clean_run.h"
#include "cleaner/page_clean.h"
#include "tests/support/folder_file_list.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::Snapshot;
using testing::TempDir;
using testing::WriteFile;

constexpr char kPage[] =
    "<html><head><style>\r\n"
    "p.Normal { font-family: Arial; color: red; margin: 0 }\r\n"
    ".unused { color: blue }\r\n"
    "</style></head>\r\n"
    "<body><p class=Normal style=\"color:red\">One <span lang=ru>two</span></p>\r\n"
    "<p class=Normal>Three <a target=_blank href=\"http://a.example/x\">x</a></p>\r\n"
    "<table class=t><tr><td class=c>cell</td></tr></table></body></html>";

// Sets TMPDIR for the object's lifetime.
class ScopedTempFolder {
 public:
  explicit ScopedTempFolder(const fs::path& dir) { ::setenv("TMPDIR", dir.c_str(), 1); }
  ~ScopedTempFolder() { ::unsetenv("TMPDIR"); }
};

// Pages cleaned one after another through the run's tables give the bytes
// Apply gives them, and the folder of the pages stays as it was.
TEST(CleanPreviewTest, GivesTheBytesOfApplyAndTouchesNothing) {
  const std::vector<std::string> pages = {kPage,
                                          std::string(kPage) + "<p class=Other>more</p>\n",
                                          "no tags",
                                          "<p class=x>\x1a",
                                          std::string("\xFF\xFE<\0p\0", 6),  // UTF-16
                                          "<p><o:p>&nbsp;</o:p></p><![if !vml]>x<![endif]>"};
  struct Setup {
    std::vector<int> boxes;
    bool office = false;  // the Office switch, which the compare window follows too
  };
  for (const Setup& setup : std::vector<Setup>{{{}}, {{17}}, {{5, 18}}, {{5, 18}, true}}) {
    SCOPED_TRACE("boxes " + std::to_string(setup.boxes.size()) + (setup.office ? " office" : ""));
    testing::TestOptions options;
    for (int box : setup.boxes) options.Tick(box);
    options.SetOfficeMarkupDropped(setup.office);
    TempDir applied, previewed, out;
    for (const TempDir* dir : {&applied, &previewed}) {
      for (size_t i = 0; i < pages.size(); ++i)
        WriteFile(*dir / ("p" + std::to_string(i) + ".htm"), pages[i]);
    }
    const auto before = Snapshot(previewed.path());

    ClassTables tables;
    testing::TestGauge preview_gauge;
    testing::TestLinkCheck no_link_check;
    CleanContext preview_context(options, preview_gauge, no_link_check);
    PageCleaner cleaner(preview_context, tables);
    struct Outcome {
      bool cleaned;
      std::string message;
    };
    std::vector<Outcome> outcomes;
    for (size_t i = 0; i < pages.size(); ++i) {
      const std::string name = "p" + std::to_string(i) + ".htm";
      const PageResult result = cleaner.CleanInto(PageFiles::At(previewed / name), out / name);
      outcomes.push_back(
          {result.end == PageEnd::kCleaned || result.end == PageEnd::kUnchanged, result.message});
    }
    EXPECT_EQ(Snapshot(previewed.path()), before);

    {
      testing::ScopedCurrentDir here(applied.path());
      testing::FolderFileList files(applied.path());
      for (int i = 0; i < files.Count(); ++i) files.Select(i);
      testing::TestGauge gauge;
      testing::TestLinkCheck link_check;
      testing::TestMessages messages;
      ClassTables apply_tables;
      CleanContext context(options, gauge, link_check);
      RunClean(context, apply_tables, files, messages);
    }
    for (size_t i = 0; i < pages.size(); ++i) {
      const std::string name = "p" + std::to_string(i) + ".htm";
      SCOPED_TRACE(name);
      const bool cleaned = fs::exists(applied / (name + "~"));
      // A page its clean would not change is left without a backup.
      const bool unchanged = !cleaned && ReadFile(applied / name) == pages[i];
      EXPECT_EQ(outcomes[i].cleaned, cleaned || (unchanged && fs::exists(out / name)))
          << outcomes[i].message;
      if (outcomes[i].cleaned) {
        EXPECT_EQ(ReadFile(out / name), ReadFile(applied / name));
      } else {
        EXPECT_NE(outcomes[i].message.find("«" + name + "» не изменён"), std::string::npos);
        EXPECT_EQ(outcomes[i].message.find("UTF-16") != std::string::npos, i == 4);
        EXPECT_FALSE(fs::exists(out / name));
      }
    }
    EXPECT_FALSE(fs::exists(out / "p0.htm.pass2"));
  }
}

TEST(CleanPreviewTest, PreviewLeavesTheTablesAndTheTemporaryFolderAsTheyWere) {
  TempDir pages, temp;
  ScopedTempFolder in_temp(temp.path());
  WriteFile(pages / "a.htm", kPage);
  testing::TestOptions options{17};
  ClassTables tables;
  tables.CountParagraphClass("p.Kept");

  const PagePreview preview = PreviewCleanPage(options, tables, pages / "a.htm");
  EXPECT_TRUE(preview.cleaned) << preview.message;
  EXPECT_NE(preview.text.find("<p>One"), std::string::npos) << preview.text;
  EXPECT_EQ(tables.paragraph_classes().size(), 1u);
  EXPECT_TRUE(tables.used_selectors().empty());
  EXPECT_TRUE(fs::is_empty(temp.path()));
  EXPECT_EQ(Snapshot(pages.path()).size(), 1u);

  const PagePreview missing = PreviewCleanPage(options, tables, pages / "gone.htm");
  EXPECT_FALSE(missing.cleaned);
  EXPECT_EQ(missing.message,
            "Не удалось открыть файл «" + (pages / "gone.htm") + "»: файл не найден.");
  EXPECT_TRUE(fs::is_empty(temp.path()));
}

}  // namespace
}  // namespace pelloran
