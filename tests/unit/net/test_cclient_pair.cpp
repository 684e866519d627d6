// Two copies of the program calling each other over loopback, with
// datagrams lost on purpose: the repeats and the acknowledgement rules of
// the lines must still bring both ends to the same state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ccallside.h"
#include "core/codes.h"
#include "loopbackporttest.h"
#include "net/cclient.h"

namespace {

const NetAddress kCallerAddress = CLoopbackPeer::Loopback(1);
const NetAddress kCalledAddress = CLoopbackPeer::Loopback(2);

class CallPairTest : public LoopbackPortTest {
 protected:
  // Both lines free and both ends of the call on line 2, the line a call
  // takes when both are free.
  CClient& Caller() { return caller.line2; }
  CClient& Called() { return called.line2; }

  void Tick(CCallSide& side, int ticks = 1) {
    for (int tick = 0; tick < ticks; ++tick) side.clients.TickAll();
  }

  void Ring() {
    caller.clients.PlaceCall("127.0.0.2", "Called");
    called.Receive(caller);
    caller.Receive(called);
    ASSERT_EQ(Caller().State(), LineState::kRinging);
    ASSERT_EQ(Called().State(), LineState::kRinging);
  }
  void Connect() {
    Ring();
    Called().Answer();
    caller.Receive(called);
    called.Receive(caller);
    ASSERT_EQ(Caller().State(), LineState::kConnected);
    ASSERT_EQ(Called().State(), LineState::kConnected);
  }
  void ExpectBothFreeAfterFiveTicks() {
    Tick(caller, 4);
    Tick(called, 4);
    EXPECT_FALSE(Caller().IsFree());
    EXPECT_FALSE(Called().IsFree());
    Tick(caller);
    Tick(called);
    EXPECT_TRUE(Caller().IsFree());
    EXPECT_TRUE(Called().IsFree());
  }

  CCallSide caller{kCallerAddress, Port()};
  CCallSide called{kCalledAddress, Port()};
};

TEST_F(CallPairTest, ANormalCallRingsConnectsAndReleasesBothEnds) {
  Connect();
  EXPECT_TRUE(called.line1.IsFree()) << "one call takes one line";
  caller.TakeLog();
  called.TakeLog();

  Caller().HangUp();
  called.Receive(caller);
  EXPECT_EQ(Called().State(), LineState::kHangUpAcknowledged);
  caller.Receive(called);
  EXPECT_EQ(Caller().State(), LineState::kHangUpAcknowledged);
  EXPECT_EQ(caller.TakeLog(), std::vector<std::string>{"Local closed connection: 127.0.0.2"});
  EXPECT_EQ(called.TakeLog(), std::vector<std::string>{"Remote closed connection: 127.0.0.1"});
  ExpectBothFreeAfterFiveTicks();
}

TEST_F(CallPairTest, ALostRingingIsDrawnAgainByTheRepeatedRequest) {
  caller.clients.PlaceCall("127.0.0.2", "Called");
  called.Receive(caller);
  caller.Lose(called);
  Tick(caller, 3);
  EXPECT_EQ(Caller().State(), LineState::kCalling);
  called.TakeLog();

  called.Receive(caller);
  EXPECT_EQ(called.TakeLog(), std::vector<std::string>{"Empty protocol: 127.0.0.1"});
  EXPECT_TRUE(called.line1.IsFree()) << "a repeated request takes no second line";
  caller.Receive(called);
  EXPECT_EQ(Caller().State(), LineState::kRinging);
}

TEST_F(CallPairTest, ALostConfirmationIsDrawnAgainByTheRepeatedAnswer) {
  Ring();
  Called().Answer();
  caller.Receive(called);
  EXPECT_EQ(Caller().State(), LineState::kConnected);
  called.Lose(caller);

  Tick(called, 3);
  caller.Receive(called);
  EXPECT_EQ(Caller().State(), LineState::kConnected);
  called.Receive(caller);
  EXPECT_EQ(Called().State(), LineState::kConnected);
  Tick(called, 10);
  EXPECT_TRUE(caller.peer.CollectCodes(called.Socket()).empty()) << "the answer is no longer repeated";
}

TEST_F(CallPairTest, AnAnswerBeforeTheRingingArrivedConnectsAtOnce) {
  caller.clients.PlaceCall("127.0.0.2", "Called");
  called.Receive(caller);
  Called().Answer();
  // The caller lost the ringing but gets the answer.
  const auto arrived = caller.peer.Collect(called.Socket());
  ASSERT_EQ(arrived.back().code, code::kAnswer);
  caller.Deliver({arrived.back()});
  EXPECT_EQ(Caller().State(), LineState::kConnected);
  called.Receive(caller);
  EXPECT_EQ(Called().State(), LineState::kConnected);
}

TEST_F(CallPairTest, TheCallerHangingUpWhileItRingsFreesBothLines) {
  Ring();
  Caller().HangUp();
  called.Receive(caller);
  EXPECT_EQ(Called().State(), LineState::kHangUpAcknowledged);
  caller.Receive(called);
  EXPECT_EQ(Caller().State(), LineState::kHangUpAcknowledged);
  ExpectBothFreeAfterFiveTicks();
}

TEST_F(CallPairTest, AHangUpReachingAnAnsweredLineIsIgnoredUntilItTimesOut) {
  Ring();
  Called().Answer();
  caller.Lose(called);
  Caller().HangUp();

  std::vector<int> answers;
  int hangUpAt = 0;
  int freedAt = 0;
  for (int tick = 1; tick <= 60; ++tick) {
    called.Receive(caller);  // the caller's hang-up and its repeat: ignored
    Tick(caller);
    Tick(called);
    for (const uint32_t c : caller.peer.CollectCodes(called.Socket())) {
      if (c == code::kAnswer) answers.push_back(tick);
      if (c == code::kHangUp) hangUpAt = tick;
    }
    if (freedAt == 0 && Called().IsFree()) freedAt = tick;
    if (tick < 49) {
      ASSERT_EQ(Called().State(), LineState::kAnswered) << tick;
    }
  }
  EXPECT_TRUE(Caller().IsFree());
  EXPECT_EQ(answers, (std::vector<int>{3, 8, 13, 18, 23, 28, 33, 38, 43}));
  EXPECT_EQ(hangUpAt, 49);
  EXPECT_EQ(freedAt, 54);
}

TEST_F(CallPairTest, HangUpsCrossingEachOtherAreBothAcknowledged) {
  Connect();
  Caller().HangUp();
  Called().HangUp();
  const auto hangUpToCaller = caller.peer.Collect(called.Socket());
  const auto hangUpToCalled = called.peer.Collect(caller.Socket());
  caller.Deliver(hangUpToCaller);
  called.Deliver(hangUpToCalled);
  EXPECT_EQ(Caller().State(), LineState::kHangUpAcknowledged);
  EXPECT_EQ(Called().State(), LineState::kHangUpAcknowledged);
  // Each side answered the other's hang-up, and each answer is taken.
  const auto ackToCaller = caller.peer.Collect(called.Socket());
  const auto ackToCalled = called.peer.Collect(caller.Socket());
  ASSERT_EQ(ackToCaller.size(), 1u);
  ASSERT_EQ(ackToCalled.size(), 1u);
  EXPECT_EQ(ackToCaller[0].code, code::kHangUpAck);
  EXPECT_EQ(ackToCalled[0].code, code::kHangUpAck);
  caller.TakeLog();
  caller.Deliver(ackToCaller);
  EXPECT_EQ(caller.TakeLog(), std::vector<std::string>{"Local closed connection: 127.0.0.2"});
  ExpectBothFreeAfterFiveTicks();
}

TEST_F(CallPairTest, ARefusedCallerReceivesTheRejection) {
  called.params.SetInt("AutoConnectRestrict", 1);
  caller.clients.PlaceCall("127.0.0.2", "Called");
  called.Receive(caller);
  caller.Receive(called);
  EXPECT_EQ(caller.rejections, std::vector<NetAddress>{kCalledAddress});
  EXPECT_TRUE(Called().IsFree());
  EXPECT_EQ(Caller().State(), LineState::kCalling);
}

}  // namespace
