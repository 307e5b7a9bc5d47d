#pragma once

#include <chrono>
#include <istream>
#include <optional>

namespace pelloran {

// Whether a routing table in the layout of /proc/net/route holds a default
// route that is up; nullopt when the text is not such a table.
std::optional<bool> HasDefaultRoute(std::istream& route_table);

// Whether some network interface other than loopback is up and running.
bool HasUpNonLoopbackInterface();

// Whether the resolver finds an address for `host` within `timeout`.
bool HostResolves(const char* host, std::chrono::milliseconds timeout);

// The machine's connection state: it has a default route (where the routing
// table cannot be read, an interface that is up and not loopback counts) and
// its resolver finds the address of a root name server. A route alone is no
// connection when no address resolves: every link check would fail.
bool MachineIsConnected();

}  // namespace pelloran
