// The batch command against real faults of the folder, the disk and the page
// itself. Every case checks the three things a user relies on: the page's
// bytes are still there under its name or its "~" name, no "PL!__" file is
// left behind, and the message names the page and the reason.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <string>
#include <vector>

#include "cleaner/class_tables.h"
#include "cleaner/page_clean.h"
#include "cleaner/page_messages.h"
#include "tests/support/clean_command.h"
#include "tests/support/fault_env.h"
#include "tests/support/sample_page.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"

namespace pelloran::testing {
namespace {

namespace fs = std::filesystem;

// What a folder holds after a run: no working copy, and the page's bytes under
// its own name or the backup name.
void ExpectPageKept(const fs::path& dir, const std::string& name, const std::string& original) {
  SCOPED_TRACE(name);
  EXPECT_FALSE(FileExists(dir / ("PL!__" + name)));
  const bool as_page = FileExists(dir / name) && ReadFile(dir / name) == original;
  const bool as_backup = FileExists(dir / (name + "~")) && ReadFile(dir / (name + "~")) == original;
  EXPECT_TRUE(as_page || as_backup) << "the page's bytes are gone";
}

// A page the command left exactly as it was, saying why on its error stream.
// A page left by a rule of the program is no failure of the call (status 0).
void ExpectLeftAlone(const fs::path& dir, const std::string& name, const std::string& original,
                     const CommandOutcome& outcome, const std::string& message, int status = 1) {
  ExpectPageKept(dir, name, original);
  EXPECT_EQ(ReadFile(dir / name), original);
  EXPECT_FALSE(FileExists(dir / (name + "~")));
  EXPECT_EQ(outcome.status, status);
  // The line names the page once: a message naming it stands alone.
  const bool names_page = message.find("«" + name + "»") != std::string::npos;
  EXPECT_NE(outcome.err.find(names_page ? message : name + ": " + message), std::string::npos)
      << outcome.err;
}

void ExpectCleaned(const fs::path& dir, const std::string& name, const std::string& original,
                   const CommandOutcome& outcome) {
  SCOPED_TRACE(name);
  EXPECT_EQ(ReadFile(dir / (name + "~")), original);
  EXPECT_FALSE(FileExists(dir / ("PL!__" + name)));
  EXPECT_NE(outcome.out.find(name + ": Операция выполнена!"), std::string::npos) << outcome.err;
}

TEST(CommandFaultsTest, AFolderWhereNoWorkingCopyCanBeMadeLeavesItsPagesAlone) {
  TempDir dir;
  fs::create_directory(dir / "ro");
  fs::create_directory(dir / "rw");
  WriteFile(dir / "ro/a.htm", kSamplePage);
  WriteFile(dir / "rw/b.htm", kSamplePage);
  ASSERT_EQ(::chmod((dir / "ro").c_str(), 0555), 0);
  const CommandOutcome outcome =
      RunCleanCommand(dir.path(), {"ro/a.htm", "rw/b.htm"}, WithoutFileCapabilities());
  ::chmod((dir / "ro").c_str(), 0755);
  ExpectLeftAlone(
      dir.path() / "ro", "a.htm", kSamplePage, outcome,
      "Не удалось создать файл в папке «" + (dir.path() / "ro").string() + "»: нет доступа.");
  ExpectCleaned(dir.path() / "rw", "b.htm", kSamplePage, outcome);  // the command goes on
}

TEST(CommandFaultsTest, AnUnreadablePageIsLeftAlone) {
  TempDir dir;
  WriteFile(dir / "a.htm", kSamplePage);
  ASSERT_EQ(::chmod((dir / "a.htm").c_str(), 0200), 0);
  const CommandOutcome outcome = RunCleanCommand(dir.path(), {"a.htm"}, WithoutFileCapabilities());
  ::chmod((dir / "a.htm").c_str(), 0644);
  ExpectLeftAlone(
      dir.path(), "a.htm", kSamplePage, outcome,
      "Не удалось открыть файл «" + (dir.path() / "a.htm").string() + "»: нет доступа.");
}

TEST(CommandFaultsTest, AFullDiskDuringTheFirstPassLeavesThePageAlone) {
  SmallTmpfs disk("64k");
  ASSERT_TRUE(disk.mounted());
  const std::string page = std::string(kSamplePage) + std::string(40 * 1024, 'x');
  WriteFile(disk / "a.htm", page);
  const CommandOutcome outcome = RunCleanCommand(disk.path(), {"a.htm"});
  ExpectLeftAlone(disk.path(), "a.htm", page, outcome,
                  "Не удалось записать файл «" + (disk.path() / "PL!__a.htm").string() +
                      "»: нет места на диске.");
}

// The first pass's result stays in memory: room for the page and one
// working copy is enough for both passes.
TEST(CommandFaultsTest, RoomForOneWorkingCopyIsEnoughForBothPasses) {
  SmallTmpfs disk("96k");
  ASSERT_TRUE(disk.mounted());
  const std::string page = std::string(40 * 1024, 't') + "<p class=a>x</p>";
  WriteFile(disk / "a.htm", page);
  const CommandOutcome outcome = RunCleanCommand(disk.path(), {"--tick", "17", "a.htm"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  ExpectCleaned(disk.path(), "a.htm", page, outcome);
}

TEST(CommandFaultsTest, AFileSizeLimitIsAFullDiskNotAKilledProgram) {
  TempDir dir;
  const std::string page = std::string(kSamplePage) + std::string(64 * 1024, 'x');
  WriteFile(dir / "a.htm", page);
  const CommandOutcome outcome =
      RunCleanCommand(dir.path(), {"a.htm"}, WithFileSizeLimit(16 * 1024));
  EXPECT_EQ(outcome.signal, 0);
  ExpectLeftAlone(dir.path(), "a.htm", page, outcome,
                  "Не удалось записать файл «" + (dir.path() / "PL!__a.htm").string() +
                      "»: превышен предельный размер файла.");
}

// A link report the disk refuses at the end fails the call; the pages cleaned
// before it are still counted.
TEST(CommandFaultsTest, ALinkReportNotWrittenStillCountsThePages) {
  TempDir dir;
  std::string page;
  for (int i = 0; i < 100; ++i) page += "<a href=\"p" + std::to_string(i) + ".htm\">x</a>";
  std::vector<std::string> args = {"--check-links", "--check-local-links"};
  for (const char* name : {"a.htm", "b.htm", "c.htm", "d.htm"}) {
    WriteFile(dir / name, page);  // each well under the limit; the report of all four is not
    args.emplace_back(name);
  }
  const CommandOutcome outcome = RunCleanCommand(dir.path(), args, WithFileSizeLimit(4 * 1024));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.out.find("очищено 0, не изменено 4, пропущено 0, с ошибкой 0"),
            std::string::npos)
      << outcome.out << outcome.err;
  EXPECT_NE(outcome.err.find("превышен предельный размер файла"), std::string::npos) << outcome.err;
  EXPECT_EQ(ReadFile(dir / "a.htm"), page);
  EXPECT_FALSE(FileExists(dir / "a.htm~"));  // unchanged: no backup
}

// Only a regular file under the link report's name is replaced: a link
// planted there (or a folder) is left, with no report and no page touched;
// and links planted under the temporary names a run could once be guessed to
// use lead nowhere, the report is made under a name of its own.
TEST(CommandFaultsTest, PlantedLinksNeverLeadTheLinkReportElsewhere) {
  for (const std::string in_place : {"link", "folder", "nothing"}) {
    SCOPED_TRACE(in_place);
    TempDir dir;
    WriteFile(dir / "a.htm", kSamplePage);
    WriteFile(dir / "victim.txt", "someone's file");
    if (in_place == "link") fs::create_symlink("victim.txt", dir / "Ссылки.txt");
    if (in_place == "folder") fs::create_directory(dir / "Ссылки.txt");
    for (pid_t pid = ::getpid(); pid < ::getpid() + 2000; ++pid)
      fs::create_symlink("victim.txt", dir / (".Ссылки.txt." + std::to_string(pid)));
    const CommandOutcome outcome = RunCleanCommand(dir.path(), {"--check-links", "a.htm"});
    EXPECT_EQ(ReadFile(dir / "victim.txt"), "someone's file");
    if (in_place == "nothing") {
      EXPECT_EQ(outcome.status, 0) << outcome.err;
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "Ссылки.txt")));
      EXPECT_EQ(ReadFile(dir / "Ссылки.txt").rfind("\xEF\xBB\xBF\r\n", 0), 0u);
      continue;
    }
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(
        outcome.err.find("Отчёт о ссылках не записан: «" + (dir.path() / "Ссылки.txt").string() +
                         "» — это " + (in_place == "link" ? "символическая ссылка" : "папка") +
                         ", а заменяется только обычный файл."),
        std::string::npos)
        << outcome.err;
    EXPECT_EQ(fs::is_symlink(dir / "Ссылки.txt"), in_place == "link");
    EXPECT_EQ(ReadFile(dir / "a.htm"), kSamplePage);
    EXPECT_FALSE(FileExists(dir / "a.htm~"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()),
              3 + 2000);
  }
}

// A folder of the tree that cannot be read fails the call, and the summary
// and the JSON report say so with the exit status.
TEST(CommandFaultsTest, AFolderThatCannotBeReadIsCountedAndNamed) {
  TempDir dir;
  fs::create_directories(dir / "s/locked");
  WriteFile(dir / "s/a.htm", "<p>a</p>");  // nothing for the clean to change
  WriteFile(dir / "s/locked/b.htm", kSamplePage);
  ASSERT_EQ(::chmod((dir / "s/locked").c_str(), 0), 0);
  const CommandOutcome outcome =
      RunCleanCommand(dir.path(), {"-r", "--json", "r.json", "s"}, WithoutFileCapabilities());
  ::chmod((dir / "s/locked").c_str(), 0755);
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.err.find("s/locked: не удалось прочитать папку: нет доступа\n"),
            std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.out.find("очищено 0, не изменено 1, пропущено 0, с ошибкой 1\n"),
            std::string::npos)
      << outcome.out;
  EXPECT_EQ(outcome.out.find("очищать нечего"), std::string::npos);
  const std::string report = ReadFile(dir / "r.json");
  EXPECT_NE(report.find("\"failed\": 1,"), std::string::npos) << report;
  EXPECT_NE(report.find("\"path\": \"s/locked\""), std::string::npos);
  EXPECT_EQ(ReadFile(dir / "s/locked/b.htm"), kSamplePage);
}

// Any name under the backup's, a dangling link too, leaves the page: the dry
// run says so as the run does.
TEST(CommandFaultsTest, ABackupNameTakenByADanglingLinkLeavesThePageInADryRunToo) {
  TempDir dir;
  WriteFile(dir / "a.htm", kSamplePage);
  fs::create_symlink("nowhere", dir / "a.htm~");
  for (const std::vector<std::string> args : {std::vector<std::string>{"-n", "a.htm"}, {"a.htm"}}) {
    const CommandOutcome outcome = RunCleanCommand(dir.path(), args);
    EXPECT_NE(outcome.out.find("очищено 0, не изменено 0, пропущено 1"), std::string::npos)
        << outcome.out;
  }
  EXPECT_EQ(ReadFile(dir / "a.htm"), kSamplePage);
}

TEST(CommandFaultsTest, AReadOnlyFileSystemLeavesThePageAlone) {
  SmallTmpfs disk("1m");
  ASSERT_TRUE(disk.mounted());
  WriteFile(disk / "a.htm", kSamplePage);
  ASSERT_TRUE(disk.RemountReadOnly());
  const CommandOutcome outcome = RunCleanCommand(disk.path(), {"a.htm"});
  ExpectLeftAlone(
      disk.path(), "a.htm", kSamplePage, outcome,
      "Не удалось создать файл в папке «" + disk.path().string() + "»: диск защищён от записи.");
}

// Pages no tool of the web wrote: each comes through with its bytes kept.
TEST(CommandFaultsTest, OddPagesAreCleanedOrLeftWithAReason) {
  std::mt19937 random(8);
  std::string binary(256 * 1024, '\0');
  for (char& c : binary) c = static_cast<char>(random());
  std::string binary_without_26 = binary;
  for (char& c : binary_without_26) c = c == '\x1a' ? '\x1b' : c;
  struct Case {
    std::string name;
    std::string bytes;
    bool cleaned;
    bool unchanged_when_cleaned;  // text without tags passes through as it is
  };
  const std::vector<Case> cases = {
      {"nul.htm", std::string("<p class=a>x\0y</p>\0tail", 23), true, false},
      {"nul26.htm", std::string("<p>\0x\x1a<p>after", 15), false, false},
      {"binary.bin", binary, false, false},
      {"binary-no26.htm", binary_without_26, true, false},
      {"plain.htm", std::string(100 * 1024, 'a') + "\r\nno tags at all\r\n", true, true},
      {"brackets.htm", std::string(70 * 1024, '<'), true, true},
      {"empty.htm", "", true, true},
  };
  TempDir dir;
  std::vector<std::string> args = {"--tick", "17"};
  for (const Case& c : cases) {
    WriteFile(dir / c.name, c.bytes);
    args.push_back(c.name);
  }
  const CommandOutcome outcome = RunCleanCommand(dir.path(), args);
  EXPECT_EQ(outcome.signal, 0);
  for (const Case& c : cases) {
    if (c.cleaned && c.unchanged_when_cleaned) {
      // Nothing to change: no backup, the page as it was.
      EXPECT_EQ(ReadFile(dir / c.name), c.bytes) << c.name;
      EXPECT_FALSE(FileExists(dir / (c.name + "~"))) << c.name;
    } else if (c.cleaned) {
      ExpectCleaned(dir.path(), c.name, c.bytes, outcome);
    } else {  // the pages holding a byte 26 are left by rule
      ExpectLeftAlone(dir.path(), c.name, c.bytes, outcome, "Файл «" + c.name + "» не изменён:", 0);
    }
  }
  // A NUL is text like any other byte.
  EXPECT_NE(ReadFile(dir / "nul.htm").find(std::string("x\0y", 3)), std::string::npos);
}

TEST(CommandFaultsTest, AwkwardNamesAreCleanedLikeAnyOther) {
  const std::vector<std::string> names = {
      "with space.htm",
      "it's \"quoted\".htm",
      "страница.htm",
      "-dash.htm",
      "*?[x].htm",
      std::string(250 - 4, 'n') + ".htm",  // the longest name whose working copy fits
  };
  TempDir dir;
  std::vector<std::string> args = {"--"};
  for (const std::string& name : names) {
    WriteFile(dir / name, kSamplePage);
    args.push_back(name);
  }
  const CommandOutcome outcome = RunCleanCommand(dir.path(), args);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  for (const std::string& name : names) ExpectCleaned(dir.path(), name, kSamplePage, outcome);
}

TEST(CommandFaultsTest, ANameTooLongForItsWorkingCopyIsLeftWithTheReason) {
  for (size_t length : {251, 255}) {
    SCOPED_TRACE(length);
    TempDir dir;
    const std::string name = std::string(length - 4, 'n') + ".htm";
    WriteFile(dir / name, kSamplePage);
    WriteFile(dir / "b.htm", kSamplePage);
    const CommandOutcome outcome = RunCleanCommand(dir.path(), {name, "b.htm"});
    ExpectLeftAlone(
        dir.path(), name, kSamplePage, outcome,
        "Файл «" + name + "» не изменён: имя рабочей копии «PL!__" + name + "» длиннее 255 байт.",
        0);
    ExpectCleaned(dir.path(), "b.htm", kSamplePage, outcome);
  }
}

// Writes a page of `size` bytes in pieces, so that the test itself stays small.
void WriteLargePage(const std::string& path, size_t size) {
  std::ofstream out(path, std::ios::binary);
  const std::string piece =
      "<p class=Normal style=\"color:red\">Text <span lang=ru>and</span> <a target=_blank "
      "href=\"http://a.example/x\">a link</a> <img width=1 src=\"i.png\"></p>\r\n"
      "<table class=t><tr><td class=c>cell</td></tr></table><!-- a comment -->\r\n";
  out << "<html><head><style>\r\np.Normal { font-family: Arial; color: red }\r\n"
         "td.c { text-align: center }\r\n</style></head><body>\r\n";
  for (size_t written = 0; written < size; written += piece.size()) out << piece;
  out << "</body></html>\r\n";
}

TEST(CommandFaultsTest, A200MegabytePageStreamsInTheMemoryOfASmallOne) {
  TempDir dir;
  WriteLargePage(dir / "small.htm", 64 * 1024);
  WriteLargePage(dir / "large.htm", 200u * 1024 * 1024);
  const auto size = fs::file_size(dir / "large.htm");
  const CommandOutcome small = RunCleanCommand(dir.path(), {"--tick", "17", "small.htm"});
  const CommandOutcome large = RunCleanCommand(dir.path(), {"--tick", "17", "large.htm"});
  EXPECT_EQ(small.status, 0) << small.err;
  EXPECT_EQ(large.status, 0) << large.err;
  EXPECT_EQ(fs::file_size(dir / "large.htm~"), size);
  EXPECT_FALSE(FileExists(dir / "PL!__large.htm"));
  // Both passes ran over the whole page: its last line came through.
  std::ifstream cleaned(dir / "large.htm", std::ios::binary | std::ios::ate);
  cleaned.seekg(-16, std::ios::end);
  std::string tail(16, '\0');
  cleaned.read(tail.data(), 16);
  EXPECT_EQ(tail, "</body></html>\r\n");
  EXPECT_LT(large.peak_rss_kb - small.peak_rss_kb, 16 * 1024)
      << "small page: " << small.peak_rss_kb << " KB, 200 MB page: " << large.peak_rss_kb << " KB";
}

// The commit of a page under what other file systems and other people do:
// two runs at once where there are neither unnamed files nor hard links, a
// page rewritten while it is cleaned, and what a page carries (bits, ACL,
// extended attributes, owner).

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
  for (int i = 0; i < kPages; ++i)
    WriteFile(usual / PageNumber(i), kSamplePage + std::to_string(i));
  ASSERT_EQ(RunCleanCommand(usual.path(), args).status, 0);

  TempDir dir;
  for (int i = 0; i < kPages; ++i) WriteFile(dir / PageNumber(i), kSamplePage + std::to_string(i));
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
    EXPECT_EQ(ReadFile(dir / (PageNumber(i) + "~")), kSamplePage + std::to_string(i));
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
  WriteFile(dir / "a.htm", kSamplePage);
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
  WriteFile(page, kSamplePage);
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
  EXPECT_NE(ReadFile(page), kSamplePage);
  struct stat st;
  ASSERT_EQ(::stat(page.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  EXPECT_EQ(Attribute(page, "system.posix_acl_access"), acl_before);
  EXPECT_EQ(Attribute(page, "user.origin"), "web");

  // Root's page, cleaned by another user of the folder.
  TempDir shared;
  ::chmod(shared.path().c_str(), 0777);
  WriteFile(shared / "b.htm", kSamplePage);
  CommandFaults other;
  other.run_as_user = 65534;
  const CommandOutcome left = RunCleanCommand(shared.path(), {"b.htm"}, other);
  EXPECT_NE(left.err.find(OthersPageMessage("b.htm")), std::string::npos) << left.err;
  EXPECT_EQ(ReadFile(shared / "b.htm"), kSamplePage);
  EXPECT_FALSE(FileExists(shared / "b.htm~"));
  const CommandOutcome forced = RunCleanCommand(shared.path(), {"--force", "b.htm"}, other);
  EXPECT_EQ(forced.status, 0) << forced.err;
  EXPECT_EQ(ReadFile(shared / "b.htm~"), kSamplePage);
  ASSERT_EQ(::stat((shared / "b.htm").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
}

}  // namespace
}  // namespace pelloran::testing
