#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/hostresolver.h"

// Looks names up on a thread of their own and hands the answer back to the
// main thread's event loop, so a slow or dead resolver holds up nothing.
// Answers that come after the resolver is gone (the program quitting) are
// dropped; a lookup still waiting then does not hold up the quit either.
class CHostResolver : public HostResolver {
 public:
  using Lookup = std::function<std::vector<NetAddress>(const std::string& host)>;

  // lookup runs on the worker thread; by default the system's resolver.
  explicit CHostResolver(Lookup lookup = {});
  ~CHostResolver() override;
  CHostResolver(const CHostResolver&) = delete;
  CHostResolver& operator=(const CHostResolver&) = delete;

  void Resolve(const std::string& host, Done done) override;

 private:
  // What the workers share with the main thread: whether anyone still
  // listens. The hand-over of an answer happens under its lock.
  struct Listener {
    std::mutex mutex;
    bool alive = true;
  };

  Lookup lookup_;
  std::shared_ptr<Listener> listener_;
};
