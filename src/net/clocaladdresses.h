#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/netaddress.h"

// This computer's own addresses, as a friend would have to call them and as
// a call names this side when the user has no handle: the address bound
// with --bind; otherwise the IPv4 and IPv6 addresses of the network
// interfaces (link-local ones excepted), and
// toward one peer the address the system sends from to reach it. A
// loopback address is never one of them unless it was bound (the host
// name's own address, 127.0.1.1 on many systems, reaches nobody else).
//
// The interfaces are asked afresh each time, since a laptop may join a
// network after the start; main thread.
class CLocalAddresses {
 public:
  // Every address of the interfaces that are up, loopback included.
  using Interfaces = std::function<std::vector<NetAddress>()>;
  // The address the system would send from to reach peer at port; none
  // when there is no route.
  using Route = std::function<NetAddress(const NetAddress& peer, int port)>;

  static std::vector<NetAddress> SystemInterfaces();
  static NetAddress SystemRoute(const NetAddress& peer, int port);

  // bound: the --bind address, or none.
  CLocalAddresses(const NetAddress& bound, int port, Interfaces interfaces = SystemInterfaces,
                  Route route = SystemRoute);

  // The bound address alone, or every interface address but loopback ones,
  // in the system's order without repeats.
  std::vector<NetAddress> All() const;
  // The one to name toward peer: the bound one; else the route's unless it
  // is a loopback address; else the first of All; none when there is none.
  NetAddress Toward(const NetAddress& peer) const;
  bool IsOwn(const NetAddress& address) const;
  // Those of All that a friend can reach: the IPv4 ones, the LAN's
  // included, and the internet's IPv6 ones.
  std::vector<NetAddress> Reachable() const;
  // Reachable, as a friend types them: "192.168.1.5", or "192.168.1.5:5000"
  // and "[2001:db8::5]:5000" where the port is not the usual one.
  std::vector<std::string> ForAFriend() const;

 private:
  NetAddress bound_;
  int port_;
  Interfaces interfaces_;
  Route route_;
};
