// The batch command as people use it, run for real over folder trees in
// temporary folders: which pages it takes, the dry run, the diff through the
// real patch, restore, the JSON report and the options by name.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "cleaner/cleaning_options.h"
#include "tests/support/clean_command.h"
#include "tests/support/temp_dir.h"

namespace pelloran::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr char kPage[] =
    "<html><head><style>\r\n"
    "p.Normal { font-family: Arial; color: red; margin: 0; background-color: #fff }\r\n"
    "h1 { font-size: 12pt; text-align: center }\r\n"
    "@import url(x.css);\r\n"
    ".unused { color: blue }\r\n"
    "</style></head>\r\n"
    "<body><p class=Normal style=\"color:red\">One <span lang=ru>two</span></p>\r\n"
    "<p class=Normal>Three <a target=_blank href=\"http://a.example/x\">x</a></p>\r\n"
    "<h1 class=Head>Five</h1><img width=1 src=\"i.png\" alt=1>\r\n"
    "<table class=t><tr><td class=c>cell</td></tr></table></body></html>\r\n";

// A site as people keep them: nested folders, files that are no pages, a
// backup without its page, a working copy left behind, a folder named like a
// page, a symbolic link to a folder, names with blanks and Cyrillic letters.
void MakeSite(const fs::path& root) {
  const fs::path site = root / "site";
  for (const char* folder : {"", "archive.htm", "sub", "sub/deeper"})
    fs::create_directories(site / folder);
  for (const char* page : {"index.htm", "B.HTML", "a b.htm", "Страница.htm", "x.xhtml", "y.shtml",
                           "archive.htm/p.htm", "sub/z.htm", "sub/deeper/w.html"})
    WriteFile((site / page).string(), kPage);
  WriteFile((site / "notes.txt").string(), "not a page");
  WriteFile((site / "old.htm~").string(), kPage);
  WriteFile((site / "PL!__index.htm").string(), "left over");
  fs::create_directory_symlink("sub", site / "link");
}

std::vector<std::string> PathsIn(const std::string& report) {
  std::vector<std::string> paths;
  const json parsed = json::parse(report);
  for (const json& page : parsed["pages"]) paths.push_back(page["path"]);
  return paths;
}

TEST(BatchCommandTest, TakesThePagesOfFoldersInOrder) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> pages;
  };
  const std::vector<std::string> top = {"site/B.HTML",  "site/a b.htm", "site/index.htm",
                                        "site/x.xhtml", "site/y.shtml", "site/Страница.htm"};
  std::vector<std::string> all = top;
  for (const char* page : {"site/archive.htm/p.htm", "site/sub/z.htm", "site/sub/deeper/w.html"})
    all.push_back(page);
  const std::vector<Case> cases = {
      {{"site"}, top},
      {{"site/"}, top},
      {{"-r", "site"}, all},
      {{"-r", "--include", "*.TXT", "site"}, {"site/notes.txt"}},
      {{"-r", "--exclude", "*.htm", "--exclude", "*.shtml", "site"},
       {"site/B.HTML", "site/x.xhtml", "site/sub/deeper/w.html"}},
      {{"--include", "*", "site"},
       {"site/B.HTML", "site/a b.htm", "site/index.htm", "site/notes.txt", "site/x.xhtml",
        "site/y.shtml", "site/Страница.htm"}},
      {{"site/notes.txt", "site/sub", "site/old.htm~"},
       {"site/notes.txt", "site/sub/z.htm", "site/old.htm~"}},
      {{"--restore", "-r", "site"}, {"site/old.htm"}},
      {{"site/y.shtml", "site", "./site/index.htm"},
       {"site/y.shtml", "site/B.HTML", "site/a b.htm", "site/index.htm", "site/x.xhtml",
        "site/Страница.htm"}},
  };
  TempDir dir;
  MakeSite(dir.path());
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--dry-run", "--json", "-"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    const CommandOutcome outcome = RunCleanCommand(dir.path(), args);
    EXPECT_EQ(PathsIn(outcome.out), c.pages) << outcome.err;
  }
  // A folder named like a page is said to be one, without counting as a failure.
  const CommandOutcome outcome = RunCleanCommand(dir.path(), {"-n", "site"});
  EXPECT_NE(outcome.err.find("site/archive.htm: это папка, а не страница"), std::string::npos);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
}

// A dry run changes no byte and no name, says what the run would do, prints
// the diff the run prints, counts what the run counts (a page with a backup
// is left after its first pass) and answers the run's exit status.
TEST(BatchCommandTest, ADryRunLeavesTheTreeAsItWasAndForetellsTheRun) {
  TempDir dir, reports;
  MakeSite(dir.path());
  WriteFile(dir / "site/index.htm~", "an earlier backup");
  WriteFile(dir / "site/sub/cut.htm", std::string("<p class=a>x\x1a") + "after");
  const auto before = Snapshot(dir.path());
  const std::string report = (reports.path() / "report.json").string();
  const auto counts = [&report] {
    std::map<std::string, json> counts;
    const json parsed = json::parse(ReadFile(report));
    for (const json& page : parsed["pages"]) counts[page["path"]] = page["statistics"];
    return counts;
  };
  const std::vector<std::string> args = {"-r", "--diff", "--override", "--json", report, "site"};
  std::vector<std::string> dry_args = args;
  dry_args.insert(dry_args.begin(), "-n");

  const CommandOutcome dry = RunCleanCommand(dir.path(), dry_args);
  EXPECT_EQ(Snapshot(dir.path()), before);
  const std::map<std::string, json> dry_counts = counts();
  const std::string page_size = std::to_string(sizeof kPage - 1);
  EXPECT_NE(dry.err.find("site/a b.htm: будет очищен, было: " + page_size + " байт"),
            std::string::npos)
      << dry.err;
  EXPECT_NE(dry.err.find("не будет очищен: Файл «site/index.htm» не изменён: резервная копия"),
            std::string::npos);
  EXPECT_NE(dry.err.find("не будет очищен: Файл «site/sub/cut.htm» не изменён"), std::string::npos);
  EXPECT_NE(dry.err.find("было бы: очищено 8, не изменено 0, пропущено 2, с ошибкой 0"),
            std::string::npos);

  const CommandOutcome real = RunCleanCommand(dir.path(), args);
  EXPECT_EQ(dry.status, 0);  // pages left by rule are no failure
  EXPECT_EQ(real.status, dry.status);
  EXPECT_EQ(real.out, dry.out);  // the same diff
  EXPECT_NE(real.err.find("очищено 8, не изменено 0, пропущено 2, с ошибкой 0"), std::string::npos);
  EXPECT_EQ(counts(), dry_counts);
}

// Corpus pages under awkward names: the diff applied with patch -p1 to a copy
// of the originals gives the cleaned pages; the JSON sizes are those on disk;
// --restore then gives back every original.
TEST(BatchCommandTest, DiffPatchesOriginalsIntoCleanedPagesAndRestoreUndoesTheRun) {
  const fs::path corpus = PELLORAN_CORPUS_DIR "/pages";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  // CR LF, LF only, no final line end.
  const std::vector<std::pair<std::string, std::string>> pages = {
      {"penza-sights/page01.htm", "site/crlf page.htm"},
      {"reglament/index.html", "site/Страница.html"},
      {"jsoup-htmltests/yahoo-jp.html", "site/sub/no end.htm"},
      {"openfire-fastpath/docs/index.html", "site/sub/word.htm"},
  };
  TempDir dir, copy;
  std::map<std::string, std::string> originals;
  for (const auto& [from, to] : pages) {
    if (!fs::exists(corpus / from)) GTEST_SKIP() << "no " << from;
    fs::create_directories((dir.path() / to).parent_path());
    fs::create_directories((copy.path() / to).parent_path());
    originals[to] = ReadFile((corpus / from).string());
    if (to.ends_with("no end.htm")) {
      while (originals[to].back() == '\n' || originals[to].back() == '\r') originals[to].pop_back();
    }
    WriteFile(dir / to, originals[to]);
    WriteFile(copy / to, originals[to]);
  }
  ASSERT_EQ(originals["site/sub/no end.htm"].back(), '>');
  ASSERT_NE(originals["site/crlf page.htm"].find("\r\n"), std::string::npos);

  const CommandOutcome run =
      RunCleanCommand(dir.path(), {"-r", "--diff", "--override", "--json", "report.json", "site"});
  ASSERT_EQ(run.status, 0) << run.err;
  WriteFile(copy / "run.diff", run.out);
  const std::string patch = "cd '" + copy.path().string() + "' && patch -s -p1 < run.diff";
  ASSERT_EQ(std::system(patch.c_str()), 0);
  for (const auto& [page, original] : originals) {
    EXPECT_EQ(ReadFile(copy / page), ReadFile(dir / page)) << page;
    EXPECT_NE(ReadFile(dir / page), original) << page;
  }

  const json report = json::parse(ReadFile(dir / "report.json"));
  ASSERT_EQ(report["pages"].size(), pages.size());
  int rules_read = 0;
  for (const json& page : report["pages"]) {
    const std::string path = page["path"];
    EXPECT_EQ(page["outcome"], "cleaned");
    EXPECT_EQ(page["bytes_before"], fs::file_size(dir.path() / (path + "~"))) << path;
    EXPECT_EQ(page["bytes_after"], fs::file_size(dir.path() / path)) << path;
    rules_read += page["statistics"]["style_rules"]["read"].get<int>();
  }
  EXPECT_GT(rules_read, 100);
  EXPECT_EQ(report["options"]["boxes"][15]["box"], 17);
  EXPECT_EQ(report["options"]["boxes"][15]["ticked"], true);
  EXPECT_EQ(report["totals"]["cleaned"], pages.size());

  const CommandOutcome restore = RunCleanCommand(dir.path(), {"-r", "--restore", "site"});
  EXPECT_EQ(restore.status, 0) << restore.err;
  for (const auto& [page, original] : originals) {
    EXPECT_EQ(ReadFile(dir / page), original) << page;
    EXPECT_FALSE(FileExists(dir / (page + "~"))) << page;
  }
  // Nothing left to restore: a page named without a backup is named, no failure.
  const CommandOutcome again = RunCleanCommand(dir.path(), {"--restore", "site/crlf page.htm"});
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.err.find("Файл «site/crlf page.htm» не восстановлен: резервной копии"),
            std::string::npos)
      << again.err;
}

// Pages named with "../": patch refuses such names, so the diff names them
// from the folder above that holds them all, and says so. A header never
// carries a control character raw: such a name is quoted with its escapes,
// which patch reads back as the same name. Run by root, a cleaned page stays
// its owner's (the working copy that replaced it was root's).
TEST(BatchCommandTest, PagesAboveTheFolderAndOddNamesGetPatchableDiffsAndKeepTheirOwner) {
  TempDir dir, copy;
  const std::vector<std::string> pages = {"w/a b.htm", "w/sub/c.htm", "w/sub/e\033[2Jz.htm",
                                          "w/sub/t\tq\"b\\.htm"};
  for (const TempDir* tree : {&dir, &copy}) {
    fs::create_directories(tree->path() / "w/sub");
    for (const std::string& page : pages) WriteFile(*tree / page, kPage);
  }
  const bool root = ::geteuid() == 0;
  if (root) ASSERT_EQ(::chown((dir / "w/a b.htm").c_str(), 1234, 5678), 0);
  const CommandOutcome run =
      RunCleanCommand(dir.path() / "w/sub",
                      {"--diff", "../a b.htm", "c.htm", pages[2].substr(6), pages[3].substr(6)});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("пути в diff даны от папки " + (dir.path() / "w").string() +
                         ": применяйте его там"),
            std::string::npos)
      << run.err;
  for (const char* header : {"--- a/a b.htm\t\n", "--- \"a/sub/t\\tq\\\"b\\\\.htm\"\n",
                             "--- \"a/sub/e\\033[2Jz.htm\"\n+++ \"b/sub/e\\033[2Jz.htm\"\n"})
    EXPECT_NE(run.out.find(header), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find('\033'), std::string::npos);
  WriteFile(copy / "w/run.diff", run.out);
  const std::string patch = "cd '" + (copy.path() / "w").string() + "' && patch -s -p1 < run.diff";
  ASSERT_EQ(std::system(patch.c_str()), 0) << run.out;
  for (const std::string& page : pages) {
    EXPECT_EQ(ReadFile(copy / page), ReadFile(dir / page)) << page;
    EXPECT_NE(ReadFile(dir / page), kPage) << page;
  }
  if (!root) GTEST_SKIP() << "owners are kept only when run as root";
  struct stat st;
  ASSERT_EQ(::stat((dir / "w/a b.htm").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 1234u);
  EXPECT_EQ(st.st_gid, 5678u);
}

std::string Joined(const std::vector<int>& boxes) {
  std::string list;
  for (int box : boxes) list += (list.empty() ? "" : ",") + std::to_string(box);
  return list;
}

TEST(BatchCommandTest, OptionsByNameSetTheBoxesTheirNumbersSet) {
  std::vector<int> all_but_font_size;
  for (int box : CleaningOptions::PropertyBoxes())
    if (box != 2) all_but_font_size.push_back(box);
  struct Case {
    std::vector<std::string> by_name;
    std::vector<std::string> by_number;
  };
  const std::vector<Case> cases = {
      {{"--keep-only", "font-size", "--override"},
       {"--clear", Joined(all_but_font_size), "--tick", "2,17"}},
      {{"--keep", "background-image,background-color,color", "--drop", "font-family"},
       {"--tick", "20,26,6", "--clear", "1"}},
      {{"--keep-spans", "--keep-imports"}, {"--clear", "18,29"}},
      {{"--override", "--no-override"}, {"--clear", "5,17"}},
      {{"--override-except-tables"}, {"--tick", "17", "--tick", "5"}},
      {{"--keep-all"}, {"--tick", "28"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.by_name.front());
    TempDir by_name, by_number;
    std::string outputs[2];
    int i = 0;
    for (const auto& [dir, args] : {std::pair{&by_name, c.by_name}, {&by_number, c.by_number}}) {
      WriteFile(*dir / "a.htm", kPage);
      WriteFile(*dir / "b.htm", std::string(kPage) + "<p class=Other>more</p>");
      std::vector<std::string> with_pages = args;
      with_pages.insert(with_pages.end(), {"a.htm", "b.htm"});
      EXPECT_EQ(RunCleanCommand(dir->path(), with_pages).status, 0);
      outputs[i++] = ReadFile(*dir / "a.htm") + ReadFile(*dir / "b.htm");
    }
    EXPECT_EQ(outputs[0], outputs[1]);
  }
}

// The Office switch: the last of its two flags wins, and the summary and the
// report give the bytes it took out.
TEST(BatchCommandTest, OfficeSwitchDropsOfficeMarkupAndSaysHowManyBytes) {
  constexpr char kOfficePage[] = "<p>a<o:p>&nbsp;</o:p></p><![if !vml]>b<![endif]>";  // 33 bytes go
  for (const std::vector<std::string>& flags :
       std::vector<std::vector<std::string>>{{"--drop-office-markup"},
                                             {"--keep-office-markup"},
                                             {"--keep-office-markup", "--drop-office-markup"}}) {
    SCOPED_TRACE(flags.back());
    const bool dropped = flags.back() == "--drop-office-markup";
    TempDir dir;
    WriteFile(dir / "a.htm", kOfficePage);
    std::vector<std::string> args = flags;
    args.insert(args.end(), {"--json", "report.json", "a.htm"});
    const CommandOutcome outcome = RunCleanCommand(dir.path(), args);
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(ReadFile(dir / "a.htm"), dropped ? "<p>a&nbsp;</p>b" : kOfficePage);
    EXPECT_EQ(
        outcome.out.find(", служебной разметки Office убрано: 33 байта\n") != std::string::npos,
        dropped)
        << outcome.out;
    const json report = json::parse(ReadFile(dir / "report.json"));
    EXPECT_EQ(report["options"]["office_markup_dropped"], dropped);
    EXPECT_EQ(report["pages"][0]["statistics"]["office_markup_bytes_dropped"], dropped ? 33 : 0);
    EXPECT_EQ(report["totals"]["office_markup_bytes_dropped"], dropped ? 33 : 0);
  }
}

TEST(BatchCommandTest, BoxesAreListedAndUnknownNamesRefused) {
  TempDir dir;
  const CommandOutcome list = RunCleanCommand(dir.path(), {"--list-boxes"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), 1 + 58 + 1);
  EXPECT_NE(list.out.find(" 20  background-image         clear     рисунок фона\n"),
            std::string::npos)
      << list.out;
  EXPECT_NE(list.out.find(" 17  override                 clear     переопределение стилей\n"),
            std::string::npos);
  EXPECT_NE(list.out.find("  -  drop-office-markup       clear     служебная разметка Office\n"),
            std::string::npos);

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--keep", "fontsize", "a.htm"},
                                             {"--keep-only", "font-size,", "a.htm"},
                                             {"--color=sometimes", "a.htm"},
                                             {"--json"},
                                             {"--diff", "--json", "-", "a.htm"},
                                             {"--fail-on-broken-links", "a.htm"},
                                             {"-r"}}) {
    SCOPED_TRACE(args.front());
    const CommandOutcome outcome = RunCleanCommand(dir.path(), args);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("Использование: pelloran-clean"), std::string::npos);
  }
  const CommandOutcome unknown = RunCleanCommand(dir.path(), {"--drop", "colour", "a.htm"});
  EXPECT_NE(unknown.err.find("неизвестное свойство «colour»; известны: font-family, font-size,"),
            std::string::npos);
  EXPECT_EQ(RunCleanCommand(dir.path(), {"--version"}).out, "pelloran-clean 0.1\n");
}

// The JSON report takes its file's name at the end: over a page or its copies
// it is refused before any page is touched, but an earlier report is replaced
// whatever its name.
TEST(BatchCommandTest, AJsonReportNeverTakesThePlaceOfAPageOrItsCopies) {
  TempDir dir;
  fs::create_directory(dir / "s");
  WriteFile(dir / "a.htm", kPage);
  WriteFile(dir / "s/index.htm", kPage);
  WriteFile(dir / "other.html", kPage);
  const struct {
    std::vector<std::string> args;
    std::string why;
  } cases[] = {
      {{"--json", "a.htm", "a.htm", "s/index.htm"}, "это страница этого прогона"},
      {{"--json", "s/index.htm", "-r", "s"}, "это страница этого прогона"},
      {{"--json", "s/../a.htm~", "a.htm"}, "это резервная копия страницы этого прогона"},
      {{"--json", "PL!__a.htm", "a.htm"}, "это рабочая копия страницы этого прогона"},
      {{"--json", "other.html", "a.htm"}, "это имя страницы"},
      {{"--json", "s/index.htm", "--restore", "s"}, "это имя страницы"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[1]);
    const auto before = Snapshot(dir.path());
    const CommandOutcome outcome = RunCleanCommand(dir.path(), c.args);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("--json не пишет в «" + c.args[1] + "»: " + c.why +
                               "; отчёт JSON заменяет только прежний отчёт JSON\n"),
              std::string::npos)
        << outcome.err;
    EXPECT_EQ(Snapshot(dir.path()), before);
  }
  // A report under a page's name that does not exist yet, then over itself.
  for (int run = 0; run < 2; ++run) {
    const CommandOutcome outcome = RunCleanCommand(dir.path(), {"-n", "--json", "r.htm", "a.htm"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(PathsIn(ReadFile(dir / "r.htm")), std::vector<std::string>{"a.htm"});
  }
}

// Whatever the command says on standard output, a full disk there makes the
// call a failure, and the pages are what the run made of them.
TEST(BatchCommandTest, OutputThatCannotBeWrittenAnswersOne) {
  TempDir dir;
  WriteFile(dir / "a.htm", kPage);
  CommandFaults full;
  full.output_to_full_device = true;
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"-n", "--diff", "a.htm"}, {"a.htm"}, {"--restore", "a.htm"}}) {
    SCOPED_TRACE(args.front());
    const CommandOutcome outcome = RunCleanCommand(dir.path(), args, full);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("pelloran-clean: не удалось записать в стандартный вывод\n"),
              std::string::npos)
        << outcome.err;
  }
  EXPECT_EQ(ReadFile(dir / "a.htm"), kPage);  // cleaned, then restored
  EXPECT_FALSE(fs::exists(dir / "a.htm~"));
}

// A run's lines on both streams speak Russian: no English word but the
// program's, the pages' and the options' names (the diff and the JSON report,
// machine text, are not among them).
TEST(BatchCommandTest, RunLinesSpeakRussian) {
  TempDir dir;
  WriteFile(dir / "a.htm", kPage);
  fs::create_directory(dir / "d.htm");
  const std::set<std::string> names = {"pelloran", "clean", "htm",  "d",     "a",     "r",
                                       "Office",   "diff",  "help", "color", "auto",  "always",
                                       "never",    "no",    "frob", "json",  "check", "links"};
  const std::regex word("[A-Za-z]+");
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"-n", "."},
                                             {"--drop-office-markup", "--check-links", "."},
                                             {"."},
                                             {"-n", "--restore", "."},
                                             {"--restore", "."},
                                             {"--color=no", "a.htm"},
                                             {"--frob"},
                                             {"--json"}}) {
    SCOPED_TRACE(args.front());
    const CommandOutcome outcome = RunCleanCommand(dir.path(), args);
    const std::string lines = outcome.out + outcome.err;
    for (auto it = std::sregex_iterator(lines.begin(), lines.end(), word);
         it != std::sregex_iterator(); ++it)
      EXPECT_TRUE(names.contains(it->str())) << it->str() << " in\n" << lines;
  }
}

}  // namespace
}  // namespace pelloran::testing
