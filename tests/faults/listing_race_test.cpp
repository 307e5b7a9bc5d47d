// The folder changes between the listing the user chose from and Apply: the
// real clean run stops at the page that is gone with the file error, touches
// nothing of what took the page's place, and the next Apply works.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "cleaner/class_tables.h"
#include "cleaner/clean_run.h"
#include "tests/support/folder_file_list.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kPage[] =
    "<html><head><style>\r\np.Normal { font-family: Arial; color: red }\r\n</style></head>\r\n"
    "<body><p class=Normal>One <span lang=ru>two</span></p></body></html>\r\n";

struct Change {
  const char* what;
  std::function<void(const fs::path& page)> make;
  int code;
  const char* message;
};

TEST(ListingRaceTest, APageGoneBeforeApplyStopsTheRunAndTheNextRunWorks) {
  const Change changes[] = {
      {"deleted", [](const fs::path& page) { fs::remove(page); }, kFileNotFound, "File not found"},
      {"replaced by a folder",
       [](const fs::path& page) {
         fs::remove(page);
         fs::create_directory(page);
         WriteFile((page / "inside.htm").string(), kPage);
       },
       kFileAccessDenied, "File access denied: a folder is in the way"},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    TempDir dir;
    ScopedCurrentDir here(dir.path());
    for (const char* name : {"a.htm", "b.htm", "c.htm"}) WriteFile(dir / name, kPage);
    FolderFileList files(dir.path());
    for (const char* name : {"a.htm", "b.htm", "c.htm"}) files.Select(files.IndexOf(name));
    TestOptions options{17, 1, 6};
    TestGauge gauge;
    TestLinkCheck link_check;
    TestMessages messages;
    CleanContext context(options, gauge, link_check);
    ClassTables tables;

    change.make(dir.path() / "a.htm");
    try {
      RunClean(context, tables, files, messages);
      ADD_FAILURE() << "the failure must reach the failure handler";
    } catch (const EInOutError& failure) {
      EXPECT_EQ(failure.code(), change.code);
      EXPECT_STREQ(failure.what(), change.message);
    }
    EXPECT_FALSE(FileExists(dir / "a.htm~"));
    EXPECT_FALSE(FileExists(dir / "PL!__a.htm"));
    if (fs::is_directory(dir / "a.htm")) {
      EXPECT_EQ(ReadFile(dir / "a.htm/inside.htm"), kPage);
    }
    for (const char* name : {"b.htm", "c.htm"}) {  // the run stopped before them
      EXPECT_EQ(ReadFile(dir / name), kPage);
      EXPECT_FALSE(FileExists(dir / (std::string(name) + "~")));
    }
    EXPECT_FALSE(context.input.is_open());
    EXPECT_FALSE(context.working_copy.is_open());

    // Apply again over what the folder holds now: the same files open again.
    files.ReadFolder();
    files.Select(files.IndexOf("b.htm"));
    files.Select(files.IndexOf("c.htm"));
    EXPECT_TRUE(RunClean(context, tables, files, messages));
    for (const char* name : {"b.htm", "c.htm"}) {
      EXPECT_EQ(ReadFile(dir / (std::string(name) + "~")), kPage);
      EXPECT_FALSE(FileExists(dir / ("PL!__" + std::string(name))));
    }
  }
}

}  // namespace
}  // namespace pelloran::testing
