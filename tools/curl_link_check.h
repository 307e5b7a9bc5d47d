#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "interfaces/link_check.h"
#include "tools/host_health.h"

namespace pelloran {

// The limits every check keeps, and how many checks made ahead run at once.
struct LinkCheckLimits {
  long connect_seconds = 15;  // a dead host cannot hold the program longer
  long total_seconds = 30;    // one whole check, redirections included
  long max_redirections = 30;
  // Requests in flight to one host (as the address names it): a redirection
  // counts against the host it goes to.
  int per_host = 8;
  int in_all = 32;  // checks in flight altogether
};

// The address a link value is fetched at, as a browser would resolve it (see
// ResolveLinkAddress): none when the value names no http or https address,
// which is then never asked.
std::optional<std::string> AddressToFetch(std::string_view link_value);

// The link check over libcurl. Every request opens its own connection
// (nothing reused, nothing cached), follows redirections over http and https
// only, each as a request of its own to the host it names, and reads nothing
// of a body: it stops at the first body byte. Proxies
// come from the usual environment variables (http_proxy, no_proxy, ...).
//
// Checks made ahead (CheckAhead) run many at a time and each address once;
// IsUrlAvailable then answers from them until ForgetCheckedAhead, and checks
// any other address on the spot (remembering it too). Without CheckAhead
// every IsUrlAvailable makes its own request.
//
// A 429 or 503 with Retry-After is asked once more after the wait (at most
// the time limit); a host that answered 429 gets fewer requests at once, and
// a host that let kTimeoutsToGiveUp requests run out of time is not asked
// again: both until ForgetCheckedAhead.
class CurlLinkCheck final : public LinkCheck {
 public:
  using Limits = LinkCheckLimits;

  CurlLinkCheck() : CurlLinkCheck(Limits{}) {}
  // `ca_file`, when not empty, replaces the system's certificate authorities.
  explicit CurlLinkCheck(Limits limits, std::string ca_file = {});

  // True when the machine has a default route (see connection_state.h).
  bool IsConnected() override;
  // True when the transfer ended at a server that answered 200, 204 or 302. A
  // transfer that failed on the way (a dead redirection target, too many
  // redirections, a refused scheme, a time-out) answers false. Never throws.
  bool IsUrlAvailable(const std::string& address) override;
  // The same with the status, the transfer error or why it was not asked.
  LinkOutcome CheckLink(const std::string& address) override;

  void CheckAhead(std::span<const std::string> values, LinkCheckProgress* progress) override;
  void ForgetCheckedAhead() override;

 private:
  LinkOutcome Fetch(const std::string& url);

  Limits limits_;
  std::string ca_file_;
  bool remembering_ = false;
  std::unordered_map<std::string, LinkOutcome> answers_;  // by address to fetch
  HostHealth hosts_;
};

}  // namespace pelloran
