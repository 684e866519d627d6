#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "ccallside.h"
#include "core/codes.h"
#include "loopbackporttest.h"
#include "net/cclient.h"
#include "fakes/cdeferredresolver.h"
#include "net/cclients.h"
#include "net/transport.h"
#include "settings/cparams.h"

namespace {

using Codes = std::vector<uint32_t>;
using Lines = std::vector<std::string>;

const NetAddress kUs = CLoopbackPeer::Loopback(1);
const NetAddress kThem = CLoopbackPeer::Loopback(2);
const NetAddress kOther = CLoopbackPeer::Loopback(3);
const NetAddress kThird = CLoopbackPeer::Loopback(4);
const std::string kThemText = "127.0.0.2";
const std::string kOtherText = "127.0.0.3";

std::string Encoded(const std::string& typed) {
  return CCallSide::Encoded(typed);
}

// Our line set against bare sockets standing in for the peers.
class LineSetTest : public LoopbackPortTest {
 protected:
  Codes ArrivedAt(CLoopbackPeer& peer) { return peer.CollectCodes(us.Socket()); }
  // Which of our lines talks to the address: 1, 2, or 0 for none.
  int LineNumberOf(CClient* line) { return line ? line->LineNumber() : 0; }
  void Occupy(int line, const NetAddress& peer) {
    if (!peer.IsNone()) us.Line(line).CallOut(peer, "Busy");
  }
  void Quiet() {
    ArrivedAt(them);
    ArrivedAt(other);
    us.TakeWindow();
    us.TakeLog();
  }

  CCallSide us{kUs, Port()};
  CLoopbackPeer them{kThem, Port()};
  CLoopbackPeer other{kOther, Port()};
};

struct ChooseCase {
  const char* name;
  NetAddress line1Peer;
  NetAddress line2Peer;
  NetAddress address;
  int chosen;
  friend void PrintTo(const ChooseCase& c, std::ostream* out) { *out << c.name; }
};

class ChooseLine : public LineSetTest, public testing::WithParamInterface<ChooseCase> {};

TEST_P(ChooseLine, PrefersTheLineOfThePeerThenTheLastFreeLine) {
  const ChooseCase& c = GetParam();
  Occupy(1, c.line1Peer);
  Occupy(2, c.line2Peer);
  EXPECT_EQ(LineNumberOf(us.clients.ChooseLine(c.address)), c.chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChooseLine,
    testing::Values(ChooseCase{"BothFree", NetAddress(), NetAddress(), kThem, 2},
                    ChooseCase{"OnlyLine1Free", NetAddress(), kOther, kThem, 1},
                    ChooseCase{"OnlyLine2Free", kOther, NetAddress(), kThem, 2},
                    ChooseCase{"Line1HasThePeer", kThem, NetAddress(), kThem, 1},
                    ChooseCase{"Line2HasThePeerLine1Free", NetAddress(), kThem, kThem, 2},
                    ChooseCase{"Line2HasThePeerLine1Busy", kOther, kThem, kThem, 2},
                    ChooseCase{"BothBusyWithOthers", kOther, kThird, kThem, 0},
                    ChooseCase{"AddressZero", NetAddress(), NetAddress(), NetAddress(), 0}),
    [](const testing::TestParamInfo<ChooseCase>& info) { return std::string(info.param.name); });

TEST_F(LineSetTest, TickAllTicksLineOneThenLineTwoAndReportsEachSecondOnce) {
  us.now = 500;
  Occupy(1, kThem);
  Occupy(2, kOther);
  Quiet();
  us.now = 503;
  us.clients.TickAll();
  EXPECT_EQ(us.TakeWindow(), (Lines{"state 1 calling", "age 1 3", "state 2 calling", "age 2 3"}));
  us.clients.TickAll();
  EXPECT_TRUE(us.TakeWindow().empty());
  us.now = 504;
  us.clients.TickAll();
  EXPECT_EQ(us.TakeWindow(), (Lines{"age 1 4", "age 2 4"}));

  // The same second still counts as a tick for the schedule: the request
  // goes out again at the third tick.
  us.clients.TickAll();
  EXPECT_EQ(ArrivedAt(them), Codes{code::kCallRequest});
}

TEST_F(LineSetTest, PlaceCallTakesAParsableAddressToItsLine) {
  us.clients.PlaceCall("no address", "X");
  us.clients.PlaceCall("0.0.0.0", "X");
  EXPECT_TRUE(us.TakeWindow().empty());

  us.clients.PlaceCall(kThemText, "Them");
  EXPECT_EQ(ArrivedAt(them), Codes{code::kCallRequest});
  EXPECT_EQ(us.TakeWindow(), (Lines{"name 2 'Them'", "started 2"}));

  // A second call to the same peer only brings its page forward.
  us.clients.PlaceCall(kThemText, "Them");
  EXPECT_TRUE(ArrivedAt(them).empty());
  EXPECT_EQ(us.TakeWindow(), Lines{"started 2"});

  us.clients.PlaceCall(kOtherText, "Other");
  EXPECT_EQ(ArrivedAt(other), Codes{code::kCallRequest});
  EXPECT_EQ(us.TakeWindow(), (Lines{"name 1 'Other'", "started 1"}));

  // Both lines busy: no call.
  us.clients.PlaceCall("127.0.0.4", "Third");
  EXPECT_TRUE(us.TakeWindow().empty());
}

TEST_F(LineSetTest, CodesReachOnlyTheLineOfTheirSender) {
  Occupy(1, kOther);
  Occupy(2, kThem);
  Quiet();
  us.clients.RouteCode(kThem, code::kRinging);
  EXPECT_EQ(us.line2.State(), LineState::kRinging);
  EXPECT_EQ(us.line1.State(), LineState::kCalling);

  us.clients.RouteCode(kThird, code::kRinging);
  us.clients.RouteCode(NetAddress(), code::kRinging);
  EXPECT_EQ(us.line1.State(), LineState::kCalling);

  EXPECT_EQ(us.clients.ChooseLine(kThem), &us.line2);
  EXPECT_EQ(us.clients.ChooseLine(kOther), &us.line1);
  EXPECT_EQ(us.clients.ChooseLine(kThird), nullptr);
}

TEST_F(LineSetTest, AFreeLineIsNeverTheLineOfAddressZero) {
  EXPECT_EQ(us.clients.ChooseLine(NetAddress()), nullptr);
  us.clients.RouteCode(NetAddress(), code::kHangUp);
  us.clients.AcceptCall(NetAddress(), "Nobody");
  EXPECT_TRUE(us.line1.IsFree());
  EXPECT_TRUE(us.line2.IsFree());
}

TEST_F(LineSetTest, AnyRingingWhileALineRingsOnEitherSide) {
  EXPECT_FALSE(us.clients.AnyRinging());
  us.clients.AcceptCall(kThem, "Them");
  EXPECT_TRUE(us.clients.AnyRinging());
  us.line2.Answer();
  EXPECT_FALSE(us.clients.AnyRinging());
  us.clients.PlaceCall(kOtherText, "Other");
  EXPECT_FALSE(us.clients.AnyRinging());
  us.clients.RouteCode(kOther, code::kRinging);
  EXPECT_TRUE(us.clients.AnyRinging());
}

TEST_F(LineSetTest, ARepeatedRequestDrawsTheRingingAgainAndNoSecondLine) {
  us.clients.ReceiveCallRequest(kThem, "Them");
  EXPECT_EQ(ArrivedAt(them), (Codes{code::kNameRequest, code::kRinging}));
  us.clients.ReceiveCallRequest(kThem, "Them");
  EXPECT_EQ(ArrivedAt(them), Codes{code::kRinging});
  EXPECT_TRUE(us.line1.IsFree());
}

TEST_F(LineSetTest, ACallerFindingBothLinesBusyGetsNoReply) {
  Occupy(1, kOther);
  Occupy(2, kThird);
  Quiet();
  us.clients.ReceiveCallRequest(kThem, "Them");
  EXPECT_TRUE(ArrivedAt(them).empty());
  EXPECT_TRUE(us.TakeWindow().empty());
  EXPECT_TRUE(us.TakeLog().empty());
}

TEST_F(LineSetTest, ARequestFromAddressZeroIsIgnored) {
  us.params.SetInt("KeyOn", 1);
  us.clients.ReceiveCallRequest(NetAddress(), "Alice");
  EXPECT_TRUE(us.TakeLog().empty());
  EXPECT_TRUE(us.line2.IsFree());
}

// Access control of a call request from 127.0.0.2.
struct AccessCase {
  const char* name;
  int keyOn;
  std::string key;  // as the user typed it; stored encoded
  int restrict;
  bool callerIsClient;  // listed as "Office"
  std::string request;
  std::string shown;    // the accepted call's name; empty when refused
  std::string refusal;  // the log text of a refusal
  friend void PrintTo(const AccessCase& c, std::ostream* out) { *out << c.name; }
};

const std::string kSecret = "secret";
const std::string kLongKey(198, 'k');

class CallRequestAccess : public LineSetTest, public testing::WithParamInterface<AccessCase> {};

TEST_P(CallRequestAccess, AcceptsOrRefusesWithARejectionAndALogLine) {
  const AccessCase& c = GetParam();
  us.SetPassword(c.keyOn, c.key);
  us.params.SetInt("AutoConnectRestrict", c.restrict);
  if (c.callerIsClient) us.directory.clients[kThemText] = "Office";

  us.clients.ReceiveCallRequest(kThem, c.request);

  const auto arrived = them.Collect(us.Socket());
  if (c.shown.empty()) {
    ASSERT_EQ(arrived.size(), 1u);
    EXPECT_EQ(arrived[0].code, code::kRejection);
    EXPECT_EQ(arrived[0].size, datagram::kShortBytes);
    EXPECT_EQ(us.TakeLog(), Lines{c.refusal + ": " + kThemText});
    EXPECT_TRUE(us.line1.IsFree());
    EXPECT_TRUE(us.line2.IsFree());
    EXPECT_TRUE(us.TakeWindow().empty());
  } else {
    ASSERT_EQ(arrived.size(), 2u);
    EXPECT_EQ(arrived[1].code, code::kRinging);
    EXPECT_EQ(us.line2.PeerName(), c.shown);
    EXPECT_EQ(us.TakeWindow(), (Lines{"name 2 '" + c.shown + "'", "started 2"}));
    EXPECT_TRUE(us.TakeLog().empty());
  }
}

const std::string kPasswordRejected = "Remote password rejected";
const std::string kNotAClient = "Remote rejected, not in client list";

INSTANTIATE_TEST_SUITE_P(
    Cases, CallRequestAccess,
    testing::Values(
        AccessCase{"NameWithoutPassword", 0, "", 0, false, "Alice", "Alice", ""},
        AccessCase{"ClientShownByItsListName", 0, "", 0, true, "Alice", "Office", ""},
        AccessCase{"RightPassword", 1, kSecret, 0, false, "LllL" + Encoded(kSecret), "...", ""},
        AccessCase{"RightPasswordFromAClient", 1, kSecret, 0, true, "LllL" + Encoded(kSecret), "Office", ""},
        AccessCase{"WrongPassword", 1, kSecret, 0, false, "LllL" + Encoded("guess"), "", kPasswordRejected},
        AccessCase{"PasswordMissing", 1, kSecret, 0, false, "Alice", "", kPasswordRejected},
        AccessCase{"WrongPasswordFromAClient", 1, kSecret, 0, true, "LllL" + Encoded("guess"), "",
                   kPasswordRejected},
        AccessCase{"PasswordWhileNoneIsAsked", 0, kSecret, 0, false, "LllL" + Encoded(kSecret), "...", ""},
        AccessCase{"FourCapitalLettersCarryAPassword", 1, kSecret, 0, false, "LLLL" + Encoded(kSecret), "...",
                   ""},
        AccessCase{"AnyMixOfFourLettersCarriesAPassword", 1, kSecret, 0, false, "lLlL" + Encoded(kSecret),
                   "...", ""},
        AccessCase{"FiveLettersCarryNone", 1, kSecret, 0, false, "LllLL" + Encoded(kSecret), "",
                   kPasswordRejected},
        AccessCase{"FiveLettersAreAName", 0, "", 0, false, "LllLLuke", "LllLLuke", ""},
        AccessCase{"ThreeLettersAreAName", 0, "", 0, false, "LllAlice", "LllAlice", ""},
        AccessCase{"PrefixAloneIsAnEmptyPassword", 1, "", 0, false, "LllL", "...", ""},
        AccessCase{"EmptyPasswordDoesNotMatchAStoredOne", 1, kSecret, 0, false, "LllL", "",
                   kPasswordRejected},
        AccessCase{"LongPasswordAsACallerCutsIt", 1, kLongKey, 0, false,
                   "LllL" + Encoded(kLongKey).substr(0, 195), "...", ""},
        AccessCase{"LongPasswordUncut", 1, kLongKey, 0, false, "LllL" + Encoded(kLongKey), "...", ""},
        AccessCase{"LongPasswordWrongWithinTheField", 1, kLongKey, 0, false,
                   "LllL" + Encoded(std::string(100, 'k') + std::string(98, 'x')), "", kPasswordRejected},
        AccessCase{"NotAClientWhileRestricted", 0, "", 1, false, "Alice", "", kNotAClient},
        AccessCase{"ClientWhileRestricted", 0, "", 1, true, "Alice", "Office", ""},
        AccessCase{"PasswordCheckedBeforeTheList", 1, kSecret, 1, false, "LllL" + Encoded("guess"), "",
                   kPasswordRejected},
        AccessCase{"RightPasswordButNotAClient", 1, kSecret, 1, false, "LllL" + Encoded(kSecret), "",
                   kNotAClient},
        AccessCase{"LongNameIsCut", 0, "", 0, false, std::string(600, 'a'), std::string(199, 'a'), ""}),
    [](const testing::TestParamInfo<AccessCase>& info) { return std::string(info.param.name); });

// The automatic call at the first show of the window. The client list is
// the fake, so a name that resolves to this machine is kept as found.
struct AutoCallCase {
  const char* name;
  std::string autoCallOutIp;
  int dns;
  std::string clientName;      // of the client at 127.0.0.2; empty: not a client
  std::string refusedAddress;  // one the list will not take
  std::string calledAt;        // address text the request went to; empty: no call
  std::string storedAfter;
  std::map<std::string, std::string> listAfter;
  std::vector<std::string> errors;
  friend void PrintTo(const AutoCallCase& c, std::ostream* out) { *out << c.name; }
};

const std::string kDnsFailed = "DNS query failed. Host name not found";

class AutoCallOut : public LineSetTest, public testing::WithParamInterface<AutoCallCase> {};

TEST_P(AutoCallOut, CallsTheListedClientAtItsPossiblyRefreshedAddress) {
  const AutoCallCase& c = GetParam();
  us.params.SetString("AutoCallOutIp", c.autoCallOutIp);
  us.params.SetInt("AutoCallOutIpDns", c.dns);
  if (!c.clientName.empty()) us.directory.clients[kThemText] = c.clientName;
  if (!c.refusedAddress.empty()) us.directory.refused.insert(c.refusedAddress);

  us.clients.AutoCallOut();

  const Codes atThem = ArrivedAt(them);
  // A name resolving to this machine makes the call go to our own address.
  const Codes atUs = us.peer.CollectCodes(us.Socket());
  EXPECT_EQ(atThem, c.calledAt == kThemText ? Codes{code::kCallRequest} : Codes{});
  EXPECT_EQ(atUs, c.calledAt == "127.0.0.1" ? Codes{code::kCallRequest} : Codes{});
  if (!c.calledAt.empty()) {
    EXPECT_EQ(us.line2.PeerAddressText(), c.calledAt);
    EXPECT_EQ(us.line2.PeerName(), c.clientName);
  } else {
    EXPECT_TRUE(us.line2.IsFree());
  }
  std::string stored;
  us.params.GetString("AutoCallOutIp", stored);
  EXPECT_EQ(stored, c.storedAfter);
  EXPECT_EQ(us.directory.clients, c.listAfter);
  EXPECT_EQ(us.boxes.errors, c.errors);

  // Only the first show calls.
  us.line2.HangUp();
  for (int tick = 0; tick < 5; ++tick) us.line2.Tick(0);
  ArrivedAt(them);
  us.clients.AutoCallOut();
  EXPECT_TRUE(us.line2.IsFree());
  EXPECT_TRUE(ArrivedAt(them).empty());
}

using ClientMap = std::map<std::string, std::string>;

INSTANTIATE_TEST_SUITE_P(
    Cases, AutoCallOut,
    testing::Values(
        AutoCallCase{"Unset", "", 0, "Office", "", "", "", ClientMap{{kThemText, "Office"}}, {}},
        AutoCallCase{
            "FourCharacters", "abcd", 0, "Office", "", "", "abcd", ClientMap{{kThemText, "Office"}}, {}},
        AutoCallCase{"NotAnAddress",
                     "not an address",
                     0,
                     "Office",
                     "",
                     "",
                     "not an address",
                     ClientMap{{kThemText, "Office"}},
                     {}},
        AutoCallCase{"NotAClient", kThemText, 0, "", "", "", kThemText, ClientMap{}, {}},
        AutoCallCase{
            "Client", kThemText, 0, "Office", "", kThemText, kThemText, ClientMap{{kThemText, "Office"}}, {}},
        AutoCallCase{"ResolvedNameMovesTheClient",
                     kThemText,
                     1,
                     "localhost",
                     "",
                     "127.0.0.1",
                     "127.0.0.1",
                     ClientMap{{"127.0.0.1", "localhost"}},
                     {}},
        AutoCallCase{"UnresolvedNameKeepsTheAddress",
                     kThemText,
                     1,
                     "no-such-host.invalid",
                     "",
                     kThemText,
                     kThemText,
                     ClientMap{{kThemText, "no-such-host.invalid"}},
                     {kDnsFailed}},
        AutoCallCase{"RefusedNewAddressKeepsTheClient",
                     kThemText,
                     1,
                     "localhost",
                     "127.0.0.1",
                     kThemText,
                     kThemText,
                     ClientMap{{kThemText, "localhost"}},
                     {}}),
    [](const testing::TestParamInfo<AutoCallCase>& info) { return std::string(info.param.name); });

TEST_F(LineSetTest, TheAutomaticCallWaitsForTheResolverAndThenGoesToTheAddressFound) {
  CDeferredResolver resolver;
  us.clients.SetResolver(&resolver);
  us.params.SetString("AutoCallOutIp", kThemText);
  us.params.SetInt("AutoCallOutIpDns", 1);
  us.directory.clients[kThemText] = "office.example";

  us.clients.AutoCallOut();
  ASSERT_EQ(resolver.pending.size(), 1u);
  EXPECT_EQ(resolver.pending[0].host, "office.example");
  // Nothing is called while the resolver thinks; the lines tick on.
  for (int tick = 0; tick < 3; ++tick) us.clients.TickAll();
  EXPECT_TRUE(us.line2.IsFree());
  EXPECT_TRUE(ArrivedAt(them).empty());

  resolver.Answer({NetAddress::Parse(kThemText)});
  EXPECT_EQ(ArrivedAt(them), Codes{code::kCallRequest});
  EXPECT_EQ(us.line2.PeerAddressText(), kThemText);
  us.clients.SetResolver(nullptr);
}

// "Connect with DNS resolve" on the client at 127.0.0.2 named "them.example".
struct DnsCallCase {
  const char* name;
  std::vector<NetAddress> found;  // what the resolver answers
  std::map<std::string, std::string> otherClients;
  std::string refused;  // an address the list will not take
  bool foundIsOwn;
  std::map<std::string, std::string> listAfter;
  std::string calledAt;  // empty: no call
  std::vector<std::string> infos;
  std::vector<std::string> errors;
  friend void PrintTo(const DnsCallCase& c, std::ostream* out) { *out << c.name; }
};

class ConnectWithDns : public LineSetTest, public testing::WithParamInterface<DnsCallCase> {};

TEST_P(ConnectWithDns, ReaddressesTheClientInPlaceAndCallsOrSaysWhyNot) {
  const DnsCallCase& c = GetParam();
  CDeferredResolver resolver;
  us.clients.SetResolver(&resolver);
  us.clients.SetOwnAddressCheck([&](const NetAddress& address) { return c.foundIsOwn && address == kOther; });
  us.directory.clients = c.otherClients;
  us.directory.clients[kThemText] = "them.example";
  if (!c.refused.empty()) us.directory.refused.insert(c.refused);
  us.params.SetString("AutoCallOutIp", kThemText);

  us.clients.ConnectWithDns(kThemText, "them.example");
  ASSERT_EQ(resolver.pending.size(), 1u);
  EXPECT_EQ(resolver.pending[0].host, "them.example");
  resolver.Answer(c.found);

  EXPECT_EQ(us.directory.clients, c.listAfter);
  EXPECT_EQ(ArrivedAt(them), Codes{});
  EXPECT_EQ(ArrivedAt(other), c.calledAt == kOtherText ? Codes{code::kCallRequest} : Codes{});
  if (c.calledAt.empty()) {
    EXPECT_TRUE(us.line1.IsFree() && us.line2.IsFree());
  } else {
    EXPECT_EQ(us.line2.PeerAddressText(), c.calledAt);
    EXPECT_EQ(us.line2.PeerName(), "them.example");
  }
  std::string autoCall;
  us.params.GetString("AutoCallOutIp", autoCall);
  EXPECT_EQ(autoCall, c.calledAt.empty() ? kThemText : c.calledAt);
  EXPECT_EQ(us.boxes.infos, c.infos);
  EXPECT_EQ(us.boxes.errors, c.errors);
  us.clients.SetResolver(nullptr);
}

const std::string kUnchanged = ". Nothing was changed.";

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectWithDns,
    testing::Values(
        DnsCallCase{"InPlace", {kOther, kThird}, {}, "", false, ClientMap{{kOtherText, "them.example"}}, kOtherText,
                    {}, {}},
        DnsCallCase{"TakenByAnotherClient",
                    {kOther},
                    ClientMap{{kOtherText, "Other"}},
                    "",
                    false,
                    ClientMap{{kThemText, "them.example"}, {kOtherText, "Other"}},
                    "",
                    {"them.example resolves to " + kOtherText + ", the address of the client Other" + kUnchanged},
                    {}},
        DnsCallCase{"RefusedByTheList",
                    {kOther},
                    {},
                    kOtherText,
                    false,
                    ClientMap{{kThemText, "them.example"}},
                    "",
                    {"them.example resolves to " + kOtherText + ", which no client can have" + kUnchanged},
                    {}},
        DnsCallCase{"ThisComputersAddress",
                    {kOther},
                    {},
                    "",
                    true,
                    ClientMap{{kThemText, "them.example"}},
                    "",
                    {"them.example resolves to " + kOtherText + ", an address of this computer" + kUnchanged},
                    {}},
        DnsCallCase{"LookupFails", {}, {}, "", false, ClientMap{{kThemText, "them.example"}}, "", {}, {kDnsFailed}}),
    [](const testing::TestParamInfo<DnsCallCase>& info) { return std::string(info.param.name); });

TEST_F(LineSetTest, ConnectWithDnsWantsAQualifiedName) {
  CDeferredResolver resolver;
  us.clients.SetResolver(&resolver);
  for (const char* name : {"office", "a.b", ".office"}) us.clients.ConnectWithDns(kThemText, name);
  us.clients.ConnectWithDns(kThemText, "ab.c");
  EXPECT_EQ(us.boxes.infos, (std::vector<std::string>{"office is not a qualified domain name. Aborting.",
                                                      "a.b is not a qualified domain name. Aborting.",
                                                      ".office is not a qualified domain name. Aborting."}));
  ASSERT_EQ(resolver.pending.size(), 1u);
  EXPECT_EQ(resolver.pending[0].host, "ab.c");
  us.clients.SetResolver(nullptr);
}

}  // namespace
