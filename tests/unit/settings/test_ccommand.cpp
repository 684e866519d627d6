#include <gtest/gtest.h>

#include <algorithm>

#include "core/codes.h"
#include "core/windowmessage.h"
#include "fakes/cfakemessageboxes.h"
#include "fakes/cfakewindowport.h"
#include "fakes/cmemorykeystore.h"
#include "settings/ccommand.h"
#include "settings/cparams.h"

namespace {

class CCommandTest : public ::testing::Test {
 protected:
  CCommandTest() : params(store), command(params, window, boxes) {}
  CMemoryKeyStore store;
  CParams params;
  CFakeWindowPort window;
  CFakeMessageBoxes boxes;
  CCommand command;
};

TEST_F(CCommandTest, AcceptsAndRefusesByCommandAndText) {
  struct Case {
    int command;
    const char* text;
    bool accepted;
  };
  const Case cases[] = {
      {2, "1.2.3.4", true},
      {2, "10.0.0.1", true},
      {2, "192.168.100.200", true},
      {2, "192.168.100.2000", false},
      {2, "1.2.3", false},
      {2, "abcdefgh", false},
      {2, "0.0.0.0", false},
      {2, "2001:db8::7", true},
      {2, "::", false},
      {2, "2001:db8::7%eth0", false},
      {2, "[2001:db8::7]", false},
      {3, "", true},
      {4, "", true},
      {5, "0", false},
      {5, "65536", false},
      {5, "4445", true},
      {5, "44x", false},
      {5, "", false},
      {6, "9049", false},
      {6, "9065", false},
      {6, "9058", true},
      {0, "", false},
      {7, "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(command.Execute(c.text, c.command), c.accepted) << c.command << " " << c.text;
  }
}

TEST_F(CCommandTest, EachAcceptedCommandPostsItsMessage) {
  using Kind = CFakeWindowPort::Message::Kind;
  command.Execute("10.0.0.1", 2);
  command.Execute("", 3);
  command.Execute("", 4);
  command.Execute("4445", 5);
  command.Execute("9058", 6);
  const auto messages = window.Messages();
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[0].kind, Kind::PostCommand);
  EXPECT_EQ(messages[0].code, 2u);
  const auto& call = messages[0].record;
  EXPECT_EQ(call.text, "10.0.0.1");
  EXPECT_EQ(messages[1].code, 3u);
  EXPECT_EQ(messages[2].kind, Kind::PostCode);
  EXPECT_EQ(messages[2].code, Number(WindowMessage::kQuit));
  EXPECT_EQ(messages[3].record.number, 4445);
  EXPECT_EQ(params.GetInt("netPort"), 0);  // the window stores it, in message order
  EXPECT_EQ(messages[4].code, Number(WindowMessage::kSwitchSoundType));
  EXPECT_EQ(messages[4].wParam, 9058);
  EXPECT_EQ(params.GetInt("SndType"), 9058);  // set at once, and written
  const auto& stored = store.sections["params2"];
  EXPECT_TRUE(std::any_of(stored.begin(), stored.end(),
                          [](const auto& entry) { return entry.second == "SndType = 9058"; }));
}

TEST_F(CCommandTest, RefusedCommandsChangeNothing) {
  command.Execute("9065", 6);
  command.Execute("x", 9);
  EXPECT_TRUE(window.Messages().empty());
  EXPECT_EQ(params.GetInt("SndType"), 0);
}

TEST_F(CCommandTest, TestCommandShowsItsTextAndNumber) {
  EXPECT_TRUE(command.Execute("hello", 1));
  EXPECT_TRUE(command.Execute(std::string(300, 'x'), 1));
  ASSERT_EQ(boxes.infos.size(), 2u);
  EXPECT_EQ(boxes.infos[0], "[hello][1]");
  EXPECT_EQ(boxes.infos[1], "[" + std::string(254, 'x') + "][1]");
}

}  // namespace
