#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>

#include "core/netaddress.h"

namespace {

struct TextCase {
  const char* text;
  NetAddress::Family family;
  const char* shown;  // as Text() gives it back; "" for none
  bool loopback;
  bool unspecified;
};

TEST(NetAddressTest, ReadsIPv4AndIPv6TextExactlyAndShowsItInItsShortForm) {
  using F = NetAddress::Family;
  const TextCase cases[] = {
      {"10.0.0.7", F::kIPv4, "10.0.0.7", false, false},
      {"127.1.0.2", F::kIPv4, "127.1.0.2", true, false},
      {"0.0.0.0", F::kIPv4, "0.0.0.0", false, true},
      {"2001:db8::7", F::kIPv6, "2001:db8::7", false, false},
      {"2001:0db8:0000:0000:0000:0000:0000:0007", F::kIPv6, "2001:db8::7", false, false},
      {"::1", F::kIPv6, "::1", true, false},
      {"::", F::kIPv6, "::", false, true},
      {"::ffff:10.0.0.7", F::kIPv6, "::ffff:10.0.0.7", false, false},
      {"010.0.0.7", F::kNone, "", false, false},
      {"10.0.0", F::kNone, "", false, false},
      {"10.0.0.7:4444", F::kNone, "", false, false},
      {"[2001:db8::7]", F::kNone, "", false, false},
      {"fe80::1%eth0", F::kNone, "", false, false},
      {" 10.0.0.7", F::kNone, "", false, false},
      {"", F::kNone, "", false, false},
      {"1:2:3:4:5:6:7:8:9:10:11:12:13:14:15:16:17:18", F::kNone, "", false, false},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.text);
    const NetAddress address = NetAddress::Parse(c.text);
    EXPECT_EQ(address.family(), c.family);
    EXPECT_EQ(address.Text(), c.shown);
    EXPECT_EQ(address.IsLoopback(), c.loopback);
    EXPECT_EQ(address.IsUnspecified(), c.unspecified);
    EXPECT_EQ(address.port(), 0);
  }
  // What a stored text holds after a zero byte is not part of an address.
  EXPECT_TRUE(NetAddress::Parse(std::string_view("2001:db8::7\0junk", 16)).IsNone());
  EXPECT_TRUE(NetAddress::Parse(std::string_view("10.0.0.7\0junk", 13)).IsNone());
}

TEST(NetAddressTest, IPv4KeepsItsNetworkOrderAndPortsSetHostsApart) {
  const uint32_t raw = inet_addr("192.168.1.5");
  const NetAddress a = NetAddress::IPv4(raw, 4444);
  EXPECT_EQ(a.IPv4NetworkOrder(), raw);
  EXPECT_EQ(a, NetAddress::Parse("192.168.1.5").WithPort(4444));
  EXPECT_NE(a, a.WithPort(5000));
  EXPECT_TRUE(a.SameHost(a.WithPort(5000)));
  EXPECT_FALSE(a.SameHost(NetAddress::Parse("192.168.1.6")));
  // An IPv6 address is never the same host as an IPv4 one, mapped or not.
  EXPECT_FALSE(a.SameHost(NetAddress::Parse("::ffff:192.168.1.5")));
  EXPECT_EQ(NetAddress::Parse("2001:db8::7").IPv4NetworkOrder(), 0u);
  EXPECT_TRUE(NetAddress().IsNone());
  EXPECT_EQ(NetAddress().WithPort(4444), NetAddress());
  EXPECT_LT(NetAddress(), a);
}

TEST(NetAddressTest, KnowsWhichAddressesReachBeyondTheLinkAndWritesThePortAsAFriendTypesIt) {
  const struct {
    const char* text;
    bool linkLocal, globalIPv6, mapped;
    const char* onPort5000;
  } cases[] = {
      {"10.0.0.7", false, false, false, "10.0.0.7:5000"},
      {"169.254.3.4", true, false, false, "169.254.3.4:5000"},
      {"2001:db8::7", false, true, false, "[2001:db8::7]:5000"},
      {"3fff::1", false, true, false, "[3fff::1]:5000"},
      {"fe80::1", true, false, false, "[fe80::1]:5000"},
      {"febf::1", true, false, false, "[febf::1]:5000"},
      {"fd00::5", false, false, false, "[fd00::5]:5000"},
      {"::ffff:10.0.0.7", false, false, true, "[::ffff:10.0.0.7]:5000"},
      {"::1", false, false, false, "[::1]:5000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const NetAddress address = NetAddress::Parse(c.text);
    EXPECT_EQ(address.IsLinkLocal(), c.linkLocal);
    EXPECT_EQ(address.IsGlobalIPv6(), c.globalIPv6);
    EXPECT_EQ(address.IsMappedIPv4(), c.mapped);
    EXPECT_EQ(address.TextWithPort(5000, 4444), c.onPort5000);
    EXPECT_EQ(address.TextWithPort(4444, 4444), c.text);
  }
  EXPECT_EQ(NetAddress().TextWithPort(5000, 4444), "");
}

}  // namespace
