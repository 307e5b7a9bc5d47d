#include "tools/curl_request.h"

#include <algorithm>
#include <mutex>

namespace pelloran {
namespace {

// Receives the final response's body; redirection bodies never come here.
// Refusing the first byte ends the transfer: the status is all we want.
size_t StopAtFirstBodyByte(char*, size_t size, size_t count, void* body_started) {
  if (size * count == 0) return 0;
  *static_cast<bool*>(body_started) = true;
  return 0;
}

}  // namespace

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CurlRequest::CurlRequest(const std::string& url, const LinkCheckLimits& limits,
                         const std::string& ca_file, std::chrono::milliseconds time_left)
    : url_(url) {
  InitialiseCurlOnce();
  for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
    curl_slist* longer = curl_slist_append(headers_.get(), header);
    if (longer == nullptr) return;
    headers_.release();
    headers_.reset(longer);
  }
  easy_.reset(curl_easy_init());
  if (!easy_) return;
  CURL* e = easy_.get();
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());  // libcurl keeps a copy
  curl_easy_setopt(e, CURLOPT_USERAGENT, "InetURL:/1.0");
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers_.get());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
  // At least a millisecond: libcurl reads zero as no limit at all.
  const long left_ms = std::max<long>(1, static_cast<long>(time_left.count()));
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, std::min(limits.connect_seconds * 1000, left_ms));
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, left_ms);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, StopAtFirstBodyByte);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &body_started_);
  if (!ca_file.empty()) curl_easy_setopt(e, CURLOPT_CAINFO, ca_file.c_str());
}

bool CurlRequest::ReachedServer(CURLcode result) const {
  return result == CURLE_OK || (result == CURLE_WRITE_ERROR && body_started_);
}

LinkOutcome CurlRequest::Outcome(CURLcode result) const {
  LinkOutcome outcome;
  outcome.address = url_;
  if (!ReachedServer(result)) {
    outcome.detail = curl_easy_strerror(result);
    return outcome;
  }
  if (curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &outcome.status) != CURLE_OK) {
    outcome.detail = "no status";
    return outcome;
  }
  // 204 No Content is a page that is there and says so.
  if (outcome.status == 200 || outcome.status == 204 || outcome.status == 302) {
    outcome.verdict = LinkVerdict::kAvailable;
  } else if (outcome.status == 429) {
    outcome.verdict = LinkVerdict::kNotChecked;
    outcome.detail = "the server asked for fewer requests (429)";
  }
  return outcome;
}

std::optional<std::string> CurlRequest::RedirectTarget(CURLcode result) const {
  long status = 0;
  curl_header* location = nullptr;
  if (!ReachedServer(result) ||
      curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status < 300 ||
      status > 399 ||
      curl_easy_header(easy_.get(), "Location", 0, CURLH_HEADER, -1, &location) != CURLHE_OK)
    return std::nullopt;
  // Resolved against the address asked, as a browser does. A Location that
  // makes no address is tried as it stands: that request then fails.
  std::string target = location->value;
  CURLU* parts = curl_url();
  char* resolved = nullptr;
  if (parts != nullptr && curl_url_set(parts, CURLUPART_URL, url_.c_str(), 0) == CURLUE_OK &&
      curl_url_set(parts, CURLUPART_URL, target.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK &&
      curl_url_get(parts, CURLUPART_URL, &resolved, 0) == CURLUE_OK) {
    target = resolved;
    curl_free(resolved);
  }
  curl_url_cleanup(parts);
  return target;
}

std::chrono::milliseconds CurlRequest::TimeTaken() const {
  curl_off_t microseconds = 0;
  if (curl_easy_getinfo(easy_.get(), CURLINFO_TOTAL_TIME_T, &microseconds) != CURLE_OK) return {};
  return std::chrono::milliseconds(microseconds / 1000);
}

long CurlRequest::RetryWaitSeconds(const LinkOutcome& outcome,
                                   const LinkCheckLimits& limits) const {
  if (outcome.status != 429 && outcome.status != 503) return -1;
  curl_header* header = nullptr;
  if (curl_easy_header(easy_.get(), "Retry-After", 0, CURLH_HEADER, -1, &header) != CURLHE_OK)
    return -1;
  curl_off_t seconds = 0;  // a date is turned into seconds from now
  if (curl_easy_getinfo(easy_.get(), CURLINFO_RETRY_AFTER, &seconds) != CURLE_OK) seconds = 0;
  return std::clamp<long>(static_cast<long>(seconds), 0, limits.total_seconds);
}

}  // namespace pelloran
