#include <gtest/gtest.h>

#include <QLabel>
#include <QTabWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ccommandavailability.h"
#include "app/clinepresenter.h"
#include "core/codes.h"
#include "fakes/cfakemessageboxes.h"
#include "fakes/crecordingclientlistobserver.h"
#include "fakes/cmemorykeystore.h"
#include "fakes/ctempdirectory.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "net/cudpsocket.h"
#include "net/transport.h"
#include "settings/ccontacts.h"
#include "settings/clog.h"
#include "settings/cparams.h"
#include "ui/dlgmain.h"
#include "ui/linepage.h"

namespace {

// Two real lines telling the presenter of their calls, which it shows on a
// real window; the peers are loopback addresses nobody answers on.
class CLinePresenterTest : public ::testing::Test {
 protected:
  CLinePresenterTest() {
    state.shownOnce = 1;
    state.currentSndType = SoundType::kGsm8;
    presenter.SetRingingInAction([this](const std::string& caller) { ringingIn.push_back(caller); });
    presenter.SetConnectedAction([this](int line) { connected.push_back(line); });
  }

  // Hangs a line up and ticks it until it is free again.
  void Release(CClient& line) {
    line.HangUp();
    for (int tick = 0; tick < 6; ++tick) line.Tick(0);
  }

  CAppState state;
  TDlg window;
  CMemoryKeyStore store;
  CParams params{store};
  CTempDirectory logFolder;
  CLog log{params, logFolder.Path(), [] { return std::string("T"); }};
  net::CUdpSocket socket{0, NetAddress::Parse("127.0.0.1")};
  CRecordingClientListObserver clientList;
  CFakeMessageBoxes boxes;
  CContacts contacts{params, clientList, boxes};
  int recomputed = 0;
  CLinePresenter presenter{state, window, params, [this] { ++recomputed; }};
  CClient line1{1, params, log, presenter, socket};
  CClient line2{2, params, log, presenter, socket};
  CClients lines{line1, line2, params, log, contacts, boxes, socket};
  std::vector<std::string> ringingIn;
  std::vector<int> connected;
  const NetAddress peer = NetAddress::Parse("127.1.0.2");
  const NetAddress other = NetAddress::Parse("127.1.0.3");
};

TEST_F(CLinePresenterTest, AStartedLineShowsItsPageAndBecomesCurrent) {
  EXPECT_FALSE(window.IsTabShown(2));
  line2.CallOut(peer, "Them");
  EXPECT_TRUE(window.IsTabShown(2));
  EXPECT_FALSE(window.IsTabShown(1));
  EXPECT_EQ(window.PageInFront(), 2);
  EXPECT_EQ(state.currentLine.load(), 2);
  EXPECT_GT(recomputed, 0);
  EXPECT_TRUE(ringingIn.empty()) << "a call placed here is not announced";
}

TEST_F(CLinePresenterTest, AReleasedLineHandsTheFrontToAnotherShownPage) {
  line1.CallOut(peer, "Them");
  line2.CallOut(other, "Other");
  Release(line2);
  EXPECT_FALSE(window.IsTabShown(2));
  EXPECT_EQ(window.PageInFront(), 1);
  EXPECT_EQ(state.currentLine.load(), 1);
  Release(line1);
  EXPECT_EQ(window.PageInFront(), 0);
  EXPECT_EQ(state.currentLine.load(), 0);
}

TEST_F(CLinePresenterTest, TheTabShowsWhereTheCallStands) {
  line2.CallOut(peer, "Them");
  line2.Tick(0);
  EXPECT_EQ(window.TabImage(2), 4);  // calling
  line2.ReceiveCode(code::kRinging);
  line2.Tick(0);
  EXPECT_EQ(window.TabImage(2), 3);
  line2.ReceiveCode(code::kAnswer);
  line2.Tick(0);
  EXPECT_EQ(window.TabImage(2), 1);
  Release(line2);
  EXPECT_EQ(window.TabImage(2), 2);  // free again
}

TEST_F(CLinePresenterTest, ThePeersNameShowsItsFirst15Characters) {
  window.LinePage(1).onLineValue->setText("0:05");
  line1.CallOut(peer, "abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(window.LinePage(1).peerLabel->text(), "abcdefghijklmno");
  EXPECT_EQ(window.LinePage(1).onLineValue->text(), "");
  line1.SetPeerName(peer, "Ann");
  EXPECT_EQ(window.LinePage(1).peerLabel->text(), "Ann");
}

TEST_F(CLinePresenterTest, EachSecondFillsThePageAndFollowsTheSettings) {
  line1.CallOut(peer, "Them");
  line1.AddRxBytes(5000);
  line1.AddTxBytes(2500);
  params.SetInt("ScopeOn", 1);
  params.SetInt("FilterBp", 1);
  presenter.CallAge(line1, 75);
  TLinePage& page = window.LinePage(1);
  EXPECT_EQ(page.onLineValue->text(), "1:15");
  EXPECT_EQ(page.rxValue->text(), "5");
  EXPECT_EQ(page.txValue->text(), "2.5");
  EXPECT_EQ(page.ipValue->text(), "127.1.0.2");
  EXPECT_EQ(page.soundTypeLabel->text(), "GSM 8 kHz mono");
  EXPECT_TRUE(page.ScopeShown());
  EXPECT_TRUE(page.FilterOn());
  EXPECT_EQ(line1.TakeRxBytes(), 0u);  // the counts restart at each refresh

  // The scope button hides it again and stores that; the next refresh with
  // the setting off leaves it hidden.
  presenter.ToggleScope(1);
  EXPECT_FALSE(page.ScopeShown());
  EXPECT_EQ(params.GetInt("ScopeOn"), 0);
  params.SetInt("FilterBp", 0);
  presenter.CallAge(line1, 76);
  EXPECT_FALSE(page.ScopeShown());
  EXPECT_FALSE(page.FilterOn());

  // A line whose tab is hidden is not refreshed, nor are its counts taken.
  line2.AddRxBytes(7000);
  presenter.CallAge(line2, 3);
  EXPECT_EQ(window.LinePage(2).onLineValue->text(), "");
  EXPECT_EQ(line2.TakeRxBytes(), 7000u);
}

TEST_F(CLinePresenterTest, OnlyACallRingingInIsAnnounced) {
  line2.Incoming(peer, "Caller");
  EXPECT_EQ(ringingIn, std::vector<std::string>{"Caller"});
  line2.Incoming(peer, "Caller");  // a repeated request brings nothing new
  line1.CallOut(other, "Other");
  line1.CallOut(other, "Other");  // a line in use brought to the front
  EXPECT_EQ(ringingIn.size(), 1u);

}

// The answer that brings the current line's call up opens its devices at
// once rather than at the next tick.
TEST_F(CLinePresenterTest, TheCurrentLinesCallComingUpIsTold) {
  line2.Incoming(peer, "Caller");  // current now
  line2.Answer();
  EXPECT_TRUE(connected.empty());
  line2.ReceiveCode(code::kAnswerConfirmation);  // the called side
  EXPECT_EQ(connected, std::vector<int>{2});

  line1.CallOut(other, "Other");  // current now
  state.restarting = true;
  line1.ReceiveCode(code::kAnswer);  // a restart opens the devices itself
  EXPECT_EQ(connected, std::vector<int>{2});
  state.restarting = false;
  line1.ReceiveCode(code::kAnswer);  // the caller confirms a repeated answer again, and that is all
  EXPECT_EQ(connected, std::vector<int>{2});

  Release(line1);
  Release(line2);
  line2.CallOut(other, "Other");
  line1.Incoming(peer, "Caller");  // line 1 current, line 2 behind it
  line2.ReceiveCode(code::kAnswer);
  EXPECT_EQ(connected, std::vector<int>{2}) << "not the current line";
  line1.Answer();
  line1.ReceiveCode(code::kAnswerConfirmation);
  EXPECT_EQ(connected, (std::vector<int>{2, 1}));
}

TEST_F(CLinePresenterTest, NothingIsShownWhileQuitting) {
  state.quitting = 1;
  line2.CallOut(peer, "Them");
  EXPECT_FALSE(window.IsTabShown(2));
  EXPECT_EQ(state.currentLine.load(), 0);
}

TEST_F(CLinePresenterTest, CommandAvailabilityFollowsThePageInFront) {
  CCommandAvailability availability(state, window, lines, contacts);
  ASSERT_TRUE(contacts.Add("10.1.2.3", "Desk"));
  window.AddClientRow();
  window.SelectClientRow(0);
  availability.Recompute();
  EXPECT_TRUE(window.CommandAvailability().connect);
  EXPECT_FALSE(window.CommandAvailability().disconnect);
  EXPECT_TRUE(window.CommandAvailability().edit);

  line1.Incoming(peer, "Caller");
  availability.Recompute();
  EXPECT_EQ(state.currentLine.load(), 1);
  EXPECT_TRUE(window.CommandAvailability().connect);  // answer
  EXPECT_TRUE(window.CommandAvailability().disconnect);
  EXPECT_TRUE(window.CommandAvailability().add);  // the caller is not a client yet
  EXPECT_FALSE(window.CommandAvailability().edit);
  line1.Answer();
  ASSERT_TRUE(contacts.Add("127.1.0.2", "Caller"));
  availability.Recompute();
  EXPECT_FALSE(window.CommandAvailability().connect);
  EXPECT_FALSE(window.CommandAvailability().add);
}

}  // namespace
