#include "cleaner/relative_links.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cleaner/class_tables.h"
#include "cleaner/clean_run.h"
#include "tests/support/folder_file_list.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Apply with link checking on over a page of links beside real files.
class RelativeLinkRunTest : public ::testing::Test {
 protected:
  RelativeLinkRunTest() {
    fs::create_directory(dir_.path() / "sub");
    testing::WriteFile(dir_ / "page two.htm", "x");
    testing::WriteFile(dir_ / "sub/b.htm", "x");
  }

  std::string Clean(const std::string& page) {
    testing::WriteFile(dir_ / "a.htm", page);
    testing::FolderFileList files(dir_.path());
    files.Select(files.IndexOf("a.htm"));
    testing::TestGauge gauge;
    testing::TestMessages messages;
    ClassTables tables;
    CleanContext context(options_, gauge, link_check_);
    RunClean(context, tables, files, messages);
    return testing::ReadFile(dir_ / "Ссылки.txt");
  }

  TempDir dir_;
  testing::ScopedCurrentDir here_{dir_.path()};
  testing::TestOptions options_;
  testing::TestLinkCheck link_check_;
};

TEST_F(RelativeLinkRunTest, MarksRelativeLinksByTheFilesBesideThePage) {
  const struct {
    const char* value;
    bool available;
    bool asked_of_the_web;
  } links[] = {
      {"page%20two.htm", true, false},
      {"page two.htm", true, false},
      {"page%20two.htm?q=1&r=%zz", true, false},
      {"page%20two.htm#part", true, false},
      {"sub/b.htm", true, false},
      {"sub/", true, false},
      {"./sub/../a.htm", true, false},
      {"missing.htm", false, false},
      {"missing.htm?page%20two.htm", false, false},
      {"sub/missing.htm#b.htm", false, false},
      {"page%2", false, false},
      {"/tmp", false, false},  // from the site's root, not this machine's
      {"#top", true, false},   // the page's own anchor
      {"#nowhere", false, false},
      {"mailto:a@b.ru", false, false},
      {"//a.example/x", false, true},
      {"http://a.example/", true, true},
  };
  std::string page = "<a name=top></a>\n";  // no report line: no closing quote
  std::string lines;
  std::vector<std::string> web;
  for (const auto& link : links) {
    const std::string value = "\"" + std::string(link.value) + "\"";
    page += "<a href=" + value + ">x</a>\n";
    const bool in_page = value.find('#') != std::string::npos;
    lines += (in_page ? "     " : "ext  ") + value + (link.available ? "     OK" : "") + "\r\n";
    if (link.asked_of_the_web) {
      web.push_back(link.value);
      link_check_.available[link.value] = link.available;
    }
  }
  options_.SetLinkChecking(true);
  options_.SetLocalLinkChecking(true);
  const std::string header =
      "\xEF\xBB\xBF\r\n           " + (dir_.path() / "a.htm").string() + " :\r\n\r\n";
  EXPECT_EQ(Clean(page), header + lines);
  EXPECT_EQ(link_check_.asked, web);

  // Without the switch relative links are not checked at all, and still
  // only web addresses reach the link check.
  options_.SetLocalLinkChecking(false);
  fs::remove(dir_ / "a.htm~");
  link_check_.asked.clear();
  const std::string report = Clean(page);
  EXPECT_EQ(link_check_.asked, web);
  EXPECT_EQ(report.find("ext  \"page%20two.htm\"     OK"), std::string::npos);
}

}  // namespace
}  // namespace pelloran
