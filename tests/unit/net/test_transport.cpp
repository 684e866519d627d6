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

TEST(TransportTest, AddressTextAndParseAreInverse) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"127.0.0.1", htonl(0x7F000001)}, {"10.0.0.7", htonl(0x0A000007)}, {"255.255.255.255", 0xFFFFFFFF}};
  for (const auto& [text, address] : cases) {
    EXPECT_EQ(net::ParseAddress(text), address) << text;
    EXPECT_EQ(net::AddressText(address), text);
  }
  for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "300.1.1.1", "host", "1.2.3.4 "}) {
    EXPECT_EQ(net::ParseAddress(bad), 0u) << bad;
  }
}

TEST(UdpSocketTest, APortInUseGivesNoSocketAndTheReason) {
  const uint32_t loopback = net::ParseAddress("127.0.0.1");
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
TEST(UdpSocketTest, SendToPeerReachesThePeerOnTheSocketsPortAndNothingAfterClose) {
  net::CUdpSocket receiver(0, net::ParseAddress("127.0.0.2"));
  ASSERT_TRUE(receiver.IsOpen());
  net::CUdpSocket sender(receiver.Port(), net::ParseAddress("127.0.0.1"));
  ASSERT_TRUE(sender.IsOpen());
  const uint8_t bytes[] = {1, 2, 3, 4, 5};
  sender.SendToPeer(std::string("127.0.0.2"), bytes);
  sender.SendToPeer(std::string("not an address"), std::span(bytes, 2));  // sends nothing
  uint8_t buffer[16] = {};
  const ssize_t n = ::recv(receiver.Descriptor(), buffer, sizeof buffer, 0);
  ASSERT_EQ(n, 5);
  EXPECT_EQ(buffer[4], 5);
  sender.Close();
  sender.SendToPeer(net::ParseAddress("127.0.0.2"), bytes);
  EXPECT_EQ(::recv(receiver.Descriptor(), buffer, sizeof buffer, MSG_DONTWAIT), -1);
}

TEST(TransportTest, LookUpHostGivesEveryAddressOrNone) {
  EXPECT_TRUE(net::LookUpHost("no-such-host.invalid").empty());
  EXPECT_TRUE(net::LookUpHost("").empty());
  EXPECT_EQ(net::LookUpHost("127.0.0.1"), std::vector<uint32_t>{net::ParseAddress("127.0.0.1")});
  const auto local = net::LookUpHost("localhost");
  ASSERT_FALSE(local.empty());
  EXPECT_EQ(net::AddressText(local.front()), "127.0.0.1");
}

}  // namespace
