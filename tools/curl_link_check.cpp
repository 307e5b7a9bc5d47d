#include "tools/curl_link_check.h"

#include <unordered_set>
#include <vector>

#include "tools/concurrent_checks.h"
#include "tools/connection_state.h"
#include "tools/curl_request.h"

namespace pelloran {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::string AddressToFetch(std::string_view link_value) {
  link_value = WithoutQuotes(link_value);
  if (StartsWithNoCase(link_value, "http://") || StartsWithNoCase(link_value, "https://"))
    return std::string(link_value);
  return "http://" + std::string(link_value);
}

CurlLinkCheck::CurlLinkCheck(Limits limits, std::string ca_file)
    : limits_(limits), ca_file_(std::move(ca_file)) {}

bool CurlLinkCheck::IsConnected() { return MachineIsConnected(); }

bool CurlLinkCheck::IsUrlAvailable(const std::string& address) {
  const std::string url = AddressToFetch(address);
  if (!remembering_) return Fetch(url);
  const auto known = answers_.find(url);
  if (known != answers_.end()) return known->second;
  // Not seen ahead (the page changed since): asked now, once.
  const bool answer = Fetch(url);
  answers_.emplace(url, answer);
  return answer;
}

void CurlLinkCheck::CheckAhead(std::span<const std::string> values, LinkCheckProgress* progress) {
  std::vector<std::string> urls;
  std::unordered_set<std::string> seen;
  for (const std::string& value : values) {
    std::string url = AddressToFetch(value);
    if (seen.insert(url).second) urls.push_back(std::move(url));
  }
  answers_ = CheckConcurrently(urls, limits_, ca_file_, progress);
  remembering_ = true;
}

void CurlLinkCheck::ForgetCheckedAhead() {
  answers_.clear();
  remembering_ = false;
}

bool CurlLinkCheck::Fetch(const std::string& url) {
  const CurlRequest request(url, limits_, ca_file_);
  return request.ready() && request.Answer(curl_easy_perform(request.easy()));
}

}  // namespace pelloran
