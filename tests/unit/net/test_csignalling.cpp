#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "ccallside.h"
#include "core/codes.h"
#include "fakes/crecordingclientlistobserver.h"
#include "loopbackporttest.h"
#include "net/callevents.h"
#include "net/clocaladdresses.h"
#include "net/cpresence.h"
#include "net/csignalling.h"
#include "settings/ccontacts.h"

namespace {

using Codes = std::vector<uint32_t>;
using Lines = std::vector<std::string>;

NetAddress Loopback(uint8_t n) {
  return NetAddress::IPv4(htonl(0x7F010000u | n));
}

const NetAddress kUs = Loopback(1);
const NetAddress kThem = Loopback(2);
const NetAddress kStranger = Loopback(4);

class RecordingCallEvents : public CallEvents {
 public:
  void SoundTypeRequested(int32_t code) override { events.push_back("sound type " + std::to_string(code)); }
  void SpeexOptionReceived(uint32_t code, int32_t value) override {
    events.push_back("speex " + std::to_string(code) + " " + std::to_string(value));
  }
  void CallRefused(const NetAddress& from) override { events.push_back("refused " + from.Text()); }
  void SignalHandled() override { ++handled; }
  Lines events;
  int handled = 0;
};

// The signalling of our side, with its real lines, presence and client
// list, against bare sockets standing in for a client and a stranger.
class CSignallingTest : public LoopbackPortTest {
 protected:
  CSignallingTest() {
    contacts.Add("127.1.0.2", "Them");
    us.params.SetString("userName", "");
  }
  void Signal(const NetAddress& from, uint32_t code, const std::string& text = "", int32_t number = 0) {
    // From the peer's netPort, as a copy of the program sends.
    signalling.OnSignal(ReceivedSignal{from.WithPort(4444), code, text, number});
  }
  Codes At(CLoopbackPeer& peer) { return peer.CollectCodes(us.Socket()); }

  CCallSide us{kUs, Port()};
  CLoopbackPeer them{kThem, Port()};
  CLoopbackPeer stranger{kStranger, Port()};
  CRecordingClientListObserver rows;
  CContacts contacts{us.params, rows, us.boxes};
  CPresence presence{contacts, us.clients, us.Socket()};
  RecordingCallEvents events;
  // Unbound, this computer is 192.0.2.9 toward anyone.
  CLocalAddresses own{{},
                      4444,
                      [] { return std::vector<NetAddress>{NetAddress::Parse("192.0.2.9")}; },
                      [](const NetAddress&, int) { return NetAddress::Parse("192.0.2.9"); }};
  std::atomic<int> quitting{0};
  CSignalling signalling{quitting, us.clients, presence, events, us.params, own, us.log, us.Socket()};
};

TEST_F(CSignallingTest, PresenceReachesThePresenceProtocol) {
  Signal(kStranger, code::kPresenceQuery);
  EXPECT_EQ(At(stranger), Codes{code::kPresenceReply});
  Signal(kThem, code::kPresenceReply);
  EXPECT_TRUE(contacts.FindByAddress(kThem)->IsOnline());
  Signal(kThem, code::kBusyNotice);
  EXPECT_TRUE(contacts.FindByAddress(kThem)->IsBusy());
  Signal(kThem, code::kFreeNotice);
  EXPECT_FALSE(contacts.FindByAddress(kThem)->IsBusy());
  Signal(kThem, code::kOfflineNotice);
  EXPECT_FALSE(contacts.FindByAddress(kThem)->IsOnline());
  EXPECT_EQ(events.handled, 5);
}

TEST_F(CSignallingTest, ACallRequestAndTheLineCodesReachTheLineOfTheirSender) {
  Signal(kThem, code::kCallRequest, "Caller");
  EXPECT_EQ(us.line2.State(), LineState::kRinging);
  EXPECT_EQ(us.line2.PeerName(), "Caller");
  EXPECT_EQ(At(them), (Codes{code::kNameRequest, code::kRinging}));
  Signal(kStranger, code::kHangUp);  // nobody's line
  Signal(kThem, 9026);               // unused: the line ignores it
  EXPECT_EQ(us.line2.State(), LineState::kRinging);
  Signal(kThem, code::kHangUp);
  EXPECT_EQ(us.line2.State(), LineState::kHangUpAcknowledged);
  EXPECT_EQ(At(them), Codes{code::kHangUpAck});
  EXPECT_TRUE(At(stranger).empty());
}

TEST_F(CSignallingTest, TheNameExchangeIsTheLinesOwn) {
  us.line1.CallOut(kThem, "Them");
  At(them);
  // Asked for our name: the handle, or this computer's address toward the peer.
  Signal(kThem, code::kNameRequest);
  us.params.SetString("userName", "Ann");
  Signal(kThem, code::kNameRequest);
  Signal(kStranger, code::kNameRequest);  // no call with it: no answer
  const auto replies = them.Collect(us.Socket());
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0].code, code::kNameReply);
  EXPECT_EQ(replies[0].text, "192.0.2.9");
  EXPECT_EQ(replies[1].text, "Ann");
  EXPECT_TRUE(At(stranger).empty());

  Signal(kStranger, code::kNameReply, "Mallory");
  EXPECT_EQ(us.line1.PeerName(), "Them");
  Signal(kThem, code::kNameReply, "Bob");
  EXPECT_EQ(us.line1.PeerName(), "Bob");
}

TEST_F(CSignallingTest, OnlyThePeerOfACallPlacedOrHeldCanRefuseIt) {
  struct Case {
    const char* what;
    void (*enter)(CCallSide&);
    NetAddress from;
    bool refused;
  };
  const Case cases[] = {
      {"no call at all", [](CCallSide&) {}, kThem, false},
      {"calling out", [](CCallSide& s) { s.line2.CallOut(kThem, "Them"); }, kThem, true},
      {"ringing out",
       [](CCallSide& s) {
         s.line2.CallOut(kThem, "Them");
         s.line2.ReceiveCode(code::kRinging);
       },
       kThem, true},
      {"connected",
       [](CCallSide& s) {
         s.line2.CallOut(kThem, "Them");
         s.line2.ReceiveCode(code::kAnswer);
       },
       kThem, true},
      {"a stranger during a call",
       [](CCallSide& s) {
         s.line2.CallOut(kThem, "Them");
         s.line2.ReceiveCode(code::kAnswer);
       },
       kStranger, false},
      {"the caller of a call ringing here", [](CCallSide& s) { s.line2.Incoming(kThem, "Them"); }, kThem,
       false},
  };
  uint8_t host = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CCallSide side{Loopback(host++), Port()};  // the fixture's side holds our own address
    CRecordingClientListObserver list;
    CContacts book{side.params, list, side.boxes};
    CPresence presenceOf{book, side.clients, side.Socket()};
    RecordingCallEvents seen;
    CSignalling s{quitting, side.clients, presenceOf, seen, side.params, own, side.log, side.Socket()};
    c.enter(side);
    const LineState before = side.line2.State();
    side.TakeLog();
    s.OnSignal(ReceivedSignal{c.from, code::kRejection, "", 0});
    EXPECT_EQ(seen.events, c.refused ? Lines{"refused " + c.from.Text()} : Lines{});
    EXPECT_EQ(side.line2.State(), c.refused ? LineState::kHangUpSent : before);
    EXPECT_EQ(side.TakeLog(),
              c.refused ? Lines{} : Lines{"Rejection without a call dropped: " + c.from.Text()});
    them.Collect(side.Socket());
  }
}

TEST_F(CSignallingTest, SoundTypeRequestsAndSpeexOptionsGoOnAsCallEvents) {
  Signal(kThem, code::kSoundTypeRequest, "9058", 9058);
  Signal(kThem, code::kSoundTypeRequest, "speex", 0);
  Signal(kThem, code::kSpeexQuality, "7", 7);
  Signal(kThem, code::kSpeexDtx, "-1", -1);
  EXPECT_EQ(events.events, (Lines{"sound type 9058", "sound type 0", "speex 9100 7", "speex 9105 -1"}));
}

TEST_F(CSignallingTest, NothingIsHandledOnceTheProgramQuits) {
  quitting = 1;
  Signal(kStranger, code::kPresenceQuery);
  Signal(kThem, code::kCallRequest, "Caller");
  Signal(kThem, code::kSoundTypeRequest, "9058", 9058);
  EXPECT_TRUE(At(stranger).empty());
  EXPECT_TRUE(us.line2.IsFree());
  EXPECT_TRUE(events.events.empty());
  EXPECT_EQ(events.handled, 0);
}

}  // namespace
