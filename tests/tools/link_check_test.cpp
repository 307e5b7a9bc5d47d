#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/tools/loopback_sockets.h"
#include "tools/curl_link_check.h"

namespace pelloran {
namespace {

using testing::DeadPort;

// What the server saw of one request.
struct SeenRequest {
  std::string path;
  std::string agent;
  std::string cache_control;
  std::string pragma;
  int remote_port;
};

// A real HTTP server on 127.0.0.1, run on its own thread for the test's life.
class LocalServer {
 public:
  explicit LocalServer(httplib::Server& server) : server_(server) {
    // Recorded before the answer goes out, so the client never finishes first.
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
      std::lock_guard lock(mutex_);
      seen_.push_back({request.path, request.get_header_value("User-Agent"),
                       request.get_header_value("Cache-Control"),
                       request.get_header_value("Pragma"), request.remote_port});
      return httplib::Server::HandlerResponse::Unhandled;
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~LocalServer() {
    server_.stop();
    thread_.join();
  }
  int port() const { return port_; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::vector<SeenRequest> Seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  httplib::Server& server_;
  int port_ = -1;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<SeenRequest> seen_;
};

void Redirect(httplib::Response& response, int status, const std::string& location) {
  response.status = status;
  response.set_header("Location", location);
  response.set_content("moved", "text/plain");
}

class LinkCheckTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The tests talk to their own server, never through a proxy of the machine.
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"})
      ::unsetenv(name);
  }

  LinkCheckTest() {
    server_.Get("/ok", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("<html>fine</html>", "text/html");
    });
    server_.Get("/empty", [](const httplib::Request&, httplib::Response& response) {
      response.status = 200;
    });
    server_.Get("/no-content", [](const httplib::Request&, httplib::Response& response) {
      response.status = 204;
    });
    server_.Get("/found", [this](const httplib::Request&, httplib::Response& response) {
      Redirect(response, 302, local_.Url("/ok"));
    });
    server_.Get("/found-nowhere", [](const httplib::Request&, httplib::Response& response) {
      response.status = 302;
      response.set_content("no location", "text/plain");
    });
    server_.Get("/moved", [this](const httplib::Request&, httplib::Response& response) {
      Redirect(response, 301, local_.Url("/ok"));
    });
    server_.Get("/moved-nowhere", [](const httplib::Request&, httplib::Response& response) {
      response.status = 301;
      response.set_content("no location", "text/plain");
    });
    server_.Get("/found-missing", [this](const httplib::Request&, httplib::Response& response) {
      Redirect(response, 302, local_.Url("/missing"));
    });
    server_.Get("/missing", [](const httplib::Request&, httplib::Response& response) {
      response.status = 404;
      response.set_content("not here", "text/plain");
    });
    server_.Get("/to-dead-port", [](const httplib::Request&, httplib::Response& response) {
      Redirect(response, 302, "http://127.0.0.1:" + std::to_string(DeadPort()) + "/ok");
    });
    server_.Get("/loop", [](const httplib::Request&, httplib::Response& response) {
      Redirect(response, 302, "/loop");
    });
    server_.Get("/to-ftp", [this](const httplib::Request&, httplib::Response& response) {
      Redirect(response, 302, "ftp://127.0.0.1:" + std::to_string(local_.port()) + "/ok");
    });
    server_.Get("/to-file", [](const httplib::Request&, httplib::Response& response) {
      Redirect(response, 302, "file:///etc/hostname");
    });
    server_.Get("/endless", [](const httplib::Request&, httplib::Response& response) {
      response.set_chunked_content_provider("text/html", [](size_t, httplib::DataSink& sink) {
        static const std::string chunk(64 * 1024, 'x');
        return sink.write(chunk.data(), chunk.size());
      });
    });
  }

  bool Check(const std::string& address) { return check_.IsUrlAvailable(address); }

  httplib::Server server_;
  LocalServer local_{server_};
  CurlLinkCheck check_{CurlLinkCheck::Limits{.connect_seconds = 5, .total_seconds = 10}};
};

TEST(AddressToFetchTest, OnlyWebAddressesAreFetchedAndInOneForm) {
  const struct {
    const char* value;
    const char* address;  // none: never asked
  } cases[] = {
      {"http://a.ru/x", "http://a.ru/x"},
      {"HTTP://A.RU/X", "http://a.ru/X"},
      {"HtTpS://a.ru", "https://a.ru/"},
      {"\"http://a.ru\"", "http://a.ru/"},
      {" http://a.ru/?a=1&amp;b=2 ", "http://a.ru/?a=1&b=2"},
      {"//a.ru/x", "http://a.ru/x"},
      {"page2.htm", nullptr},
      {"sub/x.htm", nullptr},
      {"ftp://a.ru", nullptr},
      {"x http://a.ru", nullptr},
      {"\"#top\"", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> address = AddressToFetch(c.value);
    EXPECT_EQ(address.has_value(), c.address != nullptr) << c.value;
    if (address && c.address) {
      EXPECT_EQ(*address, c.address) << c.value;
    }
  }
}

TEST_F(LinkCheckTest, AnswersYesWhenTheFinalStatusIsTwoHundredTwoHundredFourOrThreeHundredTwo) {
  EXPECT_TRUE(Check(local_.Url("/ok")));
  EXPECT_TRUE(Check(local_.Url("/empty")));
  EXPECT_TRUE(Check(local_.Url("/no-content")));
  EXPECT_TRUE(Check(local_.Url("/found")));          // 302 followed to a live page
  EXPECT_TRUE(Check(local_.Url("/found-nowhere")));  // 302 with nothing to follow
  EXPECT_TRUE(Check(local_.Url("/moved")));          // 301 followed to a live page
  EXPECT_FALSE(Check(local_.Url("/moved-nowhere")));
  EXPECT_FALSE(Check(local_.Url("/found-missing")));
  EXPECT_FALSE(Check(local_.Url("/missing")));
}

TEST_F(LinkCheckTest, AFailedTransferIsNeverAvailableWhateverTheLastHopSaid) {
  EXPECT_FALSE(Check(local_.Url("/to-dead-port")));
  EXPECT_FALSE(Check(local_.Url("/loop")));
  EXPECT_FALSE(Check(local_.Url("/to-ftp")));
  EXPECT_FALSE(Check(local_.Url("/to-file")));
  EXPECT_FALSE(Check("http://127.0.0.1:" + std::to_string(DeadPort()) + "/ok"));
}

TEST_F(LinkCheckTest, StopsAtTheFirstBodyByteAndCountsThatAsAnAnswer) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(Check(local_.Url("/endless")));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(LinkCheckTest, TakesTheValueAsTheTagFilterHandsItOver) {
  EXPECT_TRUE(Check("\"" + local_.Url("/ok") + "\""));
  EXPECT_FALSE(Check("127.0.0.1:" + std::to_string(local_.port()) + "/ok"));  // relative
  EXPECT_TRUE(Check("HTTP://127.0.0.1:" + std::to_string(local_.port()) + "/ok"));
  EXPECT_FALSE(Check("\"" + local_.Url("/missing") + "\""));
  EXPECT_FALSE(Check("\"#top\""));
  EXPECT_FALSE(Check("no-such-host.invalid"));
  EXPECT_FALSE(Check(""));
}

TEST_F(LinkCheckTest, SendsTheAgentAndNoCacheHeadersOnAFreshConnectionEachTime) {
  ASSERT_TRUE(Check(local_.Url("/ok")));
  ASSERT_TRUE(Check(local_.Url("/ok")));
  const std::vector<SeenRequest> seen = local_.Seen();
  ASSERT_EQ(seen.size(), 2u);
  for (const SeenRequest& request : seen) {
    EXPECT_EQ(request.path, "/ok");
    EXPECT_EQ(request.agent, "InetURL:/1.0");
    EXPECT_EQ(request.cache_control, "no-cache");
    EXPECT_EQ(request.pragma, "no-cache");
  }
  EXPECT_NE(seen[0].remote_port, seen[1].remote_port);
}

TEST_F(LinkCheckTest, GoesThroughTheProxyOfTheEnvironment) {
  server_.Get("http://.*", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("via proxy", "text/plain");
  });
  ::setenv("http_proxy", local_.Url("").c_str(), 1);
  const bool answer = Check("http://pelloran-proxy-test.invalid/page");
  ::unsetenv("http_proxy");
  EXPECT_TRUE(answer);
  const std::vector<SeenRequest> seen = local_.Seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].path, "http://pelloran-proxy-test.invalid/page");
}

// A server that asks for fewer requests: each target answers `status` with
// its Retry-After (if any) `times` times, then 200.
TEST_F(LinkCheckTest, AsksOnceMoreAfterTheWaitARetryAfterNames) {
  const struct {
    const char* path;
    int status;
    const char* retry_after;
    int times;
    LinkVerdict verdict;
    int requests;
  } cases[] = {
      {"/429-once", 429, "1", 1, LinkVerdict::kAvailable, 2},
      {"/503-once", 503, "1", 1, LinkVerdict::kAvailable, 2},
      {"/429-long", 429, "3600", 1, LinkVerdict::kAvailable, 2},  // waits the time limit
      {"/429-dated", 429, "Wed, 21 Oct 2015 07:28:00 GMT", 1, LinkVerdict::kAvailable, 2},
      {"/429-always", 429, "1", 9, LinkVerdict::kNotChecked, 2},
      {"/503-always", 503, "1", 9, LinkVerdict::kBroken, 2},
      {"/429-no-wait", 429, nullptr, 9, LinkVerdict::kNotChecked, 1},
      {"/503-no-wait", 503, nullptr, 9, LinkVerdict::kBroken, 1},
  };
  std::mutex mutex;
  std::map<std::string, int> served;
  for (const auto& c : cases) {
    server_.Get(c.path, [&, c](const httplib::Request&, httplib::Response& response) {
      std::lock_guard lock(mutex);
      if (served[c.path]++ >= c.times) return response.set_content("fine", "text/plain");
      response.status = c.status;
      if (c.retry_after != nullptr) response.set_header("Retry-After", c.retry_after);
    });
  }
  CurlLinkCheck check(LinkCheckLimits{.connect_seconds = 5, .total_seconds = 2});
  std::vector<std::string> values;
  for (const auto& c : cases) values.push_back(local_.Url(c.path));
  check.CheckAhead(values, nullptr);
  for (const auto& c : cases) {
    const LinkOutcome outcome = check.CheckLink(local_.Url(c.path));
    EXPECT_EQ(outcome.verdict, c.verdict) << c.path;
    EXPECT_EQ(served[c.path], c.requests) << c.path;
  }
  // Asked on the spot, the same.
  CurlLinkCheck alone(LinkCheckLimits{.connect_seconds = 5, .total_seconds = 2});
  served.clear();
  EXPECT_EQ(alone.CheckLink(local_.Url("/503-once")).verdict, LinkVerdict::kAvailable);
  EXPECT_EQ(served["/503-once"], 2);
}

TEST_F(LinkCheckTest, TellsTheStatusOrTheTransferErrorOfEachAddress) {
  const std::string dead = "http://127.0.0.1:" + std::to_string(DeadPort()) + "/ok";
  const struct {
    std::string value;
    LinkVerdict verdict;
    long status;
    const char* detail;
  } cases[] = {
      {local_.Url("/ok"), LinkVerdict::kAvailable, 200, ""},
      {local_.Url("/no-content"), LinkVerdict::kAvailable, 204, ""},
      {local_.Url("/missing"), LinkVerdict::kBroken, 404, ""},
      {local_.Url("/loop"), LinkVerdict::kBroken, 0, "Number of redirects hit maximum amount"},
      {dead, LinkVerdict::kBroken, 0, "Couldn't connect to server"},
      {"mailto:a@b.ru", LinkVerdict::kNotChecked, 0, "not a web address"},
  };
  for (const auto& c : cases) {
    const LinkOutcome outcome = check_.CheckLink(c.value);
    EXPECT_EQ(outcome.verdict, c.verdict) << c.value;
    EXPECT_EQ(outcome.status, c.status) << c.value;
    EXPECT_EQ(outcome.detail, c.detail) << c.value;
  }
}

TEST(LinkCheckTimeTest, GivesUpOnAServerThatNeverAnswers) {
  testing::SilentListener silent;
  CurlLinkCheck check(CurlLinkCheck::Limits{.connect_seconds = 1, .total_seconds = 1});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(check.IsUrlAvailable(silent.Url()));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
}

}  // namespace
}  // namespace pelloran
