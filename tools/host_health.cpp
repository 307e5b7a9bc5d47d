#include "tools/host_health.h"

#include <algorithm>

namespace pelloran {

std::string HostOf(const std::string& url) {
  std::string host;
  CURLU* parts = curl_url();
  if (parts == nullptr) return host;
  char* found = nullptr;
  if (curl_url_set(parts, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_HOST, &found, 0) == CURLUE_OK) {
    host = found;
    curl_free(found);
  }
  curl_url_cleanup(parts);
  for (char& c : host) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return host;
}

void HostHealth::Note(const std::string& host, CURLcode result, long status) {
  if (result != CURLE_OPERATION_TIMEDOUT && status != 429) return;
  Record& record = hosts_[host];
  if (record.limit == 0) record.limit = per_host_;
  if (result == CURLE_OPERATION_TIMEDOUT) ++record.timeouts;
  if (status == 429) record.limit = std::max(1, record.limit / 2);
}

bool HostHealth::GivenUp(const std::string& host) const {
  const auto found = hosts_.find(host);
  return found != hosts_.end() && found->second.timeouts >= kTimeoutsToGiveUp;
}

int HostHealth::Limit(const std::string& host) const {
  const auto found = hosts_.find(host);
  return found == hosts_.end() || found->second.limit == 0 ? per_host_ : found->second.limit;
}

LinkOutcome HostHealth::GivenUpOutcome(const std::string& url) {
  LinkOutcome outcome = MakeLinkOutcome(
      LinkVerdict::kBroken,
      "given up: its host let " + std::to_string(kTimeoutsToGiveUp) + " requests run out of time",
      url);
  outcome.host_given_up = true;
  return outcome;
}

}  // namespace pelloran
