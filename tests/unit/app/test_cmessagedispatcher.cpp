#include <gtest/gtest.h>

#include <algorithm>

#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>

#include "app/cmessagedispatcher.h"
#include "core/codes.h"
#include "core/windowmessage.h"
#include "fakes/cfakedispatchtargets.h"
#include "fakes/cfakemessageboxes.h"
#include "fakes/cmemorykeystore.h"
#include "net/transport.h"
#include "settings/cparams.h"
#include "ui/clientlist.h"
#include "ui/dlgmain.h"
#include "ui/linepage.h"

namespace {

using Calls = std::vector<std::string>;

class CMessageDispatcherTest : public ::testing::Test {
 protected:
  CMessageDispatcherTest() : params(store), dispatcher(state, window, params, boxes, targets) {
    state.shownOnce = 1;
    state.currentSndType = SoundType::kGsm8;
    dispatcher.SetQuitAction([this] { ++quits; });
  }

  void StartLine(int line) { dispatcher.HandleCode(Number(WindowMessage::kLineStarted), line); }

  CAppState state;
  TDlg window;
  CMemoryKeyStore store;
  CParams params;
  CFakeMessageBoxes boxes;
  CFakeDispatchTargets targets;
  CMessageDispatcher dispatcher;
  int quits = 0;
  const uint32_t peer = net::ParseAddress("10.1.2.3");
};

TEST_F(CMessageDispatcherTest, LineStartedShowsItsPageAndMakesItCurrent) {
  EXPECT_FALSE(window.IsTabShown(2));
  StartLine(2);
  EXPECT_TRUE(window.IsTabShown(2));
  EXPECT_FALSE(window.IsTabShown(1));
  EXPECT_EQ(window.PageInFront(), 2);
  EXPECT_EQ(state.currentLine.load(), 2);
}

TEST_F(CMessageDispatcherTest, LineReleasedFallsBackToAnotherShownPage) {
  StartLine(1);
  StartLine(2);
  dispatcher.HandleCode(Number(WindowMessage::kLineReleased), 2);
  EXPECT_FALSE(window.IsTabShown(2));
  EXPECT_EQ(window.PageInFront(), 1);
  EXPECT_EQ(state.currentLine.load(), 1);
  dispatcher.HandleCode(Number(WindowMessage::kLineReleased), 1);
  EXPECT_EQ(window.PageInFront(), 0);
  EXPECT_EQ(state.currentLine.load(), 0);
}

TEST_F(CMessageDispatcherTest, PeerNameIsCutTo15Characters) {
  window.LinePage(1).onLineValue->setText("0:05");
  dispatcher.HandleRecord(Number(WindowMessage::kPeerName), MakeTextRecord(1, "abcdefghijklmnopqrstuvwxyz"));
  EXPECT_EQ(window.LinePage(1).peerLabel->text(), "abcdefghijklmno");
  EXPECT_EQ(window.LinePage(1).onLineValue->text(), "");
  dispatcher.HandleRecord(Number(WindowMessage::kPeerName), MakeTextRecord(1, "Ann"));
  EXPECT_EQ(window.LinePage(1).peerLabel->text(), "Ann");
  dispatcher.HandleRecord(Number(WindowMessage::kPeerName),
                          MakeTextRecord(7, "nobody"));  // no such line: ignored
}

TEST_F(CMessageDispatcherTest, StatusRefreshOfAHiddenLineChangesNothing) {
  targets.traffic[1] = {5000, 2000};
  dispatcher.HandleRecord(Number(WindowMessage::kLineStatus), MakePairRecord(1, 75));
  EXPECT_EQ(window.LinePage(1).onLineValue->text(), "");
  EXPECT_EQ(targets.traffic[1].received, 5000u);
  EXPECT_TRUE(targets.calls.empty());
}

TEST_F(CMessageDispatcherTest, StatusRefreshFillsThePageAndFollowsTheSettings) {
  StartLine(1);
  targets.lines[1].peerAddress = peer;
  targets.traffic[1] = {5000, 2500};
  params.SetInt("ScopeOn", 1);
  params.SetInt("FilterBp", 1);
  dispatcher.HandleRecord(Number(WindowMessage::kLineStatus), MakePairRecord(1, 75));
  TLinePage& page = window.LinePage(1);
  EXPECT_EQ(page.onLineValue->text(), "1:15");
  EXPECT_EQ(page.rxValue->text(), "5");
  EXPECT_EQ(page.txValue->text(), "2.5");
  EXPECT_EQ(page.ipValue->text(), "10.1.2.3");
  EXPECT_EQ(page.soundTypeLabel->text(), "GSM 8 kHz mono");
  EXPECT_TRUE(page.ScopeShown());
  EXPECT_TRUE(page.FilterOn());
  EXPECT_EQ(targets.traffic[1].received, 0u);  // counts restart at each refresh

  // The scope button hides it again and stores that; the next refresh with
  // the setting off leaves it hidden.
  dispatcher.ToggleScope(1);
  EXPECT_FALSE(page.ScopeShown());
  EXPECT_EQ(params.GetInt("ScopeOn"), 0);
  params.SetInt("FilterBp", 0);
  dispatcher.HandleRecord(Number(WindowMessage::kLineStatus), MakePairRecord(1, 76));
  EXPECT_FALSE(page.ScopeShown());
  EXPECT_FALSE(page.FilterOn());
}

TEST_F(CMessageDispatcherTest, CodesReachTheirTargets) {
  struct Case {
    uint32_t code;
    bool withLine;
    Calls expected;
  };
  const std::string p = std::to_string(peer);
  const Case cases[] = {
      {Number(WindowMessage::kPresenceQueryReceived), false, {"ProbeReceived " + p}},
      {Number(WindowMessage::kPresenceReplyReceived), false, {"ReplyReceived " + p}},
      {Number(WindowMessage::kProbeClient), false, {"SendShort " + p + " 9005", "SendShort " + p + " 9043"}},
      {Number(WindowMessage::kProbeClient), true, {"SendShort " + p + " 9005", "SendShort " + p + " 9042"}},
      {Number(WindowMessage::kSendPresenceReply), false, {"SendShort " + p + " 9008"}},
      {Number(WindowMessage::kOfflineNoticeReceived),
       false,
       {"GoneOffline " + p, "RouteCode " + p + " 9031"}},
      {code::kRinging, false, {"RouteCode " + p + " 9024"}},
      {9026, false, {"RouteCode " + p + " 9026"}},
      {code::kHangUpAck, false, {"RouteCode " + p + " 9032"}},
      {code::kKeepAlive, false, {"RouteCode " + p + " 9034"}},
      {code::kBusyNotice, false, {"BusyChanged " + p + " 1"}},
      {code::kFreeNotice, false, {"BusyChanged " + p + " 0"}},
      {Number(WindowMessage::kReloadPreBuffer), false, {"ReloadPreBuffer"}},
      {Number(WindowMessage::kReloadScopeZoom), false, {"ReloadScopeZoom"}},
      {Number(WindowMessage::kReloadFilters), false, {"ReloadFilters"}},
      {Number(WindowMessage::kRestartAndAnnounce), false, {"RestartSound 9050 1"}},
      {976, false, {"MixerChanged " + p}},
      {977, false, {"MixerChanged " + p}},
      {9033, false, {}},
  };
  for (const Case& c : cases) {
    state.currentLine = c.withLine ? 1 : 0;
    targets.calls.clear();
    dispatcher.HandleCode(c.code, peer);
    EXPECT_EQ(targets.calls, c.expected) << c.code;
  }
}

TEST_F(CMessageDispatcherTest, SoundTypeRequestsAndTheRestartInProgress) {
  struct Case {
    uint32_t code;
    uint32_t value;
    bool restarting;
    Calls expected;
  };
  const Case cases[] = {
      {code::kSoundTypeRequest, 9058, false, {"RestartSound 9058 0"}},
      {code::kSoundTypeRequest, 9050, false, {}},  // already in force
      {Number(WindowMessage::kSwitchSoundType), 9050, false, {"RestartSound 9050 1"}},
      {code::kSoundTypeRequest, 9058, true, {}},
      {Number(WindowMessage::kSwitchSoundType), 9058, true, {}},
      {code::kSoundTypeRequest, 0, false, {}},  // a text that was no number
      {Number(WindowMessage::kSwitchSoundType), 9065, false, {}},
  };
  for (const Case& c : cases) {
    state.restarting = c.restarting;
    targets.calls.clear();
    dispatcher.HandleCode(c.code, c.value);
    EXPECT_EQ(targets.calls, c.expected) << c.code << " " << c.value;
  }
  // A locked sound type does not follow the peer; the user's own choice still applies.
  state.restarting = false;
  state.lockCodec = true;
  targets.calls.clear();
  dispatcher.HandleCode(code::kSoundTypeRequest, 9058);
  dispatcher.HandleCode(Number(WindowMessage::kSwitchSoundType), 9058);
  EXPECT_EQ(targets.calls, Calls{"RestartSound 9058 1"});
}

TEST_F(CMessageDispatcherTest, TheAnswerThatConnectsTheCurrentLineOpensTheDevicesAtOnce) {
  struct Case {
    uint32_t code;
    int currentLine;
    LineState state;
    bool restarting;
    bool opens;
  };
  const Case cases[] = {
      {code::kAnswer, 1, LineState::kConnected, false, true},               // the caller
      {code::kAnswerConfirmation, 1, LineState::kConnected, false, true},   // the called side
      {code::kAnswerConfirmation, 0, LineState::kConnected, false, false},  // no current line
      {code::kAnswerConfirmation, 1, LineState::kRinging, false, false},    // not the current line's answer
      {code::kAnswerConfirmation, 1, LineState::kConnected, true, false},   // the restart opens them itself
      {code::kKeepAlive, 1, LineState::kConnected, false, false},
  };
  const std::string routed = "RouteCode " + std::to_string(peer) + " ";
  for (const Case& c : cases) {
    state.currentLine = c.currentLine;
    state.restarting = c.restarting;
    targets.lines[1].state = c.state;
    targets.calls.clear();
    dispatcher.HandleCode(c.code, peer);
    Calls expected{routed + std::to_string(c.code)};
    if (c.opens) expected.push_back("OpenDevices");
    EXPECT_EQ(targets.calls, expected) << c.code << " line " << c.currentLine;
  }
}

TEST_F(CMessageDispatcherTest, SpeexOptionsAreAppliedOrSentInSendMode) {
  targets.lines[1].peerAddress = peer;
  dispatcher.HandleCode(code::kSpeexQuality, 7);
  dispatcher.HandleCode(Number(WindowMessage::kSpeexSendMode), 1);
  dispatcher.HandleCode(code::kSpeexComplexity, 3);  // no current line: nowhere to send
  state.currentLine = 1;
  dispatcher.HandleCode(code::kSpeexDtx, -2);
  dispatcher.HandleCode(Number(WindowMessage::kSpeexSendMode), 0);
  dispatcher.HandleCode(code::kSpeexVad, 1);
  EXPECT_EQ(targets.calls,
            (Calls{"ApplyRemoteSpeexOption 9100 7", "SendSignalling " + std::to_string(peer) + " 9105 -2",
                   "ApplyRemoteSpeexOption 9104 1"}));
}

TEST_F(CMessageDispatcherTest, NameRequestAnswersWithTheUserNameOrTheOwnAddress) {
  targets.lines[1].peerAddress = peer;
  targets.ownAddress = net::ParseAddress("192.0.2.5");
  dispatcher.HandleCode(code::kNameRequest, peer);  // no current line
  state.currentLine = 1;
  dispatcher.HandleCode(code::kNameRequest, peer);
  params.SetString("userName", "Ann");
  dispatcher.HandleCode(code::kNameRequest, peer);
  const std::string p = std::to_string(peer);
  EXPECT_EQ(targets.calls,
            (Calls{"SendSignalling " + p + " 9040 192.0.2.5", "SendSignalling " + p + " 9040 Ann"}));
}

TEST_F(CMessageDispatcherTest, OnlyThePeerOfACallPlacedOrHeldCanRejectIt) {
  const uint32_t stranger = 0x09090909;
  struct Case {
    const char* what;
    LineView line2;
    uint32_t from;
    Calls calls;
    std::size_t boxes;
  };
  const std::string dropped = "Log Rejection without a call dropped ";
  const Case cases[] = {
      {"no call at all", {}, peer, {dropped + std::to_string(peer)}, 0},
      {"calling out", {LineState::kCalling, true, false, peer, "10.1.2.3", true}, peer, {"HangUp 2"}, 1},
      {"ringing out", {LineState::kRinging, true, false, peer, "10.1.2.3", true}, peer, {"HangUp 2"}, 1},
      {"connected", {LineState::kConnected, true, false, peer, "10.1.2.3", false}, peer, {"HangUp 2"}, 1},
      {"a stranger during a call",
       {LineState::kConnected, true, false, peer, "10.1.2.3", true},
       stranger,
       {dropped + std::to_string(stranger)},
       0},
      {"the caller of a call ringing here",
       {LineState::kRinging, true, true, peer, "10.1.2.3", false},
       peer,
       {dropped + std::to_string(peer)},
       0},
  };
  for (const Case& c : cases) {
    targets.lines[2] = c.line2;
    targets.calls.clear();
    boxes.infos.clear();
    dispatcher.HandleCode(code::kRejection, c.from);
    EXPECT_EQ(targets.calls, c.calls) << c.what;
    ASSERT_EQ(boxes.infos.size(), c.boxes) << c.what;
    if (c.boxes) {
      EXPECT_EQ(boxes.infos[0], "Restricted access. 10.1.2.3 denied connection.");
    }
  }
  // A refusal of the sound type, from the receive thread, hangs up the page in front without a box.
  StartLine(2);
  targets.calls.clear();
  boxes.infos.clear();
  dispatcher.HandleCode(Number(WindowMessage::kHangUpFront), 0);
  EXPECT_EQ(targets.calls, Calls{"HangUp 2"});
  EXPECT_TRUE(boxes.infos.empty());
}

TEST_F(CMessageDispatcherTest, RecordsReachTheirTargets) {
  dispatcher.HandleRecord(code::kCallRequest, MakeTextRecord(static_cast<int32_t>(peer), "LllL"));
  dispatcher.HandleRecord(code::kNameReply, MakeTextRecord(static_cast<int32_t>(peer), "Bob"));  // no line
  state.currentLine = 2;
  dispatcher.HandleRecord(code::kNameReply, MakeTextRecord(static_cast<int32_t>(peer), "Bob"));
  dispatcher.HandleRecord(Number(WindowMessage::kLineImage), MakePairRecord(2, 5));
  const std::string p = std::to_string(peer);
  EXPECT_EQ(targets.calls, (Calls{"AcceptCallRequest " + p + " LllL", "TakePeerName 2 " + p + " Bob"}));
  EXPECT_EQ(window.TabImage(2), 5);
}

TEST_F(CMessageDispatcherTest, CommandsDriveLineTwoAndThePort) {
  dispatcher.HandleCommand(2, TextRecord{static_cast<int32_t>(peer), "ecc"});
  dispatcher.HandleCommand(3, TextRecord{0, ""});
  dispatcher.HandleCommand(5, TextRecord{4445, ""});
  dispatcher.HandleCommand(9, TextRecord{0, ""});
  EXPECT_EQ(targets.calls, (Calls{"PlaceCall 2 " + std::to_string(peer) + " ecc", "HangUp 2"}));
  EXPECT_EQ(params.GetInt("netPort"), 4445);
  // Written to the file at once, not only at quitting.
  const auto& stored = store.sections["params2"];
  EXPECT_TRUE(std::any_of(stored.begin(), stored.end(), [](const auto& entry) {
    return entry.second == "netPort = 4445";
  }));
}

TEST_F(CMessageDispatcherTest, NothingIsHandledWhileQuitting) {
  dispatcher.HandleCode(Number(WindowMessage::kQuit), 0);
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(state.quitting.load(), 1);
  dispatcher.HandleCode(Number(WindowMessage::kPresenceQueryReceived), peer);
  dispatcher.HandleCode(Number(WindowMessage::kQuit), 0);
  dispatcher.HandleRecord(code::kCallRequest, MakeTextRecord(1, "x"));
  dispatcher.HandleCommand(2, TextRecord{1, "ecc"});
  EXPECT_TRUE(targets.calls.empty());
  EXPECT_EQ(quits, 1);
}

TEST_F(CMessageDispatcherTest, ClientListEntriesFollowAddsAndRemoves) {
  dispatcher.HandleCode(Number(WindowMessage::kClientAdded), 0);
  dispatcher.HandleCode(Number(WindowMessage::kClientAdded), 0);
  EXPECT_EQ(window.ClientList().count(), 2);
  EXPECT_EQ(window.ClientList().currentRow(), 1);
  dispatcher.HandleCode(Number(WindowMessage::kClientRemoved), 1);
  EXPECT_EQ(window.ClientList().count(), 1);
  EXPECT_EQ(window.ClientList().currentRow(), 0);
  EXPECT_EQ(targets.calls, (Calls{"ClientSelected 0", "ClientSelected 1", "ClientSelected 0"}));
}

TEST_F(CMessageDispatcherTest, CommandAvailabilityFollowsThePageInFront) {
  window.ClientList().addItem("");
  targets.clientRows = 1;
  window.ClientList().setCurrentRow(0);
  dispatcher.RecomputeAvailability();
  EXPECT_TRUE(window.CommandAvailability().connect);
  EXPECT_FALSE(window.CommandAvailability().disconnect);
  EXPECT_TRUE(window.CommandAvailability().edit);

  targets.lines[1] = LineView{LineState::kRinging, true, true, peer, "10.1.2.3"};
  StartLine(1);
  EXPECT_TRUE(window.CommandAvailability().connect);
  EXPECT_TRUE(window.CommandAvailability().disconnect);
  EXPECT_TRUE(window.CommandAvailability().add);  // the peer is not a client yet
  EXPECT_FALSE(window.CommandAvailability().edit);
  targets.clients["10.1.2.3"] = 1;
  targets.lines[1].canAnswer = false;
  dispatcher.RecomputeAvailability();
  EXPECT_FALSE(window.CommandAvailability().connect);
  EXPECT_FALSE(window.CommandAvailability().add);
}

TEST_F(CMessageDispatcherTest, OnlyACallRingingInIsAnnounced) {
  struct Case {
    LineState state;
    bool outgoing;
    bool announced;
  };
  const Case cases[] = {
      {LineState::kIdle, false, true},        // a call comes in
      {LineState::kCalling, true, false},     // this side calls out
      {LineState::kConnected, false, false},  // a line in use comes to the front
      {LineState::kRinging, false, false},
  };
  for (const Case& c : cases) {
    targets.lines[2].state = c.state;
    targets.lines[2].outgoing = c.outgoing;
    targets.calls.clear();
    StartLine(2);
    const bool announced =
        std::find(targets.calls.begin(), targets.calls.end(), "AnnounceIncomingCall 2") != targets.calls.end();
    EXPECT_EQ(announced, c.announced) << static_cast<int>(c.state);
  }
}

}  // namespace
