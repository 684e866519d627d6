#include <gtest/gtest.h>

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

TEST(RemoteControlChannelTest, NoRunningCopyGivesNoAnswer) {
  EXPECT_FALSE(remotecontrol::SendCommand("/nonexistent/ondrel-test-dir", 4, ""));
}

}  // namespace
