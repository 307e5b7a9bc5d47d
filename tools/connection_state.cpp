#include "tools/connection_state.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>

#include <fstream>
#include <sstream>
#include <string>

namespace pelloran {
namespace {

// A name every working resolver answers for, owned by no one service.
constexpr char kProbeHost[] = "a.root-servers.net";
constexpr std::chrono::seconds kProbeTimeout{3};

bool HasRoute() {
  std::ifstream table("/proc/net/route");
  if (table) {
    try {
      if (const auto answer = HasDefaultRoute(table)) return *answer;
    } catch (const std::exception&) {
      // A malformed flags field: the table cannot be trusted, ask the interfaces.
    }
  }
  return HasUpNonLoopbackInterface();
}

}  // namespace

std::optional<bool> HasDefaultRoute(std::istream& route_table) {
  std::string line;
  if (!std::getline(route_table, line) || line.rfind("Iface", 0) != 0) return std::nullopt;
  constexpr unsigned long kRouteUp = 0x1;  // RTF_UP
  while (std::getline(route_table, line)) {
    std::istringstream fields(line);
    std::string iface, destination, gateway, flags, ref_count, use, metric, mask;
    if (!(fields >> iface >> destination >> gateway >> flags >> ref_count >> use >> metric >> mask))
      continue;
    const bool up = (std::stoul(flags, nullptr, 16) & kRouteUp) != 0;
    if (up && destination == "00000000" && mask == "00000000") return true;
  }
  return false;
}

bool HasUpNonLoopbackInterface() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return false;
  bool found = false;
  for (ifaddrs* entry = list; entry != nullptr && !found; entry = entry->ifa_next) {
    const unsigned flags = entry->ifa_flags;
    found = (flags & IFF_UP) && (flags & IFF_RUNNING) && !(flags & IFF_LOOPBACK);
  }
  ::freeifaddrs(list);
  return found;
}

bool HostResolves(const char* host, std::chrono::milliseconds timeout) {
  // Asked asynchronously, so that a resolver that never answers costs the
  // timeout and no more.
  gaicb request{};
  request.ar_name = host;
  gaicb* requests[] = {&request};
  if (::getaddrinfo_a(GAI_NOWAIT, requests, 1, nullptr) != 0) return false;
  const auto whole = std::chrono::duration_cast<std::chrono::seconds>(timeout);
  const timespec wait{static_cast<time_t>(whole.count()),
                      static_cast<long>(std::chrono::nanoseconds(timeout - whole).count())};
  ::gai_suspend(requests, 1, &wait);
  if (::gai_error(&request) == EAI_INPROGRESS && ::gai_cancel(&request) == EAI_NOTCANCELED) {
    // Still running: it must end before `request` goes out of scope.
    while (::gai_error(&request) == EAI_INPROGRESS) ::gai_suspend(requests, 1, nullptr);
  }
  const bool found = ::gai_error(&request) == 0 && request.ar_result != nullptr;
  if (request.ar_result != nullptr) ::freeaddrinfo(request.ar_result);
  return found;
}

bool MachineIsConnected() { return HasRoute() && HostResolves(kProbeHost, kProbeTimeout); }

}  // namespace pelloran
