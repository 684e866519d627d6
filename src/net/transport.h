#pragma once

#include <string>
#include <vector>

#include "core/netaddress.h"

// What the program needs of the network besides its socket
// (net/cudpsocket.h).
namespace net {

inline constexpr int kDefaultPort = 4444;

// Seeds the pseudo-random generator with the current time.
void StartNetwork();
void StopNetwork();

// Every address of a name, the IPv4 ones first, each in the resolver's
// order; empty when it is not found. It waits for the resolver: the program asks through a
// HostResolver (core/hostresolver.h), which does this away from the window.
std::vector<NetAddress> LookUpHost(const std::string& host);

}  // namespace net
