#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ccallside.h"
#include "core/codes.h"
#include "fakes/crecordingclientlistobserver.h"
#include "loopbackporttest.h"
#include "net/cpresence.h"
#include "settings/ccontacts.h"

namespace {

using Codes = std::vector<uint32_t>;

// 127.1.0.n: loopback addresses the client list takes as clients.
NetAddress Loopback(uint8_t n) {
  return NetAddress::IPv4(htonl(0x7F010000u | n));
}

const NetAddress kUs = Loopback(1);
const NetAddress kThem = Loopback(2);
const NetAddress kOther = Loopback(3);
const NetAddress kStranger = Loopback(4);

// Our presence protocol against bare sockets standing in for two clients
// and a stranger; the client list is the real one.
class CPresenceTest : public LoopbackPortTest {
 protected:
  CPresenceTest() {
    contacts.Add("127.1.0.2", "Them");
    contacts.Add("127.1.0.3", "Other");
    rows.Clear();
  }
  Codes At(CLoopbackPeer& peer) { return peer.CollectCodes(us.Socket()); }
  void Ticks(int count) {
    for (int n = 0; n < count; ++n) presence.Tick();
  }

  CCallSide us{kUs, Port()};
  CLoopbackPeer them{kThem, Port()};
  CLoopbackPeer other{kOther, Port()};
  CLoopbackPeer stranger{kStranger, Port()};
  CRecordingClientListObserver rows;
  CContacts contacts{us.params, rows, us.boxes};
  CPresence presence{contacts, us.clients, us.Socket()};
};

TEST_F(CPresenceTest, ADueProbeCarriesThisSidesBusyState) {
  presence.Tick();  // the first tick of a new client's cycle
  EXPECT_EQ(At(them), (Codes{code::kPresenceQuery, code::kFreeNotice}));
  EXPECT_EQ(At(other), (Codes{code::kPresenceQuery, code::kFreeNotice}));
  Ticks(5);
  EXPECT_TRUE(At(them).empty());
  presence.SetBusy(true);
  At(them);
  presence.Tick();  // the seventh
  EXPECT_EQ(At(them), (Codes{code::kPresenceQuery, code::kBusyNotice}));
  EXPECT_TRUE(At(stranger).empty());
}

TEST_F(CPresenceTest, EveryClientHearsOfEachChangeOfBusyOnce) {
  presence.SetBusy(false);  // as the clients take it already
  EXPECT_TRUE(At(them).empty());
  presence.SetBusy(true);
  presence.SetBusy(true);
  presence.SetBusy(false);
  EXPECT_EQ(At(them), (Codes{code::kBusyNotice, code::kFreeNotice}));
  EXPECT_EQ(At(other), (Codes{code::kBusyNotice, code::kFreeNotice}));
  EXPECT_TRUE(At(stranger).empty());
}

TEST_F(CPresenceTest, EveryProberIsAnsweredAndOnlyClientsAreMarked) {
  presence.ProbeReceived(kStranger);
  EXPECT_EQ(At(stranger), Codes{code::kPresenceReply});
  presence.ProbeReceived(kThem);
  EXPECT_EQ(At(them), Codes{code::kPresenceReply});
  EXPECT_TRUE(contacts.FindByAddress(kThem)->IsOnline());
  presence.ReplyReceived(kOther);
  EXPECT_TRUE(At(other).empty());
  EXPECT_TRUE(contacts.FindByAddress(kOther)->IsOnline());
  presence.BusyReceived(kOther, true);
  EXPECT_TRUE(contacts.FindByAddress(kOther)->IsBusy());
  EXPECT_EQ(rows.Take(), std::vector<std::string>{"marks"});
}

TEST_F(CPresenceTest, AProbeOfThePeerOfACallTimesItsRoundTrip) {
  us.line1.CallOut(kThem, "Them");
  At(them);
  EXPECT_LT(us.line1.RoundTripMs(), 0);
  presence.Tick();
  presence.ReplyReceived(kThem);
  EXPECT_GE(us.line1.RoundTripMs(), 0);
}

TEST_F(CPresenceTest, AGoodbyeEndsTheMarksAndTheCallAndQuittingSaysGoodbyeToEveryClient) {
  presence.ReplyReceived(kThem);
  presence.BusyReceived(kThem, true);
  us.line2.Incoming(kThem, "Them");
  us.line2.Answer();
  us.line2.ReceiveCode(code::kAnswerConfirmation);
  At(them);

  presence.GoodbyeReceived(kThem);
  EXPECT_FALSE(contacts.FindByAddress(kThem)->IsOnline());
  EXPECT_FALSE(contacts.FindByAddress(kThem)->IsBusy());
  EXPECT_EQ(us.line2.State(), LineState::kHangUpAcknowledged);
  EXPECT_EQ(At(them), Codes{code::kHangUpAck});

  presence.SayGoodbye();
  EXPECT_EQ(At(them), Codes{code::kOfflineNotice});
  EXPECT_EQ(At(other), Codes{code::kOfflineNotice});
  EXPECT_TRUE(At(stranger).empty());
}

}  // namespace
