#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ccallside.h"
#include "core/codes.h"
#include "loopbackporttest.h"
#include "net/cclient.h"
#include "net/transport.h"
#include "settings/cparams.h"

namespace {

using Codes = std::vector<uint32_t>;
using Lines = std::vector<std::string>;

const NetAddress kUs = CLoopbackPeer::Loopback(1);
const NetAddress kThem = CLoopbackPeer::Loopback(2);
const std::string kThemText = "127.0.0.2";

std::string Logged(const std::string& text) {
  return text + ": " + kThemText;
}

// How a line is brought into a state: the way calls get there.
enum class LineSetup {
  kIdle,
  kCalling,
  kCallerRinging,
  kCalledRinging,
  kAnswered,
  kCallerUp,
  kCalledUp,
  kHungUp,
  kClosed
};

// Our line 1 against a bare socket standing in for the peer, so that every
// datagram the line sends can be read back.
class LineTest : public LoopbackPortTest {
 protected:
  CClient& Line() { return us.line1; }
  std::vector<CLoopbackPeer::Datagram> Wire() { return them.Collect(us.Socket()); }
  Codes WireCodes() { return them.CollectCodes(us.Socket()); }

  void Enter(LineSetup setup) {
    const bool outgoing = setup == LineSetup::kCalling || setup == LineSetup::kCallerRinging ||
                          setup == LineSetup::kCallerUp || setup == LineSetup::kHungUp;
    if (setup != LineSetup::kIdle) {
      if (outgoing) {
        Line().CallOut(kThem, "Them");
      } else {
        Line().Incoming(kThem, "Them");
      }
    }
    switch (setup) {
      case LineSetup::kCallerRinging:
        Line().ReceiveCode(code::kRinging);
        break;
      case LineSetup::kAnswered:
        Line().Answer();
        break;
      case LineSetup::kCallerUp:
        Line().ReceiveCode(code::kRinging);
        Line().ReceiveCode(code::kAnswer);
        break;
      case LineSetup::kCalledUp:
        Line().Answer();
        Line().ReceiveCode(code::kAnswerConfirmation);
        break;
      case LineSetup::kHungUp:
        Line().HangUp();
        break;
      case LineSetup::kClosed:
        Line().ReceiveCode(code::kHangUp);
        break;
      default:
        break;
    }
    Wire();
    us.TakeWindow();
    us.TakeLog();
  }

  // At which of the next ticks each code went out, and at which the line
  // was freed (0: not within them).
  struct Schedule {
    std::map<uint32_t, std::vector<int>> sent;
    int freedAt = 0;
  };
  Schedule TickTimes(int ticks) {
    Schedule schedule;
    for (int tick = 1; tick <= ticks; ++tick) {
      Line().Tick(0);
      for (const uint32_t c : WireCodes()) schedule.sent[c].push_back(tick);
      for (const auto& message : us.TakeWindow()) {
        if (message == "released 1") schedule.freedAt = tick;
      }
    }
    return schedule;
  }

  CCallSide us{kUs, Port()};
  CLoopbackPeer them{kThem, Port()};
};

TEST_F(LineTest, CallOutSendsTheRequestShowsThePeerAndBringsThePageForward) {
  us.params.SetString("userName", "Alice");
  Line().CallOut(kThem, "Them");

  const auto wire = Wire();
  ASSERT_EQ(wire.size(), 1u);
  EXPECT_EQ(wire[0].code, code::kCallRequest);
  EXPECT_EQ(wire[0].text, "Alice");
  EXPECT_EQ(wire[0].size, datagram::kSignallingBytes);
  EXPECT_EQ(wire[0].sender, kUs);
  EXPECT_EQ(us.TakeWindow(), (Lines{"name 1 'Them'", "started 1"}));
  EXPECT_EQ(Line().State(), LineState::kCalling);
  EXPECT_EQ(Line().Direction(), code::kOutgoing);
  EXPECT_FALSE(Line().IsIncoming());
  EXPECT_EQ(Line().PeerAddress(), kThem);
  EXPECT_EQ(Line().PeerAddressText(), kThemText);
}

struct RequestCase {
  const char* name;
  int keyOn;
  std::string key;  // as the user typed it; stored encoded
  std::string userName;
  std::string expected;  // empty: the local address
  friend void PrintTo(const RequestCase& c, std::ostream* out) { *out << c.name; }
};

std::string Encoded(const std::string& typed) {
  return CCallSide::Encoded(typed);
}

class CallRequestText : public LineTest, public testing::WithParamInterface<RequestCase> {};

TEST_P(CallRequestText, IsTheNameOrThePrefixedStoredPasswordCutToTheField) {
  const RequestCase& c = GetParam();
  us.SetPassword(c.keyOn, c.key);
  us.params.SetString("userName", c.userName);
  NetAddress askedFor;
  Line().SetSourceAddress([&](const NetAddress& peer) {
    askedFor = peer;
    return NetAddress::Parse("192.0.2.9");
  });
  Line().CallOut(kThem, "Them");
  const auto wire = Wire();
  ASSERT_EQ(wire.size(), 1u);
  EXPECT_EQ(wire[0].text, c.expected.empty() ? "192.0.2.9" : c.expected);
  EXPECT_EQ(askedFor, c.expected.empty() ? kThem : NetAddress());
}

TEST_F(LineTest, ARequestWithoutHandleOrAddressIsEmpty) {
  us.params.SetString("userName", "");
  Line().SetSourceAddress([](const NetAddress&) { return NetAddress(); });
  Line().CallOut(kThem, "Them");
  const auto wire = Wire();
  ASSERT_EQ(wire.size(), 1u);
  EXPECT_EQ(wire[0].text, "");
}

INSTANTIATE_TEST_SUITE_P(
    Requests, CallRequestText,
    testing::Values(RequestCase{"UserName", 0, "secret", "Alice", "Alice"},
                    RequestCase{"ShortUserNameGivesTheLocalAddress", 0, "", "Al", ""},
                    RequestCase{"NoUserNameGivesTheLocalAddress", 0, "", "", ""},
                    RequestCase{"LongUserNameIsCut", 0, "", std::string(300, 'a'), std::string(199, 'a')},
                    RequestCase{"Password", 1, "secret", "Alice", "LllL" + Encoded("secret")},
                    RequestCase{"EmptyPassword", 1, "", "Alice", "LllL"},
                    RequestCase{"LongPasswordIsCut", 1, std::string(250, 'p'), "Alice",
                                "LllL" + Encoded(std::string(250, 'p')).substr(0, 195)}),
    [](const testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

TEST_F(LineTest, CallOutOnALineInUseOnlyBringsItsPageForward) {
  Enter(LineSetup::kCallerUp);
  Line().CallOut(CLoopbackPeer::Loopback(3), "Other");
  EXPECT_TRUE(WireCodes().empty());
  EXPECT_EQ(us.TakeWindow(), Lines{"started 1"});
  EXPECT_EQ(Line().PeerAddress(), kThem);
  EXPECT_EQ(Line().State(), LineState::kConnected);
}

TEST_F(LineTest, IncomingAsksForTheNameAndRings) {
  Line().Incoming(kThem, "Them");
  EXPECT_EQ(WireCodes(), (Codes{code::kNameRequest, code::kRinging}));
  EXPECT_EQ(us.TakeWindow(), (Lines{"name 1 'Them'", "started 1"}));
  EXPECT_EQ(Line().State(), LineState::kRinging);
  EXPECT_EQ(Line().Direction(), code::kIncoming);
  EXPECT_TRUE(Line().IsIncoming());
  EXPECT_TRUE(Line().CanAnswer());

  // The caller repeats its request: the ringing goes out again, nothing else.
  Line().Incoming(kThem, "Them");
  EXPECT_EQ(WireCodes(), Codes{code::kRinging});
  EXPECT_EQ(us.TakeLog(), Lines{Logged("Empty protocol")});

  // Another caller has no business with this line.
  Line().Incoming(CLoopbackPeer::Loopback(3), "Other");
  EXPECT_TRUE(us.TakeWindow().empty());
  EXPECT_TRUE(us.TakeLog().empty());
  EXPECT_EQ(Line().PeerAddress(), kThem);
}

TEST_F(LineTest, AnAddressOfZeroTakesNoLine) {
  Line().CallOut(NetAddress(), "Nobody");
  Line().Incoming(NetAddress(), "Nobody");
  EXPECT_TRUE(Line().IsFree());
  EXPECT_EQ(Line().State(), LineState::kIdle);
  EXPECT_TRUE(us.TakeWindow().empty());
}

TEST_F(LineTest, PeerNamesAreCutToTheFieldAndAShortReplyShowsTheAddress) {
  Line().CallOut(kThem, std::string(300, 'n'));
  EXPECT_EQ(Line().PeerName(), std::string(199, 'n'));
  us.TakeWindow();

  struct Reply {
    NetAddress from;
    std::string text;
    std::string shown;  // empty: no change, nothing sent to the window
  };
  const std::vector<Reply> replies = {
      {kThem, "Bob", "Bob"},
      {kThem, "Bo", kThemText},
      {kThem, "", kThemText},
      {kThem, std::string(600, 'b'), std::string(199, 'b')},
      {CLoopbackPeer::Loopback(3), "Mallory", ""},
      {NetAddress(), "Nobody", ""},
  };
  for (const Reply& r : replies) {
    const std::string before = Line().PeerName();
    Line().SetPeerName(r.from, r.text);
    if (r.shown.empty()) {
      EXPECT_EQ(Line().PeerName(), before) << r.text;
      EXPECT_TRUE(us.TakeWindow().empty()) << r.text;
    } else {
      EXPECT_EQ(Line().PeerName(), r.shown) << r.text;
      EXPECT_EQ(us.TakeWindow(), Lines{"name 1 '" + r.shown + "'"}) << r.text;
    }
  }
}

TEST_F(LineTest, AnUnansweredRequestIsRepeatedNineTimesThenHungUpOnceAndReleased) {
  Line().CallOut(kThem, "Them");
  Wire();
  const Schedule schedule = TickTimes(60);
  EXPECT_EQ(schedule.sent.at(code::kCallRequest), (std::vector<int>{3, 8, 13, 18, 23, 28, 33, 38, 43}));
  EXPECT_EQ(schedule.sent.at(code::kHangUp), std::vector<int>{49});
  // Keep-alives run from the start of the call, ringing or not.
  EXPECT_EQ(schedule.sent.at(code::kKeepAlive), (std::vector<int>{20, 25, 30, 35, 40, 45}));
  EXPECT_EQ(schedule.sent.size(), 3u);
  EXPECT_EQ(schedule.freedAt, 54);
  EXPECT_TRUE(Line().IsFree());
  EXPECT_EQ(Line().State(), LineState::kIdle);
}

TEST_F(LineTest, TheCallerSendsKeepAlivesFromTheTwentiethSilentTickAndGivesUpAtTheSixtySixth) {
  Enter(LineSetup::kCallerUp);
  const Schedule schedule = TickTimes(75);
  EXPECT_EQ(schedule.sent.at(code::kKeepAlive), (std::vector<int>{20, 25, 30, 35, 40, 45, 50, 55, 60}));
  EXPECT_EQ(schedule.sent.at(code::kHangUp), std::vector<int>{66});
  EXPECT_EQ(schedule.freedAt, 71);
}

TEST_F(LineTest, EachEchoRestartsTheKeepAliveCount) {
  Enter(LineSetup::kCallerUp);
  for (int round = 0; round < 4; ++round) {
    const Schedule schedule = TickTimes(22);
    EXPECT_EQ(schedule.sent.at(code::kKeepAlive), std::vector<int>{20}) << round;
    EXPECT_EQ(schedule.sent.count(code::kHangUp), 0u);
    Line().ReceiveCode(code::kKeepAlive);
    EXPECT_TRUE(WireCodes().empty()) << "the caller does not echo";
  }
  EXPECT_EQ(Line().State(), LineState::kConnected);
}

TEST_F(LineTest, TheCalledSideEchoesKeepAlivesAndGivesUpSixtySixTicksAfterTheLast) {
  Enter(LineSetup::kCalledUp);
  TickTimes(30);
  Line().ReceiveCode(code::kKeepAlive);
  EXPECT_EQ(WireCodes(), Codes{code::kKeepAlive});
  const Schedule schedule = TickTimes(75);
  EXPECT_EQ(schedule.sent.count(code::kKeepAlive), 0u);
  EXPECT_EQ(schedule.sent.at(code::kHangUp), std::vector<int>{66});
  EXPECT_EQ(schedule.freedAt, 71);
}

TEST_F(LineTest, AHangUpIsRepeatedUntilTheLineIsFreedOnTheFifthTick) {
  Enter(LineSetup::kCallerUp);
  Line().HangUp();
  EXPECT_EQ(WireCodes(), Codes{code::kHangUp});
  EXPECT_EQ(Line().State(), LineState::kHangUpSent);
  EXPECT_FALSE(Line().CanHangUp());

  TickTimes(2);
  Line().HangUp();  // already releasing: nothing more
  EXPECT_TRUE(WireCodes().empty());
  const Schedule rest = TickTimes(3);
  EXPECT_EQ(rest.sent.at(code::kHangUp), std::vector<int>{1});  // tick 3 of the release
  EXPECT_EQ(rest.freedAt, 3);
  EXPECT_TRUE(Line().IsFree());

  Line().HangUp();  // idle: nothing
  EXPECT_TRUE(WireCodes().empty());
  EXPECT_EQ(Line().State(), LineState::kIdle);
}

TEST_F(LineTest, OnlyAnAcceptedCodeStopsTheRepeats) {
  Line().CallOut(kThem, "Them");
  Wire();
  Line().ReceiveCode(code::kAnswerConfirmation);  // not accepted while calling
  Line().ReceiveCode(code::kHangUpAck);           // not accepted: not releasing
  EXPECT_EQ(TickTimes(3).sent.at(code::kCallRequest), std::vector<int>{3});
  Line().ReceiveCode(code::kRinging);
  EXPECT_EQ(TickTimes(60).sent.count(code::kCallRequest), 0u);
}

TEST_F(LineTest, OnlyARingingIncomingLineCanBeAnswered) {
  Enter(LineSetup::kCallerRinging);
  Line().Answer();
  EXPECT_TRUE(WireCodes().empty());
  EXPECT_EQ(Line().State(), LineState::kRinging);

  Line().HangUp();
  for (int tick = 0; tick < 5; ++tick) Line().Tick(0);
  Wire();
  Line().Incoming(kThem, "Them");
  Wire();
  Line().Answer();
  EXPECT_EQ(WireCodes(), Codes{code::kAnswer});
  Line().Answer();
  EXPECT_TRUE(WireCodes().empty());
  EXPECT_EQ(Line().State(), LineState::kAnswered);
}

TEST_F(LineTest, TicksShowEachStateOnceAndTheCallTimeOncePerSecond) {
  us.now = 1000;
  Line().CallOut(kThem, "Them");
  us.TakeWindow();
  Line().Tick(1000);
  EXPECT_EQ(us.TakeWindow(), (Lines{"state 1 calling", "age 1 0"}));
  Line().Tick(0);
  EXPECT_TRUE(us.TakeWindow().empty());

  Line().ReceiveCode(code::kRinging);
  Line().Tick(1002);
  EXPECT_EQ(us.TakeWindow(), (Lines{"state 1 ringing", "age 1 2"}));
  EXPECT_EQ(us.TakeLog(), (Lines{Logged("Local connection request"), Logged("Connection attempt")}));

  Line().ReceiveCode(code::kAnswer);
  Line().Tick(0);
  EXPECT_EQ(us.TakeWindow(), (Lines{"connected 1", "state 1 connected"}));
  EXPECT_EQ(us.TakeLog(), Lines{Logged("Remote answered")});

  Line().HangUp();
  Line().Tick(0);
  EXPECT_EQ(us.TakeWindow(), Lines{"state 1 hung-up"});
  EXPECT_EQ(us.TakeLog(), Lines{Logged("Connection closed")});

  // The acknowledgement closes the same connection: no second closing line.
  Line().ReceiveCode(code::kHangUpAck);
  Line().Tick(0);
  EXPECT_EQ(us.TakeWindow(), Lines{"state 1 closed"});
  EXPECT_EQ(us.TakeLog(), Lines{Logged("Local closed connection")});

  for (int tick = 0; tick < 2; ++tick) Line().Tick(0);
  EXPECT_TRUE(us.TakeWindow().empty());
  Line().Tick(1010);  // the fifth tick of the release
  EXPECT_EQ(us.TakeWindow(), (Lines{"age 1 10", "released 1"}));
  Line().Tick(1011);
  EXPECT_TRUE(us.TakeWindow().empty()) << "an idle line reports nothing";
}

TEST_F(LineTest, TheAnswerSentShowsNoImage) {
  Enter(LineSetup::kCalledRinging);
  Line().Tick(0);
  EXPECT_EQ(us.TakeWindow(), Lines{"state 1 ringing"});
  Line().Answer();
  Line().Tick(0);
  EXPECT_TRUE(us.TakeWindow().empty());
}

// The transition table: every line code in every state.
struct Outcome {
  uint32_t state;
  Codes sent;
  Lines log;
};

struct TransitionCase {
  LineSetup setup;
  uint32_t state;  // the state the setup gives
  uint32_t received;
};

std::string LineSetupName(LineSetup s);

void PrintTo(const TransitionCase& c, std::ostream* out) {
  *out << c.received << " in " << LineSetupName(c.setup);
}

std::string LineSetupName(LineSetup s) {
  static const std::map<LineSetup, std::string> names = {{LineSetup::kIdle, "Idle"},
                                                         {LineSetup::kCalling, "Calling"},
                                                         {LineSetup::kCallerRinging, "CallerRinging"},
                                                         {LineSetup::kCalledRinging, "CalledRinging"},
                                                         {LineSetup::kAnswered, "Answered"},
                                                         {LineSetup::kCallerUp, "CallerUp"},
                                                         {LineSetup::kCalledUp, "CalledUp"},
                                                         {LineSetup::kHungUp, "HungUp"},
                                                         {LineSetup::kClosed, "Closed"}};
  return names.at(s);
}

// The accepted pairs of (received code, state); a hang-up and its
// acknowledgement are the only codes a releasing line (9031, 9032) takes.
std::map<std::pair<uint32_t, uint32_t>, Outcome> AcceptedPairs() {
  const Lines emptyProtocol{Logged("Empty protocol")};
  const Lines remoteAnswered{Logged("Remote answered")};
  const Lines localAnswered{Logged("Local answered")};
  const Lines remoteClosed{Logged("Remote closed connection")};
  const Lines localClosed{Logged("Local closed connection")};
  return {
      {{9023, 9024}, {9024, {9024}, emptyProtocol}},
      {{9023, 9025}, {9025, {9025}, emptyProtocol}},
      {{9024, 9023}, {9024, {}, {Logged("Local connection request")}}},
      {{9025, 9023}, {9027, {9027}, remoteAnswered}},
      {{9025, 9024}, {9027, {9027}, remoteAnswered}},
      {{9025, 9027}, {9027, {9027}, remoteAnswered}},
      {{9027, 9024}, {9027, {}, localAnswered}},
      {{9027, 9025}, {9027, {}, localAnswered}},
      {{9031, 9024}, {9032, {9032}, remoteClosed}},
      {{9031, 9027}, {9032, {9032}, remoteClosed}},
      {{9031, 9031}, {9032, {9032}, remoteClosed}},
      {{9031, 9032}, {9032, {9032}, remoteClosed}},
      {{9032, 9031}, {9032, {}, localClosed}},
      {{9032, 9032}, {9032, {}, localClosed}},
  };
}

std::vector<TransitionCase> AllTransitionCases() {
  const std::vector<std::pair<LineSetup, uint32_t>> setups = {{LineSetup::kIdle, 0},
                                                              {LineSetup::kCalling, 9023},
                                                              {LineSetup::kCallerRinging, 9024},
                                                              {LineSetup::kCalledRinging, 9024},
                                                              {LineSetup::kAnswered, 9025},
                                                              {LineSetup::kCallerUp, 9027},
                                                              {LineSetup::kCalledUp, 9027},
                                                              {LineSetup::kHungUp, 9031},
                                                              {LineSetup::kClosed, 9032}};
  std::vector<TransitionCase> cases;
  for (const auto& [setup, state] : setups) {
    for (const uint32_t received : {9023u, 9024u, 9025u, 9026u, 9027u, 9028u, 9031u, 9032u, 9033u}) {
      cases.push_back({setup, state, received});
    }
  }
  return cases;
}

class TransitionTable : public LineTest, public testing::WithParamInterface<TransitionCase> {};

TEST_P(TransitionTable, AcceptsExactlyTheListedPairs) {
  const TransitionCase& c = GetParam();
  Enter(c.setup);
  ASSERT_EQ(WireCode(Line().State()), c.state);

  const auto accepted = AcceptedPairs();
  const auto it = accepted.find({c.received, c.state});
  // A call rings until this user answers it: a caller's answer or
  // confirmation would otherwise open the microphone on its own.
  const bool calledRingingAnswer =
      c.setup == LineSetup::kCalledRinging && (c.received == 9025 || c.received == 9027);
  const Outcome expected =
      it != accepted.end() && !calledRingingAnswer ? it->second : Outcome{c.state, {}, {}};

  Line().ReceiveCode(c.received);
  EXPECT_EQ(WireCode(Line().State()), expected.state);
  EXPECT_EQ(WireCodes(), expected.sent);
  EXPECT_EQ(us.TakeLog(), expected.log);
  // Only a call that has just come up says so at once; the rest waits for the tick.
  const bool cameUp = expected.state == WireCode(LineState::kConnected) && c.state != expected.state;
  EXPECT_EQ(us.TakeWindow(), cameUp ? Lines{"connected 1"} : Lines{});
}

INSTANTIATE_TEST_SUITE_P(EveryCodeInEveryState, TransitionTable, testing::ValuesIn(AllTransitionCases()),
                         [](const testing::TestParamInfo<TransitionCase>& info) {
                           return LineSetupName(info.param.setup) + "_" + std::to_string(info.param.received);
                         });

// The audio paths read the line and count bytes on their own threads while
// the main thread runs calls: ThreadSanitizer watches for races, and no
// counted byte may be lost between the counting and the status refresh.
TEST_F(LineTest, AudioThreadsReadTheLineWhileCallsComeAndGo) {
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> counted{0};
  std::thread audio([&] {
    while (!stop.load()) {
      if (Line().State() == LineState::kConnected && !Line().PeerAddress().IsNone() && !Line().IsIncoming()) {
        Line().AddRxBytes(41);
        Line().AddTxBytes(41);
        counted.fetch_add(41);
      }
      std::this_thread::yield();
    }
  });

  uint64_t rx = 0;
  uint64_t tx = 0;
  for (int call = 0; call < 50; ++call) {
    Enter(LineSetup::kCallerUp);
    std::this_thread::yield();
    rx += Line().TakeRxBytes();
    Line().HangUp();
    for (int tick = 0; tick < 5; ++tick) Line().Tick(0);
    tx += Line().TakeTxBytes();
    Wire();
  }
  stop.store(true);
  audio.join();
  rx += Line().TakeRxBytes();
  tx += Line().TakeTxBytes();
  EXPECT_EQ(rx, counted.load());
  EXPECT_EQ(tx, counted.load());
}

}  // namespace
