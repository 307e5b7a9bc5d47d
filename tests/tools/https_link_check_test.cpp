#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/temp_dir.h"
#include "tools/curl_link_check.h"

namespace pelloran {
namespace {

using testing::FileExists;
using testing::TempDir;

// A TLS server on 127.0.0.1 with a certificate made for the test.
class HttpsLinkCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      ::unsetenv(name);
    const std::string command =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
        " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
        dir_ / "key.pem" + "' -out '" + dir_ / "cert.pem" + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << "openssl could not make a certificate";
    server_ = std::make_unique<httplib::SSLServer>((dir_ / "cert.pem").c_str(),
                                                   (dir_ / "key.pem").c_str());
    ASSERT_TRUE(server_->is_valid());
    server_->Get("/ok", [](const httplib::Request&, httplib::Response& response) {
      response.set_content("secure", "text/plain");
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
  }
  void TearDown() override {
    if (thread_.joinable()) {
      server_->stop();
      thread_.join();
    }
  }
  std::string Address(const std::string& scheme) const {
    return scheme + "127.0.0.1:" + std::to_string(port_) + "/ok";
  }

  TempDir dir_;
  std::unique_ptr<httplib::SSLServer> server_;
  int port_ = -1;
  std::thread thread_;
};

TEST_F(HttpsLinkCheckTest, FetchesHttpsInAnyLetterCaseWithoutAnotherPrefix) {
  CurlLinkCheck check(CurlLinkCheck::Limits{.connect_seconds = 5, .total_seconds = 10},
                      dir_ / "cert.pem");
  EXPECT_TRUE(check.IsUrlAvailable(Address("https://")));
  EXPECT_TRUE(check.IsUrlAvailable(Address("HTTPS://")));
  EXPECT_TRUE(check.IsUrlAvailable("\"" + Address("https://") + "\""));
}

TEST_F(HttpsLinkCheckTest, RefusesACertificateNoAuthorityVouchesFor) {
  CurlLinkCheck check(CurlLinkCheck::Limits{.connect_seconds = 5, .total_seconds = 10});
  EXPECT_FALSE(check.IsUrlAvailable(Address("https://")));
}

}  // namespace
}  // namespace pelloran
