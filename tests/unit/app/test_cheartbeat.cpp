#include <gtest/gtest.h>

#include <deque>
#include <map>

#include "app/cheartbeat.h"
#include "app/heartbeattargets.h"
#include "core/codes.h"
#include "fakes/cmemorykeystore.h"
#include "settings/cparams.h"

namespace {

using Calls = std::vector<std::string>;

class RecordingTargets : public HeartbeatTargets {
 public:
  void SendToTray() override { calls.push_back("SendToTray"); }
  void SetTrayFrame(int frame) override { trayFrames.push_back(frame); }
  void PollSystemKey() override { calls.push_back("PollSystemKey"); }
  void UpdateTitlePicture() override {}
  void RefreshPropertiesDialog() override {}
  void ReportCall() override {}
  void KeepSessionAwake(bool on) override { awake.push_back(on); }
  void ConnectPageInFront() override { calls.push_back("Connect"); }
  void TickClients() override { calls.push_back("TickClients"); }
  void ShowOwnAddresses() override { calls.push_back("ShowOwnAddresses"); }
  void TickLines() override { calls.push_back("TickLines"); }
  LineState StateOfLine(int line) override { return lineStates[line]; }
  bool AnyRinging() override { return ringing; }
  void SetBusy(bool on) override { busy.push_back(on); }
  void StartRinger(const std::string& file) override { calls.push_back("StartRinger " + file); }
  void AdvanceRingerStop() override { calls.push_back("AdvanceRingerStop"); }
  bool SoundTestOn() override { return soundTest; }
  bool TakeRingTest() override { return std::exchange(ringTest, false); }
  bool TakeAccepted() override { return std::exchange(accepted, false); }
  void RestartSound(SoundType soundType, bool announce) override {
    const uint32_t type = WireCode(soundType);
    calls.push_back("RestartSound " + std::to_string(type) + " " + std::to_string(announce));
  }
  void OpenDevices() override { devices.push_back("open"); }
  void CloseDevices() override { devices.push_back("close"); }
  void ReopenDevices() override { calls.push_back("ReopenDevices"); }
  void ReadMixers() override { calls.push_back("ReadMixers"); }
  void FeedScope() override {}
  uint32_t SpeakerLevel() override { return Next(speakerLevels); }
  uint32_t MicLevel() override { return Next(micLevels); }
  void ShowMeters(uint32_t speaker, uint32_t mic) override { meters.push_back({speaker, mic}); }
  void ApplySpeakerLimit() override {}

  static uint32_t Next(std::deque<uint32_t>& levels) {
    if (levels.empty()) return 0;
    const uint32_t v = levels.front();
    levels.pop_front();
    return v;
  }

  Calls calls;
  std::vector<bool> busy;
  std::vector<int> trayFrames;
  std::vector<bool> awake;
  Calls devices;
  std::map<int, LineState> lineStates;
  bool ringing = false, soundTest = false, ringTest = false, accepted = false;
  std::deque<uint32_t> speakerLevels, micLevels;
  std::vector<std::pair<uint32_t, uint32_t>> meters;
};

class CHeartbeatTest : public ::testing::Test {
 protected:
  CHeartbeatTest() : params(store), heartbeat(state, params, targets) {
    params.SetInt("SndType", 9050);
    state.currentSndType = SoundType::kGsm8;
  }
  CAppState state;
  CMemoryKeyStore store;
  CParams params;
  RecordingTargets targets;
  CHeartbeat heartbeat;
};

TEST_F(CHeartbeatTest, SignallingTickDoesNothingWhileTheSoundSystemRestarts) {
  state.restarting = true;
  heartbeat.Timer1Timer();
  EXPECT_TRUE(targets.calls.empty());
  state.restarting = false;
  heartbeat.Timer1Timer();
  EXPECT_EQ(targets.calls, (Calls{"TickClients", "ShowOwnAddresses", "TickLines"}));
}

TEST_F(CHeartbeatTest, StartingTrayHidesTheWindowOnceAfterTheFirstShow) {
  params.SetInt("StartingTray", 1);
  heartbeat.Timer1Timer();  // not shown yet
  state.shownOnce = 1;
  heartbeat.Timer1Timer();
  heartbeat.Timer1Timer();
  EXPECT_EQ(std::count(targets.calls.begin(), targets.calls.end(), "SendToTray"), 1);
  EXPECT_EQ(state.shownOnce, 2);
}

TEST_F(CHeartbeatTest, TheSessionIsKeptAwakeWhileALineIsConnected) {
  heartbeat.Timer1Timer();
  targets.lineStates[2] = LineState::kRinging;
  heartbeat.Timer1Timer();
  targets.lineStates[2] = LineState::kConnected;  // not the page in front
  heartbeat.Timer1Timer();
  targets.lineStates[2] = LineState::kIdle;
  heartbeat.Timer1Timer();
  EXPECT_EQ(targets.awake, (std::vector<bool>{false, false, true, false}));
}

TEST_F(CHeartbeatTest, TrayIconAnimatesWhileRingingAndInACall) {
  heartbeat.Timer1Timer();
  state.currentLine = 1;
  targets.lineStates[1] = LineState::kRinging;
  for (int i = 0; i < 4; ++i) heartbeat.Timer1Timer();
  targets.lineStates[1] = LineState::kConnected;
  for (int i = 0; i < 4; ++i) heartbeat.Timer1Timer();
  EXPECT_EQ(targets.trayFrames, (std::vector<int>{7, 9, 8, 9, 8, 11, 12, 10, 11}));
}

TEST_F(CHeartbeatTest, RingingStartsTheRingerAndAutoAnswers) {
  struct Case {
    bool ringing, ringTest;
    int ringerOff, alwaysAnswer;
    Calls expected;
  };
  const Case cases[] = {
      {false, false, 0, 1, {"AdvanceRingerStop"}},
      {true, false, 0, 0, {"StartRinger /r.wav"}},
      {true, false, 0, 1, {"StartRinger /r.wav", "Connect"}},
      {true, false, 1, 1, {"Connect"}},             // silent, but still answers
      {false, true, 0, 1, {"StartRinger /r.wav"}},  // the ring test never answers
  };
  params.SetString("ringerFile", "/r.wav");
  for (const Case& c : cases) {
    targets.calls.clear();
    targets.ringing = c.ringing;
    targets.ringTest = c.ringTest;
    params.SetInt("ringer", c.ringerOff);
    params.SetInt("AlwaysAnswer", c.alwaysAnswer);
    heartbeat.Timer2Timer();
    EXPECT_EQ(targets.calls, c.expected) << c.ringing << c.ringTest << c.ringerOff << c.alwaysAnswer;
  }
}

// The presence protocol tells the clients once per change; each tick says
// where this side stands.
TEST_F(CHeartbeatTest, EveryTickSaysWhetherALineIsCurrent) {
  heartbeat.Timer2Timer();
  state.currentLine = 2;
  heartbeat.Timer2Timer();
  state.currentLine = 0;
  heartbeat.Timer2Timer();
  EXPECT_EQ(targets.busy, (std::vector<bool>{false, true, false}));
}

TEST_F(CHeartbeatTest, DevicesAreOpenOnlyInACallOrASoundTest) {
  heartbeat.Timer2Timer();
  state.currentLine = 1;
  targets.lineStates[1] = LineState::kRinging;
  heartbeat.Timer2Timer();
  targets.lineStates[1] = LineState::kConnected;
  heartbeat.Timer2Timer();
  state.currentLine = 0;
  targets.soundTest = true;
  heartbeat.Timer2Timer();
  EXPECT_EQ(targets.devices, (Calls{"close", "close", "open", "open"}));
}

TEST_F(CHeartbeatTest, AcceptedSettingsReopenDevicesThatAreWanted) {
  targets.accepted = true;
  heartbeat.Timer2Timer();
  targets.soundTest = true;
  targets.accepted = true;
  heartbeat.Timer2Timer();
  EXPECT_EQ(std::count(targets.calls.begin(), targets.calls.end(), "ReadMixers"), 2);
  EXPECT_EQ(std::count(targets.calls.begin(), targets.calls.end(), "ReopenDevices"), 1);
}

TEST_F(CHeartbeatTest, OwnSoundTypeComesBackOutsideACall) {
  state.currentSndType = SoundType::kSpeex8Mono;  // followed a caller
  state.currentLine = 1;
  targets.lineStates[1] = LineState::kConnected;
  heartbeat.Timer2Timer();
  EXPECT_TRUE(std::find(targets.calls.begin(), targets.calls.end(), "RestartSound 9050 0") ==
              targets.calls.end());
  targets.lineStates[1] = LineState::kHangUpAcknowledged;
  heartbeat.Timer2Timer();
  EXPECT_TRUE(std::find(targets.calls.begin(), targets.calls.end(), "RestartSound 9050 0") !=
              targets.calls.end());
}

TEST_F(CHeartbeatTest, MetersDecayByHalfAndDropOnSilence) {
  targets.speakerLevels = {1000, 400, 0, 1000, 300, 200, 70000};
  targets.micLevels = {1000, 300, 200, 70000};
  for (int i = 0; i < 7; ++i) heartbeat.Timer2Timer();
  std::vector<uint32_t> speaker, mic;
  for (const auto& [s, m] : targets.meters) {
    speaker.push_back(s);
    mic.push_back(m);
  }
  EXPECT_EQ(speaker, (std::vector<uint32_t>{1000, 500, 0, 1000, 500, 250, 250}));
  EXPECT_EQ(mic, (std::vector<uint32_t>{1000, 500, 250, 70000, 0, 0, 0}));
}

TEST_F(CHeartbeatTest, DisplayTickOnlyPollsTheKeyDuringARestart) {
  state.systemKey = true;
  state.restarting = true;
  targets.ringing = true;
  heartbeat.Timer2Timer();
  EXPECT_EQ(targets.calls, Calls{"PollSystemKey"});
  EXPECT_TRUE(targets.devices.empty());
  EXPECT_TRUE(targets.meters.empty());
}

}  // namespace
