#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/catomicaddress.h"

namespace {

// A reader on another thread sees only whole addresses: never the bytes of
// one with the family or port of another.
TEST(CAtomicAddressTest, AReaderSeesOnlyWholeAddresses) {
  const std::vector<NetAddress> addresses = {
      NetAddress(),
      NetAddress::Parse("10.0.0.7").WithPort(4444),
      NetAddress::Parse("2001:db8::1:2:3:4").WithPort(5000),
      NetAddress::Parse("ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff").WithPort(65535),
  };
  CAtomicAddress shared;
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::thread reader([&] {
    while (!stop.load()) {
      const NetAddress seen = shared.Load();
      bool known = false;
      for (const NetAddress& a : addresses) known |= seen == a;
      if (!known) torn.fetch_add(1);
    }
  });
  for (int i = 0; i < 200000; ++i) shared.Store(addresses[static_cast<std::size_t>(i) % addresses.size()]);
  stop = true;
  reader.join();
  EXPECT_EQ(torn.load(), 0);
  shared.Store(addresses[2]);
  EXPECT_EQ(shared.Load(), addresses[2]);
}

}  // namespace
