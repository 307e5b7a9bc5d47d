#pragma once

// Many link checks at once over libcurl's multi interface, on the calling
// thread: no thread of our own.

#include <span>
#include <string>
#include <unordered_map>

#include "interfaces/link_check.h"
#include "tools/curl_link_check.h"
#include "tools/host_health.h"

namespace pelloran {

// Checks each of `urls` (distinct addresses to fetch) with the request every
// check makes, at most limits.per_host at once to one host (fewer once it
// answered 429, as `hosts` keeps) and limits.in_all at once altogether, and
// answers each by its url. A redirection is followed by a request of its own
// that counts against the host it goes to, at most limits.max_redirections
// times and within the check's time limit. A 429 or 503 with Retry-After is
// asked once more after the wait, without holding up the others. A host given up in `hosts`
// (too many time-outs, then or before) has its addresses answered at once,
// without a request, and its transfers still in flight are stopped.
// An address whose request libcurl could not make is broken, as a check alone
// would be; when libcurl fails as a whole (its multi interface errs or
// refuses a request), the addresses not yet answered are left out.
// `progress`, when given, hears how many are done at every wake-up (at least
// every kProgressIntervalMs), so a window can repaint while it waits, and
// done == total last; when its StopChecking answers yes, the transfers in
// flight are dropped there and then (their connections closed) and the
// addresses not yet answered are left out.
std::unordered_map<std::string, LinkOutcome> CheckConcurrently(std::span<const std::string> urls,
                                                               const LinkCheckLimits& limits,
                                                               const std::string& ca_file,
                                                               HostHealth& hosts,
                                                               LinkCheckProgress* progress);

inline constexpr int kProgressIntervalMs = 100;

}  // namespace pelloran
