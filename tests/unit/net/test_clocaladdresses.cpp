#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/clocaladdresses.h"
#include "net/transport.h"

namespace {

using Texts = std::vector<std::string>;

std::vector<uint32_t> Addresses(const Texts& texts) {
  std::vector<uint32_t> addresses;
  for (const std::string& text : texts) addresses.push_back(net::ParseAddress(text));
  return addresses;
}

Texts TextsOf(const std::vector<uint32_t>& addresses) {
  Texts texts;
  for (const uint32_t address : addresses) texts.push_back(net::AddressText(address));
  return texts;
}

struct OwnCase {
  const char* name;
  std::string bound;  // empty: not bound
  Texts interfaces;
  std::string route;  // what the system would send from; empty: no route
  Texts all;
  std::string toward;  // empty: none
};

class LocalAddresses : public testing::TestWithParam<OwnCase> {};

TEST_P(LocalAddresses, AreTheBoundOneOrTheInterfacesButNeverALoopbackOne) {
  const OwnCase& c = GetParam();
  int askedPort = 0;
  const CLocalAddresses own(
      c.bound.empty() ? 0 : net::ParseAddress(c.bound), 4445, [&] { return Addresses(c.interfaces); },
      [&](uint32_t, int port) {
        askedPort = port;
        return c.route.empty() ? 0 : net::ParseAddress(c.route);
      });
  EXPECT_EQ(TextsOf(own.All()), c.all);
  const uint32_t toward = own.Toward(net::ParseAddress("198.18.0.9"));
  EXPECT_EQ(toward == 0 ? "" : net::AddressText(toward), c.toward);
  if (c.bound.empty()) {
    EXPECT_EQ(askedPort, 4445);
  }
  for (const std::string& address : c.all) EXPECT_TRUE(own.IsOwn(net::ParseAddress(address))) << address;
  for (const char* loopback : {"127.0.0.1", "127.0.1.1"}) {
    if (c.bound != loopback) {
      EXPECT_FALSE(own.IsOwn(net::ParseAddress(loopback))) << loopback;
    }
  }
  EXPECT_FALSE(own.IsOwn(0));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocalAddresses,
    testing::Values(
        OwnCase{
            "Bound", "192.168.1.5", {"127.0.0.1", "10.0.0.2"}, "10.0.0.2", {"192.168.1.5"}, "192.168.1.5"},
        OwnCase{"BoundToALoopbackAddress", "127.1.0.1", {"127.0.0.1"}, "", {"127.1.0.1"}, "127.1.0.1"},
        OwnCase{"TheRoutesAddressTowardThePeer",
                "",
                {"127.0.0.1", "192.168.1.5", "10.0.0.2", "192.168.1.5", "127.0.1.1"},
                "10.0.0.2",
                {"192.168.1.5", "10.0.0.2"},
                "10.0.0.2"},
        OwnCase{"ALoopbackRouteGivesTheFirstInterface",
                "",
                {"127.0.0.1", "192.168.1.5", "10.0.0.2"},
                "127.0.0.1",
                {"192.168.1.5", "10.0.0.2"},
                "192.168.1.5"},
        OwnCase{"NoRouteGivesTheFirstInterface", "", {"192.168.1.5"}, "", {"192.168.1.5"}, "192.168.1.5"},
        OwnCase{"OnlyLoopback", "", {"127.0.0.1", "127.0.1.1"}, "127.0.0.1", {}, ""}),
    [](const testing::TestParamInfo<OwnCase>& info) { return std::string(info.param.name); });

TEST(LocalAddressesForAFriend, CarryThePortOnlyWhereItIsNotTheUsualOne) {
  const auto interfaces = [] { return Addresses({"127.0.0.1", "192.168.1.5", "10.0.0.2"}); };
  EXPECT_EQ(CLocalAddresses(0, 4444, interfaces, {}).ForAFriend(), (Texts{"192.168.1.5", "10.0.0.2"}));
  EXPECT_EQ(CLocalAddresses(0, 5000, interfaces, {}).ForAFriend(),
            (Texts{"192.168.1.5:5000", "10.0.0.2:5000"}));
  EXPECT_EQ(CLocalAddresses(0, 5000, [] { return Addresses({"127.0.0.1"}); }, {}).ForAFriend(), Texts{});
}

TEST(LocalAddressesOfThisMachine, NeverIncludeALoopbackAddress) {
  // The interfaces include the loopback one; what is offered as this
  // computer's never does, not even toward a loopback peer.
  bool loopbackSeen = false;
  for (const uint32_t address : CLocalAddresses::SystemInterfaces())
    loopbackSeen |= CLocalAddresses::IsLoopback(address);
  EXPECT_TRUE(loopbackSeen);
  const CLocalAddresses own(0, 4444);
  for (const uint32_t address : own.All())
    EXPECT_FALSE(CLocalAddresses::IsLoopback(address)) << net::AddressText(address);
  EXPECT_FALSE(CLocalAddresses::IsLoopback(own.Toward(net::ParseAddress("127.1.0.2"))));
  EXPECT_EQ(net::AddressText(CLocalAddresses::SystemRoute(net::ParseAddress("127.1.0.2"), 4444)),
            "127.0.0.1");
}

}  // namespace
