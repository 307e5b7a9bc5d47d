#include "batch/batch_clean.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "batch/run_words.h"
#include "cleaner/class_tables.h"
#include "cleaner/clean_run.h"
#include "cleaner/cleaning_options.h"
#include "tests/support/clean_command.h"
#include "tests/support/folder_file_list.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"
#include "tests/tools/counting_server.h"
#include "tests/tools/loopback_sockets.h"
#include "tools/curl_link_check.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;
using testing::CommandOutcome;
using testing::FileExists;
using testing::FolderFileList;
using testing::ReadFile;
using testing::ScopedCurrentDir;
using testing::TempDir;
using testing::TestGauge;
using testing::TestLinkCheck;
using testing::TestMessages;
using testing::WriteFile;

// A page with something for every part of the cleaner to do.
constexpr char kRichPage[] =
    "<html><head><style>\r\n"
    "p.Normal { font-family: Arial; color: red; margin: 0 }\r\n"
    "h1 { font-size: 12pt; text-align: center }\r\n"
    ".unused { color: blue }\r\n"
    "</style></head>\r\n"
    "<body><p class=Normal style=\"color:red\">One <span lang=ru>two</span></p>\r\n"
    "<p class=Normal>Three <a target=_blank href=\"http://a.example/x\">x</a></p>\r\n"
    "<p class=Other>Four <a href=\"#top\">top</a><img width=1 src=\"i.png\" alt=1></p>\r\n"
    "<h1 class=Head>Five</h1><!-- kept --><script>if (a<b) x();</script>\r\n"
    "<table class=t><tr><td class=c>cell</td></tr></table></body></html>\r\n";

// Runs the real executable in `dir`, its arguments split at blanks.
CommandOutcome RunCommand(const fs::path& dir, const std::string& args) {
  std::vector<std::string> words;
  std::istringstream in(args);
  for (std::string word; in >> word;) words.push_back(word);
  return testing::RunCleanCommand(dir, words);
}

// Runs the command in this process, in `dir`, with `link_check`.
CommandOutcome RunHere(const fs::path& dir, const std::vector<std::string>& args,
                       LinkCheck& link_check, Terminals terminals = {}) {
  std::ostringstream out, err;
  ScopedCurrentDir here(dir);
  const int status = RunBatchClean(args, link_check, out, err, terminals);
  return {status, 0, out.str(), err.str()};
}

// Apply over the named pages of `dir`, as the main window runs it.
void ApplyInWindow(const fs::path& dir, const std::vector<std::string>& names,
                   CleaningOptions& options) {
  ScopedCurrentDir here(dir);
  FolderFileList files(dir);
  for (const std::string& name : names) files.Select(files.IndexOf(name));
  TestGauge gauge;
  TestLinkCheck link_check;
  TestMessages messages;
  ClassTables tables;
  CleanContext context(options, gauge, link_check);
  RunClean(context, tables, files, messages);
}

TEST(BatchCleanTest, CleansToTheSameBytesAsApply) {
  struct Case {
    std::string args;
    std::vector<std::pair<int, bool>> boxes;  // as the user would click them
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"--tick 17 --clear 18", {{17, true}, {18, false}}},
      {"--clear=5,18 --tick 6", {{5, false}, {18, false}, {6, true}}},
      {"--tick 28", {{28, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    TempDir by_window;
    TempDir by_command;
    std::vector<std::string> names = {"a.htm", "b.htm"};
    for (const TempDir* dir : {&by_window, &by_command}) {
      WriteFile(*dir / "a.htm", kRichPage);
      WriteFile(*dir / "b.htm", std::string(kRichPage) + "<p class=Other>more</p>");
    }
    CleaningOptions options;
    for (const auto& [box, ticked] : c.boxes) options.SetTicked(box, ticked);
    ApplyInWindow(by_window.path(), names, options);
    const CommandOutcome outcome = RunCommand(by_command.path(), c.args + " a.htm b.htm");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    for (const std::string& name : names) {
      EXPECT_EQ(ReadFile(by_command / name), ReadFile(by_window / name)) << name;
      EXPECT_EQ(ReadFile(by_command / (name + "~")), ReadFile(by_window / (name + "~")));
      EXPECT_FALSE(FileExists(by_command / ("PL!__" + name)));
    }
    EXPECT_NE(ReadFile(by_command / "a.htm"), kRichPage);
  }
}

TEST(BatchCleanTest, CleansRealPagesToTheSameBytesAsApply) {
  const fs::path corpus = PELLORAN_CORPUS_DIR "/pages";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  // A Word export, a windows-1251 page, minified rules, a UTF-16 page.
  const std::vector<std::string> pages = {"openfire-fastpath/docs/index.html",
                                          "nextion-ru/Pravila.htm", "jsoup-htmltests/yahoo-jp.html",
                                          "tidy-html5/special-cases/case-evil@1.html"};
  TempDir by_window;
  TempDir by_command;
  std::vector<std::string> names;
  std::string args = "--tick 17";
  for (size_t i = 0; i < pages.size(); ++i) {
    if (!fs::exists(corpus / pages[i])) continue;
    names.push_back("page" + std::to_string(i) + ".htm");
    args += " " + names.back();
    for (const TempDir* dir : {&by_window, &by_command})
      fs::copy_file(corpus / pages[i], *dir / names.back());
  }
  ASSERT_FALSE(names.empty());
  CleaningOptions options;
  options.SetTicked(17, true);
  ApplyInWindow(by_window.path(), names, options);
  RunCommand(by_command.path(), args);
  for (const std::string& name : names) {
    EXPECT_EQ(ReadFile(by_command / name), ReadFile(by_window / name)) << name;
    EXPECT_EQ(FileExists(by_command / (name + "~")), FileExists(by_window / (name + "~"))) << name;
  }
  EXPECT_TRUE(FileExists(by_command / "page0.htm~"));
}

TEST(BatchCleanTest, CountsTakeTheirRussianForm) {
  const std::pair<int64_t, const char*> table[] = {
      {0, "0 байт"},   {1, "1 байт"},    {2, "2 байта"},    {4, "4 байта"},
      {5, "5 байт"},   {11, "11 байт"},  {12, "12 байт"},   {14, "14 байт"},
      {21, "21 байт"}, {22, "22 байта"}, {111, "111 байт"}, {1003, "1003 байта"}};
  for (const auto& [count, text] : table) EXPECT_EQ(BytesInRussian(count), text);
  EXPECT_EQ(CountInRussian(21, "страница", "страницы", "страниц"), "21 страница");
  EXPECT_EQ(CountInRussian(13, "страница", "страницы", "страниц"), "13 страниц");
  EXPECT_EQ(CountInRussian(34, "страница", "страницы", "страниц"), "34 страницы");
}

TEST(BatchCleanTest, TellsUsageErrorsByStatusTwo) {
  TempDir dir;
  WriteFile(dir / "a.htm", "<p>x</p>");
  for (const char* args :
       {"", "--tick 9 a.htm", "--tick 62 a.htm", "--clear 0 a.htm", "--tick 1,,2 a.htm",
        "--tick x a.htm", "--tick", "--ticks=1 a.htm", "--frobnicate a.htm", "--check-links"}) {
    SCOPED_TRACE(args);
    const CommandOutcome outcome = RunCommand(dir.path(), args);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_NE(outcome.err.find("Использование: pelloran-clean"), std::string::npos);
  }
  EXPECT_EQ(ReadFile(dir / "a.htm"), "<p>x</p>");
  EXPECT_FALSE(FileExists(dir / "a.htm~"));

  const CommandOutcome help = RunCommand(dir.path(), "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--check-links"), std::string::npos);
  EXPECT_FALSE(FileExists(dir / "a.htm~"));
}

TEST(BatchCleanTest, GoesOnAfterAFailedFileAndAnswersOne) {
  TempDir dir;
  fs::create_directory(dir / "sub");
  WriteFile(dir / "a.htm", "<p>a</p>");
  WriteFile(dir / "a.htm~", "old backup");
  WriteFile(dir / "sub/b.htm", "<p>b</p>");
  WriteFile(dir / "c.htm",
            "c\x1A"
            "after");
  const CommandOutcome outcome =
      RunCommand(dir.path(), "a.htm missing.htm nowhere/x.htm c.htm sub/b.htm");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(ReadFile(dir / "a.htm"), "<p>a</p>");
  EXPECT_EQ(ReadFile(dir / "a.htm~"), "old backup");
  EXPECT_FALSE(FileExists(dir / "PL!__a.htm"));
  EXPECT_EQ(ReadFile(dir / "c.htm"),
            "c\x1A"
            "after");
  EXPECT_FALSE(FileExists(dir / "PL!__c.htm"));
  EXPECT_EQ(ReadFile(dir / "sub/b.htm"), "<p>b</p>");
  EXPECT_FALSE(FileExists(dir / "sub/b.htm~"));  // nothing to clean: no backup
  EXPECT_FALSE(FileExists(dir / "PL!__missing.htm"));
  // A failure line names its page once, by the path given.
  EXPECT_EQ(outcome.err.find(".htm: Файл"), std::string::npos) << outcome.err;
  EXPECT_NE(outcome.err.find("Файл «a.htm» не изменён: резервная копия «a.htm~» уже "
                             "существует."),
            std::string::npos);
  EXPECT_NE(outcome.err.find("missing.htm: Не удалось открыть файл «" + dir / "missing.htm" +
                             "»: файл не найден."),
            std::string::npos)
      << outcome.err;
  EXPECT_NE(outcome.err.find("nowhere/x.htm: "), std::string::npos);
  EXPECT_NE(outcome.err.find("Файл «c.htm» не изменён:"), std::string::npos);
  EXPECT_EQ(outcome.out,
            "Файл «sub/b.htm» не изменён: очистка ничего в нём не меняет, и резервная копия не "
            "нужна.\nочищено 0, не изменено 1, пропущено 2, с ошибкой 2\n");
}

TEST(BatchCleanTest, PagesOfFoldersTakenInTurnAreEachCleanedInTheirOwnFolder) {
  TempDir dir;
  for (const char* folder : {"a", "b"}) fs::create_directory(dir / folder);
  const std::vector<std::string> pages = {"a/1.htm", "b/1.htm", "a/2.htm", "b/2.htm", "a/3.htm"};
  for (const std::string& page : pages) WriteFile(dir / page, "<p class=x>" + page + "</p>");
  std::string args = "--tick 17";
  for (const std::string& page : pages) args += " " + page;
  const CommandOutcome outcome = RunCommand(dir.path(), args);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  for (const std::string& page : pages) {
    EXPECT_EQ(ReadFile(dir / (page + "~")), "<p class=x>" + page + "</p>");
    EXPECT_EQ(ReadFile(dir / page), "<p>" + page + "</p>");
  }
  EXPECT_FALSE(FileExists(dir / "b/3.htm~"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "a"), fs::directory_iterator()), 6);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "b"), fs::directory_iterator()), 4);
}

TEST(BatchCleanTest, EveryFileCleanedAnswersZero) {
  TempDir dir;
  WriteFile(dir / "-a.htm", "<p>a</p>");
  WriteFile(dir / "b.htm", "<p>b</p>");
  const CommandOutcome outcome = RunCommand(dir.path(), "--tick 17 -- -a.htm ./b.htm");
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.err, "");
  EXPECT_FALSE(FileExists(dir / "-a.htm~"));  // nothing to change: no backup
  EXPECT_FALSE(FileExists(dir / "b.htm~"));
  // Cleaning a cleaned tree: every page left by rule, still no failure.
  WriteFile(dir / "c.htm", "<p class=x>c</p>");
  ASSERT_EQ(RunCommand(dir.path(), "--tick 17 c.htm").status, 0);
  const CommandOutcome again = RunCommand(dir.path(), "--tick 17 c.htm");
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_NE(again.out.find("очищать нечего"), std::string::npos) << again.out;
  // Quiet, nothing failed: nothing said, though no page was cleaned.
  const CommandOutcome quiet = RunCommand(dir.path(), "-q --tick 17 c.htm -- -a.htm");
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out + quiet.err, "");
  // A page its clean would not change is foretold as staying as it is.
  EXPECT_EQ(RunCommand(dir.path(), "-n --tick 17 b.htm").out,
            "b.htm: не изменится: очистка ничего в нём не меняет (8 байт)\n"
            "было бы: очищено 0, не изменено 1, пропущено 0, с ошибкой 0; очищать нечего\n");
}

TEST(BatchCleanTest, WritesTheLinkReportInTheStartingFolderWithFullPaths) {
  TempDir dir;
  fs::create_directory(dir / "site");
  WriteFile(dir / "site/a.htm", "<a href=\"http://a.example/\">x</a><a href=\"#top\">t</a>");
  WriteFile(dir / "site/b.htm", "no links");
  TestLinkCheck link_check;
  link_check.available["http://a.example/"] = true;
  const std::vector<std::string> args = {"--check-links", "site/a.htm", "site/b.htm"};
  const CommandOutcome outcome = RunHere(dir.path(), args, link_check);
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(outcome.out,
            "Вы подключены к интернету.\n"
            "Файл «site/a.htm» не изменён: очистка ничего в нём не меняет, и резервная копия не "
            "нужна.\n"
            "Файл «site/b.htm» не изменён: очистка ничего в нём не меняет, и резервная копия не "
            "нужна.\n"
            "очищено 0, не изменено 2, пропущено 0, с ошибкой 0; очищать нечего\n"
            "ссылки: доступно 1, недоступно 0, не проверено 1\n");
  EXPECT_FALSE(FileExists(dir / "site/Ссылки.txt"));
  EXPECT_EQ(ReadFile(dir / "Ссылки.txt"), "\xEF\xBB\xBF\r\n           " + dir / "site/a.htm" +
                                              " :\r\n\r\n"
                                              "ext  \"http://a.example/\"     OK\r\n"
                                              "     \"#top\"\r\n"
                                              "\r\n           " +
                                              dir / "site/b.htm" + " :\r\n\r\n");
  // Offline, the batch names its own option, not the window's settings.
  link_check.connected = false;
  const std::string offline = RunHere(dir.path(), args, link_check).err;
  EXPECT_NE(offline.find("Нет подключения к интернету: адреса в сети будут отмечены "
                         "недоступными. Без --check-links ссылки не проверяются.\n"),
            std::string::npos)
      << offline;
  EXPECT_EQ(offline.find("настройках"), std::string::npos);
}

// A JSON report that cannot be written is a failure of the call, whether it
// goes to a file or to standard output.
TEST(BatchCleanTest, AReportNotWrittenAnswersOne) {
  TempDir dir;
  WriteFile(dir / "a.htm", "<p>a</p>");
  for (const std::string report : {"-", "missing/report.json"}) {
    SCOPED_TRACE(report);
    TestLinkCheck link_check;
    std::ostringstream out, err;
    if (report == "-") out.setstate(std::ios::badbit);
    const std::vector<std::string> args = {"--json", report, "a.htm"};
    int status;
    {
      ScopedCurrentDir here(dir.path());
      status = RunBatchClean(args, link_check, out, err);
    }
    EXPECT_EQ(status, 1);
    const std::string what = report == "-" ? "в стандартный вывод" : report;
    EXPECT_NE(err.str().find("не удалось записать " + what), std::string::npos) << err.str();
  }
}

// The report goes out a page at a time, yet reads as one document, byte for
// byte as the JSON library writes it; a name that is not UTF-8 is given back
// exactly beside its text. The link report is UTF-8 with its mark, a name
// and a link in windows-1251 read right in it.
TEST(BatchCleanTest, TheJsonReportWrittenAsItGoesIsOneDocument) {
  TempDir dir;
  WriteFile(dir / "a.htm", kRichPage);
  const std::string cp1251_name = "\xCF\xF0.htm";  // "Пр.htm" in windows-1251
  WriteFile(dir / cp1251_name,
            "<a href=\"\xEF\xF0\xE8\xE2\xE5\xF2.htm\">x</a>" + std::string(kRichPage));
  fs::create_directory(dir / "empty");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--check-links", "--json", "-", "a.htm", cp1251_name, "missing.htm"},
           {"--json", "-", "empty"},
           {"--restore", "--json", "-", "a.htm"}}) {
    SCOPED_TRACE(args.back());
    TestLinkCheck link_check;
    const std::string out = RunHere(dir.path(), args, link_check).out;
    const nlohmann::json parsed = nlohmann::json::parse(out);
    EXPECT_EQ(parsed.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n", out);
    if (args.front() != "--check-links") continue;
    EXPECT_NE(ReadFile(dir / "Ссылки.txt")
                  .find("\r\n           " + dir / "Пр.htm" + " :\r\n\r\next  \"привет.htm\"\r\n"),
              std::string::npos);
    EXPECT_TRUE(ReadFile(dir / "Ссылки.txt").starts_with("\xEF\xBB\xBF\r\n"));
    const nlohmann::json& pages = parsed["pages"];
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_FALSE(pages[0].contains("path_bytes"));
    EXPECT_EQ(pages[1]["path"], "\uFFFD\uFFFD.htm");
    EXPECT_EQ(pages[1]["path_bytes"], "z/AuaHRt");
    EXPECT_EQ(parsed["totals"]["cleaned"], 2);
    EXPECT_EQ(parsed["totals"]["failed"], 1);
    EXPECT_TRUE(parsed["totals"].contains("links"));
  }
}

// Answers from a table; counts its way through the values it is given ahead.
class AheadLinkCheck : public TestLinkCheck {
 public:
  void CheckAhead(std::span<const std::string> values, LinkCheckProgress* progress) override {
    ahead.assign(values.begin(), values.end());
    const int total = static_cast<int>(values.size());
    for (int done = 0; progress != nullptr && done <= total; ++done)
      progress->ShowLinkProgress(done, total);
  }
  std::vector<std::string> ahead;
};

TEST(BatchCleanTest, ChecksLinksAheadWithRelativeLinksAsFilesOnRequest) {
  const struct {
    std::vector<std::string> options;
    bool show_progress;
    std::string marks;  // of b.htm, missing.htm, the web address
    std::vector<std::string> ahead;
    std::string counted;  // the last count of the link phase on a terminal
  } cases[] = {
      {{"--check-links"}, false, "--+", {"http://a.example/"}, ""},
      {{"--check-links", "--check-local-links"},
       true,
       "+-+",
       {"http://a.example/"},
       "\r\033[Kпроверка ссылок: 1 из 1\r\033[K"},
      {{"--check-local-links"}, true, "", {}, ""},
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "a.htm",
              "<a href=\"b.htm\">b</a><a href=\"missing.htm\">m</a><a "
              "href=\"http://a.example/\">w</a>");
    WriteFile(dir / "b.htm", "no links");
    AheadLinkCheck link_check;
    link_check.available["http://a.example/"] = true;
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"a.htm", "b.htm"});
    const CommandOutcome outcome = RunHere(dir.path(), args, link_check, {false, c.show_progress});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(link_check.ahead, c.ahead);
    EXPECT_EQ(outcome.err.find("проверка ссылок") != std::string::npos, !c.counted.empty());
    EXPECT_TRUE(c.counted.empty() || outcome.err.find(c.counted) != std::string::npos)
        << outcome.err;
    if (c.marks.empty()) {
      EXPECT_FALSE(FileExists(dir / "Ссылки.txt"));
      continue;
    }
    const auto mark = [&](size_t i) { return c.marks[i] == '+' ? "     OK" : ""; };
    EXPECT_EQ(ReadFile(dir / "Ссылки.txt"),
              "\xEF\xBB\xBF\r\n           " + dir / "a.htm" + " :\r\n\r\n" + "ext  \"b.htm\"" +
                  mark(0) + "\r\next  \"missing.htm\"" + mark(1) +
                  "\r\next  \"http://a.example/\"" + mark(2) + "\r\n\r\n           " +
                  dir / "b.htm" + " :\r\n\r\n");
  }
}

// The real check against a real server: --fail-on-broken-links answers 3 when
// a link checked is broken, and the JSON tells each link's outcome.
TEST(BatchCleanTest, BrokenLinksAnswerThreeOnRequestAndEachLinkTellsItsOutcome) {
  testing::CountingServer server;
  const std::string dead = "http://127.0.0.1:" + std::to_string(testing::DeadPort()) + "/x";
  const auto link = [](const std::string& value) { return "<a href=\"" + value + "\">x</a>"; };
  const std::string good = link(server.Url("/ok")) + link("mailto:a@b.ru") + link("#none");
  const std::string bad = good + link(server.Url("/missing")) + link(dead);
  const struct {
    std::string page;
    std::vector<std::string> options;
    int status;
  } cases[] = {
      {bad, {"--check-links", "--fail-on-broken-links"}, kBatchBrokenLinks},
      {bad, {"--check-links"}, kBatchAllCleaned},
      {good, {"--check-links", "--fail-on-broken-links"}, kBatchAllCleaned},
      {bad, {"--fail-on-broken-links"}, kBatchUsageError},  // nothing would be checked
  };
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "a.htm", c.page);
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"--json", "-", "a.htm"});
    CurlLinkCheck check;
    const CommandOutcome outcome = RunHere(dir.path(), args, check);
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    if (c.options.front() != "--check-links") continue;
    const nlohmann::json each =
        nlohmann::json::parse(outcome.out)["pages"][0]["statistics"]["links"]["each"];
    ASSERT_EQ(each.size(), c.page == bad ? 5u : 3u);
    EXPECT_EQ(each[0], nlohmann::json({{"value", server.Url("/ok")},
                                       {"outcome", "available"},
                                       {"address", server.Url("/ok")},
                                       {"status", 200}}));
    EXPECT_EQ(each[1], nlohmann::json({{"value", "mailto:a@b.ru"},
                                       {"outcome", "not checked"},
                                       {"reason", "mailto: link"}}));
    EXPECT_EQ(each[2]["outcome"], "not checked");
    if (c.page != bad) continue;
    EXPECT_EQ(each[3]["status"], 404);
    EXPECT_EQ(each[3]["outcome"], "broken");
    EXPECT_EQ(each[4]["error"], "Couldn't connect to server");
  }
}

// Progress only on a terminal, colour as asked, and --quiet keeps only failures.
TEST(BatchCleanTest, TerminalOutputFollowsWhatTheStreamsAre) {
  struct Case {
    std::vector<std::string> args;
    Terminals terminals;
    bool progress;
    bool colour;
    bool page_lines;
    bool no_color = false;  // NO_COLOR=1 in the environment
  };
  const std::vector<Case> cases = {
      {{"--diff"}, {false, false}, false, false, true},
      {{"--diff"}, {true, true}, true, true, true},
      {{"--diff"}, {true, true}, true, false, true, true},
      {{"--diff", "--color=always"}, {true, true}, true, true, true, true},
      {{"--diff", "--color=never"}, {true, true}, true, false, true},
      {{"--diff", "--color=always"}, {false, false}, false, true, true},
      {{"--diff", "-q"}, {true, true}, false, true, false},
      {{"-q"}, {false, false}, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back() + (c.terminals.err ? " at a terminal" : ""));
    TempDir dir;
    WriteFile(dir / "a.htm", kRichPage);
    WriteFile(dir / "b.htm", kRichPage);
    WriteFile(dir / "b.htm~", "an earlier backup");
    // A name that would clear the screen and pass for two lines, and one
    // left by a rule, whose "~" name the message gives.
    const std::string odd = "c\033[2Jd\n.htm";
    WriteFile(dir / odd, kRichPage);
    const std::string odd_left = "e\033[2Jz.htm";
    WriteFile(dir / odd_left, kRichPage);
    WriteFile(dir / (odd_left + "~"), "an earlier backup");
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"a.htm", "b.htm", odd, odd_left});
    TestLinkCheck link_check;
    if (c.no_color) ::setenv("NO_COLOR", "1", 1);
    const CommandOutcome run = RunHere(dir.path(), args, link_check, c.terminals);
    ::unsetenv("NO_COLOR");
    const std::string &out = run.out, &err = run.err;
    EXPECT_EQ(run.status, 0);  // b.htm is left by rule, no failure
    EXPECT_EQ(err.find("\r\033[K[0/4] a.htm") != std::string::npos, c.progress);
    EXPECT_EQ(out.find("\033[31m-") != std::string::npos, c.colour) << out;
    const std::string lines = c.args.front() == "--diff" ? err : out;
    EXPECT_EQ(lines.find("a.htm: Операция выполнена!") != std::string::npos, c.page_lines);
    EXPECT_EQ(lines.find("очищено 2, не изменено 0, пропущено 2, с ошибкой 0") != std::string::npos,
              c.page_lines);
    const std::string escaped = c.terminals.err ? "c\\x1B[2Jd\\n.htm" : odd;
    EXPECT_EQ(lines.find(escaped + ": Операция выполнена!") != std::string::npos, c.page_lines);
    EXPECT_TRUE(!c.terminals.err || err.find("\033[2J") == std::string::npos);
    const bool quiet = c.args.back() == "-q";
    // A page left by a rule is no failure: --quiet says nothing of it.
    EXPECT_EQ(err.find("Файл «b.htm» не изменён") != std::string::npos, !quiet);
    const std::string left = c.terminals.err ? "e\\x1B[2Jz.htm" : odd_left;
    EXPECT_EQ(
        err.find("«" + left + "» не изменён: резервная копия «" + left + "~»") != std::string::npos,
        !quiet)
        << err;
  }
}

}  // namespace
}  // namespace pelloran
