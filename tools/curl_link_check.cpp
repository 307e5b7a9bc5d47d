#include "tools/curl_link_check.h"

#include <chrono>
#include <thread>
#include <unordered_set>
#include <vector>

#include "cleaner/link_address.h"
#include "tools/concurrent_checks.h"
#include "tools/connection_state.h"
#include "tools/curl_request.h"

namespace pelloran {

std::optional<std::string> AddressToFetch(std::string_view link_value) {
  LinkAddress address = ResolveLinkAddress(ReadLinkValue(link_value));
  if (address.kind != LinkKind::kWeb) return std::nullopt;
  return std::move(address.text);
}

CurlLinkCheck::CurlLinkCheck(Limits limits, std::string ca_file)
    : limits_(limits), ca_file_(std::move(ca_file)), hosts_(limits.per_host) {}

bool CurlLinkCheck::IsConnected() { return MachineIsConnected(); }

bool CurlLinkCheck::IsUrlAvailable(const std::string& address) {
  return CheckLink(address).verdict == LinkVerdict::kAvailable;
}

LinkOutcome CurlLinkCheck::CheckLink(const std::string& address) {
  const std::optional<std::string> url = AddressToFetch(address);
  if (!url) return MakeLinkOutcome(LinkVerdict::kNotChecked, "not a web address");
  if (!remembering_) return Fetch(*url);
  const auto known = answers_.find(*url);
  if (known != answers_.end()) return known->second;
  // Not seen ahead (the page changed since): asked now, once.
  LinkOutcome outcome = Fetch(*url);
  answers_.emplace(*url, outcome);
  return outcome;
}

void CurlLinkCheck::CheckAhead(std::span<const std::string> values, LinkCheckProgress* progress) {
  std::vector<std::string> urls;
  std::unordered_set<std::string> seen;
  for (const std::string& value : values) {
    std::optional<std::string> url = AddressToFetch(value);
    if (url && seen.insert(*url).second) urls.push_back(std::move(*url));
  }
  answers_ = CheckConcurrently(urls, limits_, ca_file_, hosts_, progress);
  remembering_ = true;
}

void CurlLinkCheck::ForgetCheckedAhead() {
  answers_.clear();
  hosts_.Clear();
  remembering_ = false;
}

// One address on the spot, asked again once when the server says when.
LinkOutcome CurlLinkCheck::Fetch(const std::string& url) {
  const std::string host = HostOf(url);
  for (bool again = false;; again = true) {
    if (hosts_.GivenUp(host)) return HostHealth::GivenUpOutcome(url);
    const CurlRequest request(url, limits_, ca_file_);
    if (!request.ready())
      return MakeLinkOutcome(LinkVerdict::kBroken, "libcurl could not make the request", url);
    const CURLcode result = curl_easy_perform(request.easy());
    LinkOutcome outcome = request.Outcome(result);
    hosts_.Note(host, result, outcome.status);
    const long wait = again ? -1 : request.RetryWaitSeconds(outcome, limits_);
    if (wait < 0) return outcome;
    std::this_thread::sleep_for(std::chrono::seconds(wait));
  }
}

}  // namespace pelloran
