#include "tools/curl_link_check.h"

#include <unordered_set>
#include <vector>

#include "cleaner/link_address.h"
#include "tools/concurrent_checks.h"
#include "tools/connection_state.h"

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

// One address on the spot, the same way as many: redirections and a
// request asked again wait their turn at their host.
LinkOutcome CurlLinkCheck::Fetch(const std::string& url) {
  const std::string one[] = {url};
  auto answers = CheckConcurrently(one, limits_, ca_file_, hosts_, nullptr);
  const auto found = answers.find(url);
  if (found != answers.end()) return std::move(found->second);
  return MakeLinkOutcome(LinkVerdict::kBroken, "libcurl could not make the request", url);
}

}  // namespace pelloran
