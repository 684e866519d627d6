#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/netaddress.h"

// Name resolution that never holds up its caller: a slow or dead resolver
// must not freeze the window or the heartbeat. done runs later on the
// caller's (main) thread with every address of the host, in the
// resolver's order; empty when the name is not found.
class HostResolver {
 public:
  using Done = std::function<void(const std::vector<NetAddress>& addresses)>;
  static constexpr const char* kNotFound = "DNS query failed. Host name not found";

  virtual ~HostResolver() = default;
  virtual void Resolve(const std::string& host, Done done) = 0;
};
