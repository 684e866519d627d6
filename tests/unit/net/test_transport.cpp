#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/messageboxport.h"
#include "net/cudpsocket.h"
#include "net/transport.h"

namespace {

class RecordingBoxes : public MessageBoxPort {
 public:
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowInfo(const std::string&) override {}
  void ShowTitledInfo(const std::string&, const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::vector<std::string> errors;
};

TEST(UdpSocketTest, APortInUseGivesNoSocketAndTheReason) {
  const NetAddress loopback = NetAddress::Parse("127.0.0.1");
  net::CUdpSocket first(0, loopback);
  ASSERT_TRUE(first.IsOpen());
  EXPECT_GT(first.Port(), 0) << "port 0 takes a free one and reports it";
  net::CUdpSocket second(first.Port(), loopback);
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(second.Error(), "Address already in use");
  first.Close();
  EXPECT_FALSE(first.IsOpen());
  first.Close();  // closing twice is harmless
}

// Peers listen on the sender's own port, each on its own address.
TEST(UdpSocketTest, ASendGoesToTheSocketsOwnPortUnlessTheAddressHasOneAndNowhereAfterClose) {
  net::CUdpSocket receiver(0, NetAddress::Parse("127.0.0.2"));
  ASSERT_TRUE(receiver.IsOpen());
  net::CUdpSocket other(0, NetAddress::Parse("127.0.0.3"));
  net::CUdpSocket sender(receiver.Port(), NetAddress::Parse("127.0.0.1"));
  ASSERT_TRUE(sender.IsOpen());
  const uint8_t bytes[] = {1, 2, 3, 4, 5};
  sender.Send(NetAddress::Parse("127.0.0.2"), bytes);
  sender.Send(NetAddress(), std::span(bytes, 2));                      // sends nothing
  sender.Send(NetAddress::Parse("2001:db8::1"), std::span(bytes, 2));  // not a family it speaks
  sender.Send(NetAddress::Parse("127.0.0.3").WithPort(static_cast<uint16_t>(other.Port())),
              std::span(bytes, 3));
  uint8_t buffer[16] = {};
  NetAddress from;
  ASSERT_EQ(receiver.Receive(buffer, from), 5);
  EXPECT_EQ(buffer[4], 5);
  EXPECT_EQ(from, NetAddress::Parse("127.0.0.1").WithPort(static_cast<uint16_t>(sender.Port())));
  ASSERT_EQ(other.Receive(buffer, from), 3);
  sender.Close();
  sender.Send(NetAddress::Parse("127.0.0.2"), bytes);
  EXPECT_EQ(::recv(receiver.Descriptor(), buffer, sizeof buffer, MSG_DONTWAIT), -1);
}

// Unbound, one socket takes both families: an IPv4 peer is seen as IPv4,
// never as a mapped address, and answered as it is seen.
TEST(UdpSocketTest, AnUnboundSocketSpeaksIPv4AndIPv6) {
  net::CUdpSocket dual(0);
  ASSERT_TRUE(dual.IsOpen());
  const auto port = static_cast<uint16_t>(dual.Port());
  net::CUdpSocket v4(0, NetAddress::Parse("127.0.0.1"));
  net::CUdpSocket v6(0, NetAddress::Parse("::1"));
  ASSERT_TRUE(v4.IsOpen() && v6.IsOpen()) << v6.Error();
  const uint8_t bytes[] = {7, 8, 9};
  uint8_t buffer[16] = {};
  NetAddress from;
  const struct {
    net::CUdpSocket& peer;
    NetAddress to;
  } peers[] = {{v4, NetAddress::Parse("127.0.0.1").WithPort(port)},
               {v6, NetAddress::Parse("::1").WithPort(port)}};
  for (const auto& p : peers) {
    SCOPED_TRACE(p.to.Text());
    p.peer.Send(p.to, bytes);
    ASSERT_EQ(dual.Receive(buffer, from), 3);
    EXPECT_EQ(from, p.to.WithPort(static_cast<uint16_t>(p.peer.Port())));
    dual.Send(from, std::span(bytes, 2));
    NetAddress back;
    ASSERT_EQ(p.peer.Receive(buffer, back), 2);
    EXPECT_EQ(back, p.to);
  }
  // An IPv6 address on an IPv4 socket goes nowhere, and says nothing.
  v4.Send(NetAddress::Parse("::1").WithPort(port), bytes);
  EXPECT_EQ(::recv(dual.Descriptor(), buffer, sizeof buffer, MSG_DONTWAIT), -1);
}

TEST(TransportTest, LookUpHostGivesEveryAddressOrNone) {
  EXPECT_TRUE(net::LookUpHost("no-such-host.invalid").empty());
  EXPECT_TRUE(net::LookUpHost("").empty());
  EXPECT_EQ(net::LookUpHost("127.0.0.1"), std::vector<NetAddress>{NetAddress::Parse("127.0.0.1")});
  EXPECT_EQ(net::LookUpHost("2001:db8::7"), std::vector<NetAddress>{NetAddress::Parse("2001:db8::7")});
  // A name with both kinds of address gives the IPv4 one first.
  const auto local = net::LookUpHost("localhost");
  ASSERT_FALSE(local.empty());
  EXPECT_EQ(local.front().Text(), "127.0.0.1");
}

}  // namespace
