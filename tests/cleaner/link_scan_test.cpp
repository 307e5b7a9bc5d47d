#include "cleaner/link_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/cleaner/pass_harness.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Distinct(const std::vector<std::string>& values) {
  std::vector<std::string> distinct;
  std::set<std::string> seen;
  for (const std::string& value : values) {
    if (seen.insert(value).second) distinct.push_back(value);
  }
  return distinct;
}

// Option sets that change what the first pass reads: tables copied whole or
// not, spans kept or dropped, attributes searched for a class or copied.
struct OptionSet {
  std::vector<int> ticked;
  bool local_links;
};
const OptionSet kSetups[] = {{{}, false}, {{kOverrideBox}, false}, {{5, kDropSpansBox}, true}};

TEST(LinkScanTest, CollectsWhatTheFirstPassAsksOverTheCorpus) {
  const fs::path folder = fs::path(PELLORAN_CORPUS_DIR) / "pages";
  if (!fs::exists(folder)) GTEST_SKIP() << "no corpus at " << folder;
  std::vector<std::string> pages;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) pages.push_back(entry.path().string());
  }
  std::sort(pages.begin(), pages.end());

  for (const OptionSet& setup : kSetups) {
    std::vector<std::string> asked_over_all;
    size_t pages_with_links = 0;
    testing::PassHarness harness;
    for (int box : setup.ticked) harness.options.Tick(box);
    harness.options.SetLinkChecking(true);
    harness.options.SetLocalLinkChecking(setup.local_links);
    for (const std::string& page : pages) {
      harness.link_check.asked.clear();
      harness.FirstPass(testing::ReadFile(page));
      const std::vector<std::string> asked = Distinct(harness.link_check.asked);
      ASSERT_EQ(ScanLinkValues(harness.options, std::vector<std::string>{page}), asked) << page;
      asked_over_all.insert(asked_over_all.end(), asked.begin(), asked.end());
      if (!asked.empty()) ++pages_with_links;
    }
    EXPECT_GT(pages_with_links, 50u);
    // All pages at once, with one that cannot be read among them.
    std::vector<std::string> with_missing = pages;
    with_missing.insert(with_missing.begin() + 1, (folder / "no-such-page.htm").string());
    testing::TestOptions options;
    for (int box : setup.ticked) options.Tick(box);
    options.SetLinkChecking(true);
    options.SetLocalLinkChecking(setup.local_links);
    EXPECT_EQ(ScanLinkValues(options, with_missing), Distinct(asked_over_all));
  }
}

TEST(LinkScanTest, PassesOverPagesThatNoPassReads) {
  testing::TempDir dir;
  testing::WriteFile(dir / "utf16.htm", std::string("\xFF\xFE<a href=\"http://u/\">", 22));
  testing::WriteFile(dir / "plain.htm", "<a href=\"http://p/\">");
  fs::create_directory(dir.path() / "folder.htm");
  testing::TestOptions options;
  options.SetLinkChecking(true);
  const std::vector<std::string> pages = {dir / "utf16.htm", dir / "missing.htm",
                                          dir / "folder.htm", dir / "plain.htm"};
  EXPECT_EQ(ScanLinkValues(options, pages), std::vector<std::string>{"http://p/"});
}

}  // namespace
}  // namespace pelloran
