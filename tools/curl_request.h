#pragma once

// One link check's transfer over libcurl, set up the same way whether it runs
// alone or among many: the agent "InetURL:/1.0", no-cache headers, a fresh
// connection never kept for reuse, redirections followed over http and https
// only, the time limits, proxies from the environment (http_proxy, ...), and
// no body read: the transfer stops at the first body byte.

#include <curl/curl.h>

#include <memory>
#include <string>

#include "tools/curl_link_check.h"

namespace pelloran {

void InitialiseCurlOnce();

class CurlRequest {
 public:
  // `url` as AddressToFetch gives it; `ca_file`, when not empty, replaces the
  // system's certificate authorities. The request stays where it is made
  // (libcurl keeps pointers into it): it cannot be copied or moved.
  CurlRequest(const std::string& url, const LinkCheckLimits& limits, const std::string& ca_file);
  CurlRequest(const CurlRequest&) = delete;
  CurlRequest& operator=(const CurlRequest&) = delete;

  // False when libcurl could not make the handle; the check then answers false.
  bool ready() const { return easy_ != nullptr; }
  CURL* easy() const { return easy_.get(); }

  // What the transfer found once it has ended with `result`: available when
  // it ended at a server that answered 200 or 302, broken with the status
  // otherwise; a transfer that failed on the way (a dead redirection target,
  // too many redirections, a refused scheme, a time-out) is broken with
  // libcurl's word for the failure. A final 429 is not checked: the server
  // would not say.
  LinkOutcome Outcome(CURLcode result) const;
  // How long to wait before asking once more: a 429 or a 503 with a
  // Retry-After header, for its seconds but at most limits.total_seconds.
  // Negative when the answer stands.
  long RetryWaitSeconds(const LinkOutcome& outcome, const LinkCheckLimits& limits) const;

 private:
  struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
  };
  struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
  };

  std::unique_ptr<curl_slist, ListDeleter> headers_;
  std::unique_ptr<CURL, EasyDeleter> easy_;
  bool body_started_ = false;
  std::string url_;
};

}  // namespace pelloran
