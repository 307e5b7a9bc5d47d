#pragma once

// How the hosts of one run have fared, so that a host that stalls or asks
// for fewer requests is treated so for the rest of the run.

#include <curl/curl.h>

#include <map>
#include <string>

#include "interfaces/link_check.h"

namespace pelloran {

// The host an address names, in small letters; empty when it names none
// (such a check fails at once anyway).
std::string HostOf(const std::string& url);

// A host that has let this many requests run out of time is given up.
inline constexpr int kTimeoutsToGiveUp = 3;

class HostHealth {
 public:
  explicit HostHealth(int per_host) : per_host_(per_host < 1 ? 1 : per_host) {}

  // Takes note of a transfer to `host` that ended with `result` and, when a
  // response came, `status`: a time-out counts towards giving the host up, a
  // 429 halves the requests it gets at once (down to one).
  void Note(const std::string& host, CURLcode result, long status);
  bool GivenUp(const std::string& host) const;
  // How many requests the host may have in flight at once.
  int Limit(const std::string& host) const;
  // The outcome of an address on a given-up host, which is not asked.
  static LinkOutcome GivenUpOutcome(const std::string& url);
  // Every host as new, for the next run.
  void Clear() { hosts_.clear(); }

 private:
  struct Record {
    int timeouts = 0;
    int limit = 0;
  };
  int per_host_;
  std::map<std::string, Record> hosts_;
};

}  // namespace pelloran
