#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// This computer's own IPv4 addresses, as a friend would have to call them
// and as a call names this side when the user has no handle: the address
// bound with --bind; otherwise the addresses of the network interfaces, and
// toward one peer the address the system sends from to reach it. A loopback
// address is never one of them unless it was bound (the host name's own
// address, 127.0.1.1 on many systems, reaches nobody else).
//
// Addresses are in network order. The interfaces are asked afresh each
// time, since a laptop may join a network after the start; main thread.
class CLocalAddresses {
 public:
  // Every IPv4 address of the interfaces that are up, loopback included.
  using Interfaces = std::function<std::vector<uint32_t>()>;
  // The address the system would send from to reach peer at port; 0 when
  // there is no route.
  using Route = std::function<uint32_t(uint32_t peer, int port)>;

  static std::vector<uint32_t> SystemInterfaces();
  static uint32_t SystemRoute(uint32_t peer, int port);
  static bool IsLoopback(uint32_t address);

  // bound: the --bind address, or 0.
  CLocalAddresses(uint32_t bound, int port, Interfaces interfaces = SystemInterfaces,
                  Route route = SystemRoute);

  // The bound address alone, or every interface address but loopback ones,
  // in the system's order without repeats.
  std::vector<uint32_t> All() const;
  // The one to name toward peer: the bound one; else the route's unless it
  // is a loopback address; else the first of All; 0 when there is none.
  uint32_t Toward(uint32_t peer) const;
  bool IsOwn(uint32_t address) const;
  // All, as a friend types them: "192.168.1.5", or "192.168.1.5:5000"
  // where the port is not the usual one.
  std::vector<std::string> ForAFriend() const;

 private:
  uint32_t bound_;
  int port_;
  Interfaces interfaces_;
  Route route_;
};
