#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Address helpers of the IPv4 network the program talks on (the socket is
// net/cudpsocket.h). Addresses are IPv4 in network byte order.
namespace net {

inline constexpr int kDefaultPort = 4444;

// Seeds the pseudo-random generator with the current time.
void StartNetwork();
void StopNetwork();

std::string AddressText(uint32_t address);
// 0 when the text is not a dotted IPv4 address.
uint32_t ParseAddress(const std::string& text);

// Every IPv4 address of a name, in the resolver's order; empty when it is
// not found. It waits for the resolver: the program asks through a
// HostResolver (core/hostresolver.h), which does this away from the window.
std::vector<uint32_t> LookUpHost(const std::string& host);

}  // namespace net
