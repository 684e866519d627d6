#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <cstdlib>
#include <filesystem>

#include "fakes/ctempdirectory.h"
#include "platform/cremotecontrolserver.h"
#include "platform/remotecontrolchannel.h"

namespace {

TEST(RemoteControlChannelTest, RequestsRoundTripAndLongTextsAreCut) {
  for (const std::string& text : {std::string(), std::string("10.0.0.1"), std::string(300, 'a')}) {
    const std::string bytes = remotecontrol::EncodeRequest(6, text);
    const auto request = remotecontrol::DecodeRequest(bytes);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->command, 6);
    EXPECT_EQ(request->text, text.substr(0, 254));
  }
  EXPECT_FALSE(remotecontrol::DecodeRequest(std::string("\x02\0\0\0\x05\0abc", 9)));  // 3 of 5 text bytes
}

TEST(RemoteControlChannelTest, IncompleteRequestsWait) {
  const std::string bytes = remotecontrol::EncodeRequest(2, "1.2.3.4");
  for (std::size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(remotecontrol::DecodeRequest(bytes.substr(0, n))) << n;
}

TEST(RemoteControlChannelTest, NamesDifferByConfigDirectory) {
  EXPECT_EQ(remotecontrol::ServerName("/tmp/a"), remotecontrol::ServerName("/tmp/./a"));
  EXPECT_NE(remotecontrol::ServerName("/tmp/a"), remotecontrol::ServerName("/tmp/b"));
}

TEST(RemoteControlChannelTest, TheSocketLivesInTheUsersRuntimeFolder) {
  CTempDirectory runtime;
  ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  const QString inRuntime = remotecontrol::ServerName("/tmp/a");
  EXPECT_TRUE(inRuntime.startsWith(QString::fromStdString(runtime.Path().string()) + "/ondrel-"))
      << inRuntime.toStdString();
  ::setenv("XDG_RUNTIME_DIR", "/nonexistent/runtime", 1);
  EXPECT_FALSE(remotecontrol::ServerName("/tmp/a").contains('/'));
  ::unsetenv("XDG_RUNTIME_DIR");
  EXPECT_FALSE(remotecontrol::ServerName("/tmp/a").contains('/'));
}

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}

class RemoteControlServerTest : public ::testing::Test {
 protected:
  RemoteControlServerTest() {
    ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    std::string error;
    EXPECT_TRUE(server.Listen(error)) << error;
  }
  ~RemoteControlServerTest() override { ::unsetenv("XDG_RUNTIME_DIR"); }

  std::unique_ptr<QLocalSocket> Connect(const std::string& bytes) {
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(remotecontrol::ServerName(config.Path()));
    EXPECT_TRUE(socket->waitForConnected(2000));
    socket->write(bytes.data(), qint64(bytes.size()));
    socket->flush();
    return socket;
  }
  static std::string Answer(QLocalSocket& socket) {
    WaitFor([&] { return socket.bytesAvailable() > 0 || socket.state() != QLocalSocket::ConnectedState; }, 5000);
    return socket.readAll().toStdString();
  }

  CTempDirectory runtime;
  CTempDirectory config{"config"};
  std::vector<std::pair<int, std::string>> handled;
  CRemoteControlServer server{config.Path(), [this](int command, const std::string& text) {
                                handled.emplace_back(command, text);
                                return command == 2;
                              }};
};

TEST_F(RemoteControlServerTest, AnswersWholeRequestsAndRefusesOversizedOnes) {
  auto good = Connect(remotecontrol::EncodeRequest(2, "10.0.0.1"));
  EXPECT_EQ(Answer(*good), "1");
  auto refused = Connect(remotecontrol::EncodeRequest(4, ""));
  EXPECT_EQ(Answer(*refused), "0");
  // Declares 300 bytes of text, more than any command takes.
  auto oversized = Connect(std::string("\x01\0\0\0\x2c\x01", 6) + std::string(40, 'x'));
  EXPECT_EQ(Answer(*oversized), "0");
  EXPECT_EQ(handled, (std::vector<std::pair<int, std::string>>{{2, "10.0.0.1"}, {4, ""}}));
}

TEST_F(RemoteControlServerTest, AStalledRequestIsDroppedAndHoldsUpNoOther) {
  auto stalled = Connect(std::string("\x02\0\0", 3));
  auto good = Connect(remotecontrol::EncodeRequest(2, "10.0.0.2"));
  EXPECT_EQ(Answer(*good), "1");
  EXPECT_TRUE(WaitFor([&] { return stalled->state() == QLocalSocket::UnconnectedState; },
                      CRemoteControlServer::kRequestTimeoutMs + 3000));
  EXPECT_EQ(handled.size(), 1u);
}

TEST(RemoteControlChannelTest, NoRunningCopyGivesNoAnswer) {
  EXPECT_FALSE(remotecontrol::SendCommand("/nonexistent/ondrel-test-dir", 4, ""));
}

}  // namespace
