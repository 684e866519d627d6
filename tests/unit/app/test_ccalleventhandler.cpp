#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ccalleventhandler.h"
#include "core/codes.h"
#include "fakes/cfakemessageboxes.h"
#include "net/transport.h"

namespace {

using Calls = std::vector<std::string>;

class CCallEventHandlerTest : public ::testing::Test {
 protected:
  CCallEventHandlerTest() { state.currentSndType = SoundType::kGsm8; }

  CAppState state;
  CFakeMessageBoxes boxes;
  Calls calls;
  CCallEventHandler handler{
      state, boxes,
      CCallEventHandler::Actions{
          [this](SoundType type) { calls.push_back("follow " + std::to_string(WireCode(type))); },
          [this](uint32_t code, int32_t value) {
            calls.push_back("speex " + std::to_string(code) + " " + std::to_string(value));
          },
          [this] { calls.push_back("recompute"); }}};
};

TEST_F(CCallEventHandlerTest, APeersSoundTypeIsFollowedUnlessARestartRunsOrTheTypeIsLocked) {
  struct Case {
    int32_t code;
    bool restarting;
    bool locked;
    Calls expected;
  };
  const Case cases[] = {
      {9058, false, false, {"follow 9058"}},
      {9050, false, false, {}},  // already in force
      {9058, true, false, {}},   // the restart in progress wins
      {0, false, false, {}},     // a text that was no number
      {9065, false, false, {}},
      {9058, false, true, {}},  // a locked type refuses the call instead
  };
  for (const Case& c : cases) {
    state.restarting = c.restarting;
    state.lockCodec = c.locked;
    calls.clear();
    handler.SoundTypeRequested(c.code);
    EXPECT_EQ(calls, c.expected) << c.code << c.restarting << c.locked;
  }
}

TEST_F(CCallEventHandlerTest, SpeexOptionsGoToTheEncoderAndARefusedCallIsTold) {
  handler.SpeexOptionReceived(code::kSpeexVad, 1);
  handler.SignalHandled();
  EXPECT_EQ(calls, (Calls{"speex 9104 1", "recompute"}));
  handler.CallRefused(NetAddress::Parse("10.1.2.3"));
  EXPECT_EQ(boxes.infos, Calls{"Restricted access. 10.1.2.3 denied connection."});
}

}  // namespace
