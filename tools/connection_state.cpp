#include "tools/connection_state.h"

#include <ifaddrs.h>
#include <net/if.h>

#include <fstream>
#include <sstream>
#include <string>

namespace pelloran {

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

bool MachineIsConnected() {
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

}  // namespace pelloran
