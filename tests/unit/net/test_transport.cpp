#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include "net/transport.h"
#include "core/messageboxport.h"

namespace {

class RecordingBoxes : public MessageBoxPort {
 public:
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void ShowInfo(const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  std::vector<std::string> errors;
};

int BoundPort(int socket) {
  sockaddr_in a{};
  socklen_t length = sizeof a;
  ::getsockname(socket, reinterpret_cast<sockaddr*>(&a), &length);
  return ntohs(a.sin_port);
}

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

TEST(TransportTest, APortInUseGivesNoSocketAndTheReason) {
  const uint32_t loopback = net::ParseAddress("127.0.0.1");
  int first = net::OpenSocket(0, loopback);
  ASSERT_GE(first, 0);
  std::string error;
  int second = net::OpenSocket(BoundPort(first), loopback, &error);
  EXPECT_EQ(second, net::kNoSocket);
  EXPECT_EQ(error, "Address already in use");
  net::CloseSocket(first);
  EXPECT_EQ(first, net::kNoSocket);
  net::CloseSocket(first);  // closing twice is harmless
}

TEST(TransportTest, SendToPeerReachesThePeerAtTheProcessPort) {
  const uint32_t loopback = net::ParseAddress("127.0.0.1");
  int receiver = net::OpenSocket(0, loopback);
  int sender = net::OpenSocket(0, loopback);
  ASSERT_GE(receiver, 0);
  ASSERT_GE(sender, 0);
  const int saved = net::GetNetPort();
  net::SetNetPort(BoundPort(receiver));
  const uint8_t bytes[] = {1, 2, 3, 4, 5};
  net::SendToPeer(sender, bytes, sizeof bytes, std::string("127.0.0.1"));
  net::SendToPeer(sender, bytes, 2, std::string("not an address"));  // sends nothing
  net::SetNetPort(saved);
  uint8_t buffer[16] = {};
  const ssize_t n = ::recv(receiver, buffer, sizeof buffer, 0);
  ASSERT_EQ(n, 5);
  EXPECT_EQ(buffer[4], 5);
  EXPECT_EQ(::recv(receiver, buffer, sizeof buffer, MSG_DONTWAIT), -1);
  net::CloseSocket(receiver);
  net::CloseSocket(sender);
}

TEST(TransportTest, ResolveFailureShowsTheDnsBox) {
  RecordingBoxes boxes;
  std::string first;
  EXPECT_FALSE(net::ResolveFirst("no-such-host.invalid", first, boxes));
  std::vector<std::string> all;
  EXPECT_FALSE(net::ResolveAll("", all, boxes));
  EXPECT_EQ(boxes.errors, std::vector<std::string>(2, "DNS query failed. Host name not found"));
  ASSERT_TRUE(net::ResolveFirst("127.0.0.1", first, boxes));
  EXPECT_EQ(first, "127.0.0.1");
  ASSERT_TRUE(net::ResolveAll("localhost", all, boxes));
  EXPECT_FALSE(all.empty());
}

}  // namespace
