#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/codes.h"
#include "core/windowmessage.h"
#include "fakes/cfakewindowport.h"
#include "net/creceivethread.h"
#include "net/cudpsocket.h"
#include "net/datagramsink.h"
#include "net/transport.h"

namespace {

using namespace std::chrono_literals;

class RecordingSink : public DatagramSink {
 public:
  struct Datagram {
    std::vector<uint8_t> bytes;
    NetAddress sender;
  };
  void OnDatagram(std::span<const uint8_t> bytes, const NetAddress& sender) override {
    std::lock_guard lock(mutex);
    received.push_back({{bytes.begin(), bytes.end()}, sender});
  }
  std::vector<Datagram> Received() {
    std::lock_guard lock(mutex);
    return received;
  }
  std::mutex mutex;
  std::vector<Datagram> received;
};

template <typename Predicate>
bool WaitFor(Predicate done) {
  for (int i = 0; i < 500 && !done(); ++i) std::this_thread::sleep_for(10ms);
  return done();
}

// Two loopback addresses stand for this program and a peer.
class CReceiveThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    self = NetAddress::Parse("127.0.0.1");
    peer = NetAddress::Parse("127.0.0.2");
    alsoSelf = NetAddress::Parse("127.0.0.3");
    socket = std::make_unique<net::CUdpSocket>(0, self);
    ASSERT_TRUE(socket->IsOpen());
  }

  void SendFrom(const NetAddress& from, std::vector<uint8_t> bytes) {
    const net::CUdpSocket s(0, from);
    ASSERT_TRUE(s.IsOpen());
    s.Send(self.WithPort(static_cast<uint16_t>(socket->Port())), bytes);
  }

  // A computer on two networks sends from either of its addresses.
  NetAddress self, peer, alsoSelf;
  std::unique_ptr<net::CUdpSocket> socket;
  std::atomic<int> quitting{0};
  RecordingSink sink;
  CFakeWindowPort window;
};

TEST_F(CReceiveThreadTest, HandsOverWhatPeersSendAndDropsItsOwnDatagrams) {
  CReceiveThread thread(*socket, {self, alsoSelf}, quitting, sink, window);
  thread.Start();
  EXPECT_FALSE(thread.Ended());
  SendFrom(self, {0x2D, 0x23, 0, 0});  // from its own addresses: dropped
  SendFrom(alsoSelf, {0x2D, 0x23, 0, 0});
  SendFrom(peer, {0x35, 0x23});  // shorter than a code
  SendFrom(peer, {0x2D, 0x23, 0, 0, 9});
  ASSERT_TRUE(WaitFor([&] { return sink.Received().size() == 2; }));
  const auto got = sink.Received();
  EXPECT_EQ(got[0].bytes, (std::vector<uint8_t>{0x35, 0x23}));
  EXPECT_TRUE(got[0].sender.SameHost(peer));
  EXPECT_EQ(got[1].bytes.size(), 5u);
  thread.Stop();
  EXPECT_EQ(sink.Received().size(), 2u);
}

TEST_F(CReceiveThreadTest, DropsEverythingWhileQuitting) {
  CReceiveThread thread(*socket, {self, alsoSelf}, quitting, sink, window);
  thread.Start();
  quitting = 1;
  SendFrom(peer, {1, 2, 3, 4});
  SendFrom(peer, {});
  std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(sink.Received().empty());
  thread.Stop();
}

TEST_F(CReceiveThreadTest, StopEndsTheThreadWhichPostsTheCloseRequest) {
  CReceiveThread thread(*socket, {self, alsoSelf}, quitting, sink, window);
  thread.Start();
  quitting = 1;
  EXPECT_TRUE(thread.Stop());
  EXPECT_TRUE(thread.Ended());
  const auto messages = window.Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].code, Number(WindowMessage::kCloseRequest));
  EXPECT_EQ(messages[0].wParam, 0);
}

// A sink that holds the thread until the test lets it go.
class StuckSink : public DatagramSink {
 public:
  void OnDatagram(std::span<const uint8_t>, const NetAddress&) override {
    entered.set_value();
    released.wait();
  }
  std::promise<void> entered;
  std::shared_future<void> released;
};

TEST_F(CReceiveThreadTest, StopGivesUpOnAThreadThatDoesNotEnd) {
  StuckSink stuck;
  std::promise<void> release;
  stuck.released = release.get_future().share();
  auto thread =
      std::make_unique<CReceiveThread>(*socket, std::vector<NetAddress>{self}, quitting, stuck, window);
  thread->Start();
  SendFrom(peer, {0x2D, 0x23, 0, 0});
  ASSERT_EQ(stuck.entered.get_future().wait_for(5s), std::future_status::ready);

  EXPECT_FALSE(thread->Stop(100ms));
  EXPECT_FALSE(thread->Ended());
  // Left to run, it ends by itself once its sink lets it go.
  release.set_value();
  EXPECT_TRUE(WaitFor([&] { return thread->Ended(); }));
  thread.reset();
}

TEST_F(CReceiveThreadTest, NoThreadRunsWithoutASocket) {
  socket->Close();
  CReceiveThread thread(*socket, {self, alsoSelf}, quitting, sink, window);
  thread.Start();
  EXPECT_TRUE(thread.Ended());
  thread.Stop();
  EXPECT_TRUE(window.Messages().empty());
}

}  // namespace
