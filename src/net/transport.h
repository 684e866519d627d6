#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class MessageBoxPort;

// The one IPv4 UDP socket everything travels on, and the address helpers.
// Every peer listens on the same port number as this program, so the
// process-wide port is the destination of every datagram. Addresses are
// IPv4 in network byte order; -1 stands for no socket.
namespace net {

inline constexpr int kNoSocket = -1;
inline constexpr int kDefaultPort = 4444;

void SetNetPort(int port);
int GetNetPort();

// Seeds the pseudo-random generator with the current time.
void StartNetwork();
void StopNetwork();

// A UDP socket bound to the port on bindAddress (0: all
// local addresses). kNoSocket when it cannot be made or bound; error then
// says why, in the system's words.
int OpenSocket(int port, uint32_t bindAddress = 0, std::string* error = nullptr);

// Closes a held socket and marks it as none. Wakes a thread blocked in a
// receive on it first, since closing alone does not on Linux.
void CloseSocket(int& socket);
void WakeReceivers(int socket);

// The first IPv4 address of the local host name, or 0.
uint32_t LocalAddress();

std::string AddressText(uint32_t address);
// 0 when the text is not a dotted IPv4 address.
uint32_t ParseAddress(const std::string& text);

// Sends without blocking: a full send queue drops the datagram, as a lost
// datagram would be, instead of stalling an audio callback.
void SendDatagram(int socket, uint32_t peer, int port, const uint8_t* bytes, std::size_t length);
void SendToPeer(int socket, const uint8_t* bytes, std::size_t length, uint32_t peer);
void SendToPeer(int socket, const uint8_t* bytes, std::size_t length, const std::string& peer);

// Name resolution; on failure the error box "DNS query failed. Host name not
// found" is shown and the result is false.
bool ResolveFirst(const std::string& host, std::string& dotted, MessageBoxPort& boxes);
bool ResolveAll(const std::string& host, std::vector<std::string>& dotted, MessageBoxPort& boxes);

}  // namespace net
