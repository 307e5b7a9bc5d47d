#pragma once

// One step of a link check over libcurl, set up the same way whether it runs
// alone or among many: the agent "InetURL:/1.0", no-cache headers, a fresh
// connection never kept for reuse, http and https only, the time limits,
// proxies from the environment (http_proxy, ...), and no body read: the
// transfer stops at the first body byte. A redirection is not followed here:
// the check follows it with a request of its own, counted against the host it
// goes to, so that no host gets more requests at once than its limit.

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "tools/curl_link_check.h"

namespace pelloran {

void InitialiseCurlOnce();

class CurlRequest {
 public:
  // `url` as AddressToFetch gives it, or a redirection's target; `ca_file`,
  // when not empty, replaces the system's certificate authorities; the
  // transfer may take `time_left` at most (the check's time limit less what
  // its earlier steps took). The request stays where it is made (libcurl
  // keeps pointers into it): it cannot be copied or moved.
  CurlRequest(const std::string& url, const LinkCheckLimits& limits, const std::string& ca_file,
              std::chrono::milliseconds time_left);
  CurlRequest(const CurlRequest&) = delete;
  CurlRequest& operator=(const CurlRequest&) = delete;

  // False when libcurl could not make the handle; the check then answers false.
  bool ready() const { return easy_ != nullptr; }
  CURL* easy() const { return easy_.get(); }

  // What the transfer found once it has ended with `result`: available when
  // the server answered 200, 204 or 302, broken with the status otherwise;
  // a transfer that failed on the way (a refused scheme, a time-out) is
  // broken with libcurl's word for the failure. A final 429 is not checked:
  // the server would not say.
  LinkOutcome Outcome(CURLcode result) const;
  // Where the server sent the check on (a 3xx with a Location, resolved
  // against the address asked); nullopt when its answer is final. Read from
  // the header, since the transfer stops at the redirection's first body byte.
  std::optional<std::string> RedirectTarget(CURLcode result) const;
  // How long the transfer took, connecting included.
  std::chrono::milliseconds TimeTaken() const;
  // How long to wait before asking once more: a 429 or a 503 with a
  // Retry-After header, for its seconds but at most limits.total_seconds.
  // Negative when the answer stands.
  long RetryWaitSeconds(const LinkOutcome& outcome, const LinkCheckLimits& limits) const;

 private:
  bool ReachedServer(CURLcode result) const;

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
