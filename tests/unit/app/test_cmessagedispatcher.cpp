#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>

#include "app/cmessagedispatcher.h"
#include "core/codes.h"
#include "core/windowmessage.h"
#include "fakes/cfakedispatchtargets.h"
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
  CMessageDispatcherTest() : params(store), dispatcher(state, window, params, [this] { ++recomputed; }) {
    dispatcher.SetTargets(&targets);
    state.shownOnce = 1;
    state.currentSndType = SoundType::kGsm8;
    dispatcher.SetQuitAction([this] { ++quits; });
  }

  // A line's page in front, as the line presenter leaves it when a call starts.
  void StartLine(int line) {
    window.ShowTab(line, true);
    window.BringToFront(line);
    state.currentLine = line;
  }

  CAppState state;
  TDlg window;
  CMemoryKeyStore store;
  CParams params;
  CFakeDispatchTargets targets;
  CMessageDispatcher dispatcher;
  int quits = 0;
  int recomputed = 0;
  // A number as a message carries it: a mixer control, a sound type asked for.
  const int64_t peer = 0x0302010A;
};

TEST_F(CMessageDispatcherTest, MessagesReachTheirTargets) {
  struct Case {
    uint32_t code;
    Calls expected;
  };
  const std::string p = std::to_string(peer);
  const Case cases[] = {
      {976, {"MixerChanged " + p}},
      {977, {"MixerChanged " + p}},
      // The receive path found the caller's audio in another type.
      {code::kSoundTypeRequest, {"SoundTypeRequested " + p}},
      // Codes of received datagrams come as signals, not as messages.
      {code::kRinging, {}},
      {code::kRejection, {}},
      {9033, {}},
      // What the properties dialog once posted it now asks directly.
      {9038, {}},
      {9201, {}},
      {code::kSpeexQuality, {}},
  };
  for (const Case& c : cases) {
    targets.calls.clear();
    const int before = recomputed;
    dispatcher.HandleCode(c.code, peer);
    EXPECT_EQ(targets.calls, c.expected) << c.code;
    EXPECT_EQ(recomputed, before + 1) << c.code;
  }
}

TEST_F(CMessageDispatcherTest, TheChosenSoundTypeWaitsForNoRestartInProgressAndMustNameOne) {
  struct Case {
    uint32_t value;
    bool restarting;
    Calls expected;
  };
  const Case cases[] = {
      {9050, false, {"RestartSound 9050 1"}},  // chosen again: restarted and announced all the same
      {9058, false, {"RestartSound 9058 1"}}, {9058, true, {}}, {9065, false, {}}, {0, false, {}},
  };
  for (const Case& c : cases) {
    state.restarting = c.restarting;
    targets.calls.clear();
    dispatcher.HandleCode(Number(WindowMessage::kSwitchSoundType), c.value);
    EXPECT_EQ(targets.calls, c.expected) << c.value;
  }
  // A locked sound type is the user's own: still chosen.
  state.restarting = false;
  state.lockCodec = true;
  targets.calls.clear();
  dispatcher.HandleCode(Number(WindowMessage::kSwitchSoundType), 9058);
  EXPECT_EQ(targets.calls, Calls{"RestartSound 9058 1"});
}

TEST_F(CMessageDispatcherTest, ARefusedSoundTypeHangsUpThePageInFront) {
  dispatcher.HandleCode(Number(WindowMessage::kHangUpFront), 0);  // the client list in front: nothing
  StartLine(2);
  dispatcher.HandleCode(Number(WindowMessage::kHangUpFront), 0);
  EXPECT_EQ(targets.calls, Calls{"HangUp 2"});
}

TEST_F(CMessageDispatcherTest, CommandsDriveLineTwoAndThePort) {
  dispatcher.HandleCommand(2, TextRecord{0, "10.1.2.3"});
  dispatcher.HandleCommand(3, TextRecord{0, ""});
  dispatcher.HandleCommand(5, TextRecord{4445, ""});
  dispatcher.HandleCommand(9, TextRecord{0, ""});
  EXPECT_EQ(targets.calls, (Calls{"PlaceCall 2 10.1.2.3 ecc", "HangUp 2"}));
  EXPECT_EQ(params.GetInt("netPort"), 4445);
  // Written to the file at once, not only at quitting.
  const auto& stored = store.sections["params2"];
  EXPECT_TRUE(std::any_of(stored.begin(), stored.end(),
                          [](const auto& entry) { return entry.second == "netPort = 4445"; }));
}

TEST_F(CMessageDispatcherTest, NothingIsHandledWhileQuitting) {
  dispatcher.HandleCode(Number(WindowMessage::kQuit), 0);
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(state.quitting.load(), 1);
  dispatcher.HandleCode(Number(WindowMessage::kSwitchSoundType), 9058);
  dispatcher.HandleCode(Number(WindowMessage::kQuit), 0);
  dispatcher.HandleCommand(2, TextRecord{1, "ecc"});
  EXPECT_TRUE(targets.calls.empty());
  EXPECT_EQ(quits, 1);
}

TEST_F(CMessageDispatcherTest, UntilThereIsAProgramToActOnOnlyQuittingIsServed) {
  dispatcher.SetTargets(nullptr);
  StartLine(1);
  dispatcher.HandleCode(Number(WindowMessage::kHangUpFront), 0);
  dispatcher.HandleCode(976, 5);
  dispatcher.HandleCode(code::kSoundTypeRequest, 9058);
  dispatcher.HandleCode(Number(WindowMessage::kSwitchSoundType), 9058);
  dispatcher.HandleCommand(2, TextRecord{0, "10.1.2.3"});
  EXPECT_EQ(quits, 0);
  dispatcher.HandleCode(Number(WindowMessage::kQuit), 0);
  EXPECT_EQ(quits, 1);
  EXPECT_TRUE(targets.calls.empty());
}

}  // namespace
