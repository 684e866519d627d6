#pragma once

#include <gtest/gtest.h>

#include "fakes/cloopbackpeer.h"

// Reserves a free port (on a loopback address no test uses) for the test.
// Every copy in a test listens on that port on its own loopback address, as
// peers do, so each socket's own port is where its datagrams go.
class LoopbackPortTest : public testing::Test {
 protected:
  int Port() const { return reserved_.Port(); }

 private:
  CLoopbackPeer reserved_{CLoopbackPeer::Loopback(99)};
};
