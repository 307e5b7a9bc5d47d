#include "tools/connection_state.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cleaner/report_connection_state.h"
#include "tests/support/test_services.h"

namespace pelloran {
namespace {

using testing::TestLinkCheck;
using testing::TestMessages;

constexpr char kHeader[] =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

std::optional<bool> FromTable(const std::string& text) {
  std::istringstream table(text);
  return HasDefaultRoute(table);
}

TEST(DefaultRouteTest, FindsAnUpRouteToEverywhere) {
  EXPECT_EQ(FromTable(std::string(kHeader) +
                      "eth0\t0000A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
                      "eth0\t00000000\t0100A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"),
            true);
}

TEST(DefaultRouteTest, LocalRoutesOrADownDefaultAreNoConnection) {
  EXPECT_EQ(FromTable(std::string(kHeader) +
                      "eth0\t0000A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"),
            false);
  EXPECT_EQ(FromTable(std::string(kHeader) +
                      "eth0\t00000000\t0100A8C0\t0002\t0\t0\t100\t00000000\t0\t0\t0\n"),
            false);
  EXPECT_EQ(FromTable(kHeader), false);
}

TEST(DefaultRouteTest, TextThatIsNoRoutingTableGivesNoAnswer) {
  EXPECT_EQ(FromTable(""), std::nullopt);
  EXPECT_EQ(FromTable("garbage\n00000000 00000000\n"), std::nullopt);
}

TEST(DefaultRouteTest, ShortLinesAreSkipped) {
  EXPECT_EQ(FromTable(std::string(kHeader) + "eth0\t00000000\n"), false);
}

// A route with a resolver that finds nothing is no connection.
TEST(ConnectionStateTest, OnlyANameThatResolvesCounts) {
  EXPECT_TRUE(HostResolves("localhost", std::chrono::seconds(3)));
  EXPECT_FALSE(HostResolves("no-such-host.invalid", std::chrono::seconds(3)));
}

TEST(ReportConnectionStateTest, ShowsOneOfTheTwoMessages) {
  TestLinkCheck link_check;
  TestMessages messages;
  link_check.connected = true;
  ReportConnectionState(link_check, messages);
  link_check.connected = false;
  ReportConnectionState(link_check, messages);
  ASSERT_EQ(messages.information.size(), 2u);
  EXPECT_EQ(messages.information[0], "Вы подключены к интернету.");
  EXPECT_EQ(messages.information[1],
            "Нет подключения к интернету.Для корректной работы программы отключите проверку "
            "ссылок в настройках.");
  EXPECT_TRUE(messages.errors.empty());
  EXPECT_TRUE(link_check.asked.empty());
}

}  // namespace
}  // namespace pelloran
