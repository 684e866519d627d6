#pragma once

#include "core/hostresolver.h"

// Resolves at once, on the caller's thread: for tools and tests, where
// nothing else waits meanwhile.
class CBlockingResolver : public HostResolver {
 public:
  void Resolve(const std::string& host, Done done) override;
};
