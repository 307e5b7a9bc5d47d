#include "tools/curl_request.h"

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
                         const std::string& ca_file) {
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
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, limits.max_redirections);
  curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT, limits.connect_seconds);
  curl_easy_setopt(e, CURLOPT_TIMEOUT, limits.total_seconds);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, StopAtFirstBodyByte);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &body_started_);
  if (!ca_file.empty()) curl_easy_setopt(e, CURLOPT_CAINFO, ca_file.c_str());
}

bool CurlRequest::Answer(CURLcode result) const {
  const bool reached_server = result == CURLE_OK || (result == CURLE_WRITE_ERROR && body_started_);
  if (!reached_server) return false;
  long status = 0;
  if (curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &status) != CURLE_OK) return false;
  return status == 200 || status == 302;
}

}  // namespace pelloran
