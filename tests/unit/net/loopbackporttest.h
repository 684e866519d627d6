#pragma once

#include <gtest/gtest.h>

#include "fakes/cloopbackpeer.h"
#include "net/transport.h"

// Reserves a free port (on a loopback address no test uses) and makes it
// the process-wide port before the test's lines read it. Every copy in a
// test listens on that port on its own loopback address, as peers do.
class LoopbackPortTest : public testing::Test {
 protected:
  LoopbackPortTest() { net::SetNetPort(reserved_.Port()); }
  ~LoopbackPortTest() override { net::SetNetPort(net::kDefaultPort); }
  int Port() const { return reserved_.Port(); }

 private:
  CLoopbackPeer reserved_{CLoopbackPeer::Loopback(99)};
};
