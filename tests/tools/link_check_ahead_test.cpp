#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "cleaner/class_tables.h"
#include "cleaner/clean_run.h"
#include "tests/support/folder_file_list.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_services.h"
#include "tests/tools/counting_server.h"
#include "tests/tools/loopback_sockets.h"
#include "tools/curl_link_check.h"

namespace pelloran {
namespace {

namespace fs = std::filesystem;
using testing::CountingServer;
using testing::DeadPort;
using testing::FolderFileList;
using testing::OneAtATime;
using testing::ReadFile;
using testing::ScopedCurrentDir;
using testing::TempDir;
using testing::TestGauge;
using testing::TestMessages;
using testing::TestOptions;
using testing::WriteFile;

// Calls back on the first report of progress.
class ProgressHook : public LinkCheckProgress {
 public:
  explicit ProgressHook(std::function<void()> hook) : hook_(std::move(hook)) {}
  void ShowLinkProgress(int, int) override {
    if (hook_) std::exchange(hook_, nullptr)();
  }

 private:
  std::function<void()> hook_;
};

// Asks to stop from `at` on.
struct StopAt : LinkCheckProgress {
  void ShowLinkProgress(int, int) override {}
  bool StopChecking() override { return std::chrono::steady_clock::now() >= at; }
  std::chrono::steady_clock::time_point at;
};

class LinkCheckAheadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The tests talk to their own server, never through a proxy of the machine.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"})
      ::unsetenv(name);
  }

  // Writes the pages afresh (an earlier run's pages and backups go) and
  // cleans them all with link checking on; answers the report.
  std::string Clean(const std::vector<std::pair<std::string, std::string>>& pages,
                    LinkCheck& check) {
    for (const auto& entry : fs::directory_iterator(dir_.path())) fs::remove(entry.path());
    for (const auto& [name, text] : pages) WriteFile(dir_ / name, text);
    FolderFileList files(dir_.path());
    for (int i = 0; i < files.Count(); ++i) files.Select(i);
    TestOptions options;
    options.SetLinkChecking(true);
    TestGauge gauge;
    TestMessages messages;
    ClassTables tables;
    CleanContext context(options, gauge, check);
    context.link_progress = progress_;
    RunClean(context, tables, files, messages);
    return ReadFile(dir_ / "Ссылки.txt");
  }

  static std::string Link(const std::string& value) { return "<a href=" + value + ">x</a>\n"; }
  static std::string Quoted(const std::string& value) { return Link("\"" + value + "\""); }

  TempDir dir_;
  ScopedCurrentDir here_{dir_.path()};
  CountingServer server_{std::chrono::milliseconds(20)};
  LinkCheckProgress* progress_ = nullptr;
};

TEST_F(LinkCheckAheadTest, WritesTheSameReportAsTheOneAtATimeCheckAndAsksEachAddressOnce) {
  const std::string dead = "http://127.0.0.1:" + std::to_string(DeadPort()) + "/x";
  const std::string a = Quoted(server_.Url("/ok")) + Quoted(server_.Url("/found")) +
                        Quoted(server_.Url("/moved")) + Quoted(server_.Url("/moved-nowhere")) +
                        Quoted(server_.Url("/missing")) + Quoted(dead) + Quoted("#top") +
                        Link("top") + Link(server_.Url("/ok?unquoted")) +
                        Quoted("HTTP://" + server_.HostPort() + "/ok?capital") +
                        Quoted(server_.HostPort() + "/ok?no-scheme") +
                        Quoted(server_.Url("/ok?in-page#part")) + Quoted(server_.Url("/found"));
  const std::string b = Quoted(server_.Url("/found")) + Quoted(server_.Url("/missing")) +
                        Quoted("#top") + Quoted(dead) + Quoted(server_.Url("/ok?b"));
  const std::vector<std::pair<std::string, std::string>> pages = {{"a.htm", a}, {"b.htm", b}};

  CurlLinkCheck check;
  OneAtATime alone(check);
  const std::string expected = Clean(pages, alone);
  const std::map<std::string, int> asked_alone = server_.AllRequests();
  server_.Reset();
  const std::string report = Clean(pages, check);

  EXPECT_EQ(report, expected);
  EXPECT_NE(expected.find("ext  \"" + server_.Url("/found") + "\"     OK"), std::string::npos);
  EXPECT_NE(expected.find("ext  \"" + server_.Url("/missing") + "\"\r\n"), std::string::npos);
  const std::map<std::string, int> asked = server_.AllRequests();
  EXPECT_EQ(asked_alone.at("/found"), 3);  // the pages do repeat addresses
  ASSERT_EQ(asked.size(), asked_alone.size());
  for (const auto& [target, count] : asked) {
    EXPECT_EQ(count, 1) << target;
    EXPECT_TRUE(asked_alone.contains(target)) << target;
  }
}

TEST_F(LinkCheckAheadTest, KeepsToThePerHostAndOverallLimits) {
  struct Case {
    int per_host;
    int in_all;
    int most_at_once;
  };
  const LinkCheckLimits defaults;
  const Case cases[] = {{3, 32, 3}, {8, 2, 2}, {defaults.per_host, defaults.in_all, 8}};
  // Answers slow enough that every check let in overlaps the others even on
  // a busy machine; one more address than the highest limit.
  CountingServer slow(std::chrono::milliseconds(250));
  std::vector<std::string> values;
  for (int i = 0; i < 9; ++i) values.push_back(slow.Url("/ok?n=" + std::to_string(i)));
  for (const Case& c : cases) {
    slow.Reset();
    CurlLinkCheck check(LinkCheckLimits{.per_host = c.per_host, .in_all = c.in_all});
    check.CheckAhead(values, nullptr);
    EXPECT_EQ(slow.MostAtOnce(), c.most_at_once) << c.per_host << " " << c.in_all;
    EXPECT_EQ(slow.TotalRequests(), 9);
    for (const std::string& value : values) EXPECT_TRUE(check.IsUrlAvailable(value)) << value;
    EXPECT_EQ(slow.TotalRequests(), 9);  // answered from what was checked ahead
    check.ForgetCheckedAhead();
    EXPECT_TRUE(check.IsUrlAvailable(values[0]));
    EXPECT_EQ(slow.TotalRequests(), 10);
  }
}

// Redirections to another host, and requests asked again after a 503, each
// wait for room at the host they go to: host b never has more than its
// limit, though a's redirections and its own checks come at once.
TEST_F(LinkCheckAheadTest, NoHostGetsMoreThanItsLimitUnderRedirectionsAndRetries) {
  CountingServer b(std::chrono::milliseconds(100), "127.0.0.3");
  CountingServer a(std::chrono::milliseconds(100), "127.0.0.2");
  a.SendAwayTo(b);
  std::vector<std::string> values;
  for (int i = 0; i < 16; ++i) {
    const std::string n = "?n=" + std::to_string(i);
    values.insert(values.end(), {a.Url("/away" + n), b.Url("/ok" + n), b.Url("/later" + n)});
  }
  CurlLinkCheck check;
  check.CheckAhead(values, nullptr);
  for (const std::string& value : values) EXPECT_TRUE(check.IsUrlAvailable(value)) << value;
  EXPECT_EQ(b.MostAtOnce(), LinkCheckLimits{}.per_host);
  EXPECT_LE(a.MostAtOnce(), LinkCheckLimits{}.per_host);
  EXPECT_EQ(a.TotalRequests(), 16);
  EXPECT_EQ(b.TotalRequests(), 16 + 16 + 2 * 16);  // each /later asked twice
}

// Hosts that take the connection and never answer would hold the checks for
// their whole time limit (30 s): a stop ends them at once, every connection
// closed.
TEST_F(LinkCheckAheadTest, AStopDropsEveryTransferInFlightAtOnce) {
  testing::SilentListener listener;
  std::vector<std::string> values;
  for (int i = 0; i < 20; ++i) values.push_back(listener.Url() + "/" + std::to_string(i));
  CurlLinkCheck check;
  StopAt stop;
  stop.at = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  check.CheckAhead(values, &stop);
  EXPECT_LT(std::chrono::steady_clock::now() - stop.at, std::chrono::seconds(1));
  const auto [closed, accepted] = listener.ClosedOfAccepted();
  EXPECT_EQ(accepted, LinkCheckLimits{}.per_host);
  EXPECT_EQ(closed, accepted);
}

TEST_F(LinkCheckAheadTest, ServersThatNeverAnswerCostOneTimeLimitTogether) {
  const testing::SilentListener listener;
  const std::string silent = listener.Url();

  CurlLinkCheck check(LinkCheckLimits{.connect_seconds = 1, .total_seconds = 1});
  const auto start = std::chrono::steady_clock::now();
  const std::string report = Clean(
      {{"a.htm", Quoted(silent + "/1") + Quoted(silent + "/2") + Quoted(silent + "/3")}}, check);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
  EXPECT_EQ(report.find("\"     OK"), std::string::npos) << report;
  EXPECT_NE(report.find("ext  \"" + silent + "/3\"\r\n"), std::string::npos);
}

TEST_F(LinkCheckAheadTest, AHostThatLetsThreeRequestsRunOutOfTimeIsGivenUp) {
  const testing::SilentListener listener;
  std::vector<std::string> values;
  for (int i = 0; i < 20; ++i) values.push_back(listener.Url() + "/" + std::to_string(i));
  CurlLinkCheck check(LinkCheckLimits{.connect_seconds = 1, .total_seconds = 1});
  check.CheckAhead(values, nullptr);
  int timed_out = 0, given_up = 0;
  for (const std::string& value : values) {
    const LinkOutcome outcome = check.CheckLink(value);
    EXPECT_EQ(outcome.verdict, LinkVerdict::kBroken) << value;
    timed_out += outcome.detail == "Timeout was reached";
    given_up += outcome.host_given_up;
  }
  // Eight in flight at once: the third to run out of time stops the rest.
  EXPECT_EQ(timed_out, kTimeoutsToGiveUp);
  EXPECT_EQ(given_up, 20 - kTimeoutsToGiveUp);
  // The host stays given up for the run: a new address is not asked.
  const LinkOutcome late = check.CheckLink(listener.Url() + "/late");
  EXPECT_TRUE(late.host_given_up);
}

TEST_F(LinkCheckAheadTest, AHostThatAnswered429GetsFewerRequestsAtOnce) {
  CountingServer slow(std::chrono::milliseconds(250));
  std::vector<std::string> values;
  for (int i = 0; i < 9; ++i) values.push_back(slow.Url("/ok?n=" + std::to_string(i)));
  CurlLinkCheck check;
  EXPECT_EQ(check.CheckLink(slow.Url("/busy")).verdict, LinkVerdict::kNotChecked);
  slow.Reset();
  check.CheckAhead(values, nullptr);
  EXPECT_EQ(slow.MostAtOnce(), LinkCheckLimits{}.per_host / 2);
  EXPECT_EQ(slow.TotalRequests(), 9);
}

// Each value's address as the server sees it: one request for every spelling
// of one address.
TEST_F(LinkCheckAheadTest, AsksTheResolvedAddressOnceForEverySpellingOfIt) {
  const std::string host = server_.HostPort();
  const struct {
    std::vector<std::string> values;
    const char* target;
  } cases[] = {
      {{"http://" + host + "/ok?case", "HTTP://" + host + "/ok?case", "Http://" + host + "/ok?case",
        " http://" + host + "/ok?case#part "},
       "/ok?case"},
      {{"http://" + host + "/ok?a=1&amp;b=2", "http://" + host + "/ok?a=1&#38;b=2",
        "http://" + host + "/ok?a=1&b=2"},
       "/ok?a=1&b=2"},
      {{"http://" + host + "/ok/a b", "http://" + host + "/ok/a%20b"}, "/ok/a%20b"},
      {{"http://" + host + "/ok/\xD1\x84"}, "/ok/%D1%84"},
      {{"http://" + host}, "/"},
  };
  std::vector<std::string> values;
  for (const auto& c : cases) values.insert(values.end(), c.values.begin(), c.values.end());
  CurlLinkCheck check;
  check.CheckAhead(values, nullptr);
  for (const auto& c : cases) {
    EXPECT_EQ(server_.Requests(c.target), 1) << c.target;
    for (const std::string& value : c.values) check.CheckLink(value);
  }
  EXPECT_EQ(server_.TotalRequests(), static_cast<int>(std::size(cases)));
}

// Every quoting form a browser reads, with references and blanks: each link
// reaches the server as meant, once, and the report shows it as it stands
// (a "#" anywhere, even in "&#38;", still makes the line an in-page one).
TEST_F(LinkCheckAheadTest, ReadsEveryQuotingFormAsABrowserDoes) {
  const std::string url = server_.Url("/ok?a=1&amp;b=2");
  const std::string page = "<a href='" + url + "'>x</a><A HREF=" + url + ">x</A><a href=\" " + url +
                           " \">x</a><a href=\"" + server_.Url("/ok?a=1&#38;b=2") + "\">x</a>";
  CurlLinkCheck check;
  const std::string report = Clean({{"a.htm", page}}, check);
  EXPECT_EQ(server_.AllRequests(), (std::map<std::string, int>{{"/ok?a=1&b=2", 1}}));
  EXPECT_EQ(report, "\xEF\xBB\xBF\r\n           " + (dir_.path() / "a.htm").string() +
                        " :\r\n\r\n" + "ext  '" + url + "'     OK\r\next  " + url +
                        "     OK\r\next  \" " + url + " \"     OK\r\n     \"" +
                        server_.Url("/ok?a=1&#38;b=2") + "\"     OK\r\n");
}

// With every request routed to the test server as a proxy, nothing but the
// web address reaches it: relative links, other schemes and in-page links
// never leave the machine, and no name is looked up for them.
TEST_F(LinkCheckAheadTest, OnlyWebAddressesLeaveTheMachine) {
  ::setenv("http_proxy", server_.Url("").c_str(), 1);
  CurlLinkCheck check;
  const std::string page = "<h2 id=\"sec 2\">x</h2><a name=n></a>" + Quoted("sub/x.htm") +
                           Quoted("etc/passwd") + Quoted("/root.htm") + Quoted("mailto:a@b.ru") +
                           Quoted("tel:+7") + Quoted("javascript:x()") + Quoted("data:,x") +
                           Quoted("ftp://a.example/") + Quoted("#sec%202") + Quoted("#n") +
                           Quoted("#none") + Quoted("") + Quoted("http://pelloran-test.invalid/ok");
  const std::string report = Clean({{"a.htm", page}}, check);
  ::unsetenv("http_proxy");
  EXPECT_EQ(server_.AllRequests(),
            (std::map<std::string, int>{{"http://pelloran-test.invalid/ok", 1}}));
  const std::string path = (dir_.path() / "a.htm").string();
  EXPECT_EQ(report, "\xEF\xBB\xBF\r\n           " + path +
                        " :\r\n\r\n"
                        "ext  \"sub/x.htm\"\r\next  \"etc/passwd\"\r\next  \"/root.htm\"\r\n"
                        "ext  \"mailto:a@b.ru\"\r\next  \"tel:+7\"\r\next  \"javascript:x()\"\r\n"
                        "ext  \"data:,x\"\r\next  \"ftp://a.example/\"\r\n"
                        "     \"#sec%202\"     OK\r\n     \"#n\"     OK\r\n     \"#none\"\r\n"
                        "ext  \"\"\r\n"
                        "ext  \"http://pelloran-test.invalid/ok\"" +
                        report.substr(report.rfind('"') + 1));
}

TEST_F(LinkCheckAheadTest, APageEditedAfterTheScanStillGetsTheRightAnswers) {
  ProgressHook edit([&] {
    WriteFile(dir_ / "a.htm", Quoted(server_.Url("/ok?v=2")) + Quoted(server_.Url("/gone?v=2")) +
                                  Quoted(server_.Url("/ok?v=1")));
  });
  progress_ = &edit;
  CurlLinkCheck check;
  const std::string report =
      Clean({{"a.htm", Quoted(server_.Url("/ok?v=1")) + Quoted(server_.Url("/gone?v=1"))}}, check);
  const std::string path = (dir_.path() / "a.htm").string();
  EXPECT_EQ(report, "\xEF\xBB\xBF\r\n           " + path + " :\r\n\r\n" + "ext  \"" +
                        server_.Url("/ok?v=2") + "\"     OK\r\n" + "ext  \"" +
                        server_.Url("/gone?v=2") + "\"\r\n" + "ext  \"" + server_.Url("/ok?v=1") +
                        "\"     OK\r\n");
  for (const char* target : {"/ok?v=1", "/gone?v=1", "/ok?v=2", "/gone?v=2"})
    EXPECT_EQ(server_.Requests(target), 1) << target;
}

}  // namespace
}  // namespace pelloran
