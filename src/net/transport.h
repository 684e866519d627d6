#pragma once

#include <cstdint>
#include <string>
#include <vector>

class MessageBoxPort;

// Address helpers of the IPv4 network the program talks on (the socket is
// net/cudpsocket.h). Addresses are IPv4 in network byte order.
namespace net {

inline constexpr int kDefaultPort = 4444;

// Seeds the pseudo-random generator with the current time.
void StartNetwork();
void StopNetwork();

// The first IPv4 address of the local host name, or 0.
uint32_t LocalAddress();

std::string AddressText(uint32_t address);
// 0 when the text is not a dotted IPv4 address.
uint32_t ParseAddress(const std::string& text);

// Name resolution; on failure the error box "DNS query failed. Host name not
// found" is shown and the result is false.
bool ResolveFirst(const std::string& host, std::string& dotted, MessageBoxPort& boxes);
bool ResolveAll(const std::string& host, std::vector<std::string>& dotted, MessageBoxPort& boxes);

}  // namespace net
