#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/clocaladdresses.h"
#include "net/transport.h"

namespace {

using Texts = std::vector<std::string>;

std::vector<NetAddress> Addresses(const Texts& texts) {
  std::vector<NetAddress> addresses;
  for (const std::string& text : texts) addresses.push_back(NetAddress::Parse(text));
  return addresses;
}

Texts TextsOf(const std::vector<NetAddress>& addresses) {
  Texts texts;
  for (const NetAddress& address : addresses) texts.push_back(address.Text());
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
      c.bound.empty() ? NetAddress() : NetAddress::Parse(c.bound), 4445,
      [&] { return Addresses(c.interfaces); },
      [&](const NetAddress&, int port) {
        askedPort = port;
        return c.route.empty() ? NetAddress() : NetAddress::Parse(c.route);
      });
  EXPECT_EQ(TextsOf(own.All()), c.all);
  EXPECT_EQ(own.Toward(NetAddress::Parse("198.18.0.9")).Text(), c.toward);
  if (c.bound.empty()) {
    EXPECT_EQ(askedPort, 4445);
  }
  for (const std::string& address : c.all) EXPECT_TRUE(own.IsOwn(NetAddress::Parse(address))) << address;
  for (const char* loopback : {"127.0.0.1", "127.0.1.1"}) {
    if (c.bound != loopback) {
      EXPECT_FALSE(own.IsOwn(NetAddress::Parse(loopback))) << loopback;
    }
  }
  EXPECT_FALSE(own.IsOwn(NetAddress()));
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
        OwnCase{"OnlyLoopback", "", {"127.0.0.1", "127.0.1.1"}, "127.0.0.1", {}, ""},
        OwnCase{"IPv6BesideIPv4ButNoLinkLocalOne",
                "",
                {"::1", "fe80::1", "192.168.1.5", "2001:db8::5", "fd00::5"},
                "192.168.1.5",
                {"192.168.1.5", "2001:db8::5", "fd00::5"},
                "192.168.1.5"},
        OwnCase{"BoundToIPv6", "2001:db8::5", {"192.168.1.5"}, "", {"2001:db8::5"}, "2001:db8::5"}),
    [](const testing::TestParamInfo<OwnCase>& info) { return std::string(info.param.name); });

TEST(LocalAddressesForAFriend, CarryThePortOnlyWhereItIsNotTheUsualOne) {
  const auto interfaces = [] { return Addresses({"127.0.0.1", "192.168.1.5", "10.0.0.2"}); };
  EXPECT_EQ(CLocalAddresses({}, 4444, interfaces, {}).ForAFriend(), (Texts{"192.168.1.5", "10.0.0.2"}));
  EXPECT_EQ(CLocalAddresses({}, 5000, interfaces, {}).ForAFriend(),
            (Texts{"192.168.1.5:5000", "10.0.0.2:5000"}));
  EXPECT_EQ(CLocalAddresses({}, 5000, [] { return Addresses({"127.0.0.1"}); }, {}).ForAFriend(), Texts{});
  // Of IPv6, only what the internet reaches, in brackets before a port.
  const auto dual = [] { return Addresses({"fe80::1", "192.168.1.5", "fd00::5", "2001:db8::5"}); };
  EXPECT_EQ(CLocalAddresses({}, 4444, dual, {}).ForAFriend(), (Texts{"192.168.1.5", "2001:db8::5"}));
  EXPECT_EQ(CLocalAddresses({}, 5000, dual, {}).ForAFriend(),
            (Texts{"192.168.1.5:5000", "[2001:db8::5]:5000"}));
}

TEST(LocalAddressesOfThisMachine, NeverIncludeALoopbackAddress) {
  // The interfaces include the loopback one; what is offered as this
  // computer's never does, not even toward a loopback peer.
  bool loopbackSeen = false;
  for (const NetAddress& address : CLocalAddresses::SystemInterfaces()) loopbackSeen |= address.IsLoopback();
  EXPECT_TRUE(loopbackSeen);
  const CLocalAddresses own({}, 4444);
  for (const NetAddress& address : own.All()) EXPECT_FALSE(address.IsLoopback()) << address.Text();
  EXPECT_FALSE(own.Toward(NetAddress::Parse("127.1.0.2")).IsLoopback());
  EXPECT_EQ(CLocalAddresses::SystemRoute(NetAddress::Parse("127.1.0.2"), 4444).Text(), "127.0.0.1");
}

}  // namespace
