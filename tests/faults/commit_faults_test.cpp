// The commit of a page under what other file systems and other people do:
// two runs at once where there are neither unnamed files nor hard links, a
// page rewritten while it is cleaned, and what a page carries (bits, ACL,
// extended attributes, owner).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <algorithm>
#include <filesystem>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "cleaner/class_tables.h"
#include "cleaner/page_clean.h"
#include "cleaner/page_messages.h"
#include "tests/support/clean_command.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {
namespace {

namespace fs = std::filesystem;

const std::string kPage =
    "<html><head><style>\r\np.Normal { font-family: Arial; color: red }\r\n.unused { color: blue "
    "}\r\n</style></head><body>\r\n<p class=Normal style=\"color:red\">text <span "
    "lang=ru>текст</span></p>\r\n</body></html>\r\n";

std::string PageNumber(int i) { return "page" + std::to_string(i) + ".htm"; }

int Occurrences(const std::string& text, const std::string& what) {
  int count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(CommitFaultTest, TwoRunsAtOnceWithoutUnnamedFilesOrHardLinksCleanEachPageOnceAndWhole) {
  constexpr int kPages = 60;
  std::vector<std::string> args = {"--tick", "17", "--"};
  for (int i = 0; i < kPages; ++i) args.push_back(PageNumber(i));
  TempDir usual;
  for (int i = 0; i < kPages; ++i) WriteFile(usual / PageNumber(i), kPage + std::to_string(i));
  ASSERT_EQ(RunCleanCommand(usual.path(), args).status, 0);

  TempDir dir;
  for (int i = 0; i < kPages; ++i) WriteFile(dir / PageNumber(i), kPage + std::to_string(i));
  CommandFaults refused;
  refused.environment = {{"PELLORAN_REFUSE", "unnamed-files,hard-links"}};
  auto run = [&] { return RunCleanCommand(dir.path(), args, refused); };
  auto first = std::async(std::launch::async, run);
  auto second = std::async(std::launch::async, run);
  const CommandOutcome outcomes[] = {first.get(), second.get()};
  for (int i = 0; i < kPages; ++i) {
    SCOPED_TRACE(PageNumber(i));
    // Both passes, as where the file system has every feature.
    EXPECT_EQ(ReadFile(dir / PageNumber(i)), ReadFile(usual / PageNumber(i)));
    EXPECT_EQ(ReadFile(dir / (PageNumber(i) + "~")), kPage + std::to_string(i));
    const std::string done = PageNumber(i) + ": Операция выполнена!";
    EXPECT_EQ(Occurrences(outcomes[0].out, done) + Occurrences(outcomes[1].out, done), 1);
  }
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_NE(entry.path().filename().string().rfind("PL!__", 0), 0u) << entry.path();
}

// The page is written anew while its first pass reads it: its new text stays,
// no backup is made, and the run says so.
TEST(CommitFaultTest, APageRewrittenDuringItsCleanIsLeftWithItsNewText) {
  TempDir dir;
  WriteFile(dir / "a.htm", kPage);
  TestOptions options;
  UnseenGauge gauge;
  TestLinkCheck link_check;
  CleanContext context(options, gauge, link_check);
  ClassTables tables;
  CleanPasses passes;
  passes.first = [&](CleanContext& c, ClassTables& t, RunState& r) {
    WriteFile(dir / "a.htm", "<p>written meanwhile</p>");
    RunTagFilter(c, t, r);
  };
  PageCleaner cleaner(context, tables, passes);
  const PageResult result = cleaner.Clean(PageFiles::At(dir / "a.htm"));
  EXPECT_EQ(result.end, PageEnd::kLeftByFailure);
  EXPECT_EQ(result.message, PageChangedMessage("a.htm"));
  EXPECT_EQ(ReadFile(dir / "a.htm"), "<p>written meanwhile</p>");
  EXPECT_FALSE(FileExists(dir / "a.htm~"));
  EXPECT_FALSE(FileExists(dir / "PL!__a.htm"));
}

std::string Attribute(const std::string& path, const char* name) {
  char value[256];
  const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
  return size < 0 ? "(none)" : std::string(value, static_cast<size_t>(size));
}

// A read-only page with an ACL for a web server and a user attribute keeps
// all three; another user's page is left to its owner unless --force.
TEST(CommitFaultTest, ThePageKeepsWhatItCarriesAndItsOwner) {
  TempDir dir;
  const std::string page = dir / "a.htm";
  WriteFile(page, kPage);
  ::chmod(page.c_str(), 0444);
  // user::r--, user 33: r--, group::r--, mask::r--, other::r-- (the ACL's own format).
  const unsigned char acl[] = {2, 0,  0,   0,   1,   0,   4,  0, 255, 255, 255, 255, 2,   0,  4,
                               0, 33, 0,   0,   0,   4,   0,  4, 0,   255, 255, 255, 255, 16, 0,
                               4, 0,  255, 255, 255, 255, 32, 0, 4,   0,   255, 255, 255, 255};
  if (::setxattr(page.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) != 0 ||
      ::setxattr(page.c_str(), "user.origin", "web", 3, 0) != 0)
    GTEST_SKIP() << "no ACLs or user attributes here";
  const std::string acl_before = Attribute(page, "system.posix_acl_access");
  ASSERT_EQ(RunCleanCommand(dir.path(), {"a.htm"}).status, 0);
  EXPECT_NE(ReadFile(page), kPage);
  struct stat st;
  ASSERT_EQ(::stat(page.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  EXPECT_EQ(Attribute(page, "system.posix_acl_access"), acl_before);
  EXPECT_EQ(Attribute(page, "user.origin"), "web");

  // Root's page, cleaned by another user of the folder.
  TempDir shared;
  ::chmod(shared.path().c_str(), 0777);
  WriteFile(shared / "b.htm", kPage);
  CommandFaults other;
  other.run_as_user = 65534;
  const CommandOutcome left = RunCleanCommand(shared.path(), {"b.htm"}, other);
  EXPECT_NE(left.err.find(OthersPageMessage("b.htm")), std::string::npos) << left.err;
  EXPECT_EQ(ReadFile(shared / "b.htm"), kPage);
  EXPECT_FALSE(FileExists(shared / "b.htm~"));
  const CommandOutcome forced = RunCleanCommand(shared.path(), {"--force", "b.htm"}, other);
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(ReadFile(shared / "b.htm~"), kPage);
  ASSERT_EQ(::stat((shared / "b.htm").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
}

}  // namespace
}  // namespace pelloran::testing
