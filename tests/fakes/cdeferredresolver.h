#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/hostresolver.h"

// Keeps every lookup until the test answers it, as a slow resolver would.
class CDeferredResolver : public HostResolver {
 public:
  void Resolve(const std::string& host, Done done) override { pending.push_back({host, std::move(done)}); }

  // Answers the oldest lookup still waiting.
  void Answer(const std::vector<NetAddress>& addresses) {
    Pending first = std::move(pending.front());
    pending.erase(pending.begin());
    first.done(addresses);
  }

  struct Pending {
    std::string host;
    Done done;
  };
  std::vector<Pending> pending;
};
