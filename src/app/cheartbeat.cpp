#include "app/cheartbeat.h"

#include "app/heartbeattargets.h"
#include "core/boundedtext.h"
#include "core/codes.h"
#include "core/settingnames.h"
#include "settings/cparams.h"

namespace {

constexpr uint32_t kLevelCeiling = 65535;
constexpr std::size_t kRingerFileChars = 255;
constexpr int kTrayIdle = 7;

// A falling level halves each tick while sound goes on and drops at once to
// silence; a rise shows at once.
uint32_t Decay(uint32_t level, uint32_t previous) {
  if (level < previous && level > 0) return static_cast<uint32_t>(previous * 0.5);
  return level;
}

}  // namespace

CHeartbeat::CHeartbeat(CAppState& state, CParams& params, HeartbeatTargets& targets)
    : state_(state), params_(params), targets_(targets) {
  timer1_.setInterval(kSignallingMs);
  timer2_.setInterval(kDisplayMs);
  connect(&timer1_, &QTimer::timeout, this, &CHeartbeat::Timer1Timer);
  connect(&timer2_, &QTimer::timeout, this, &CHeartbeat::Timer2Timer);
}

void CHeartbeat::Start() {
  timer1_.start();
  timer2_.start();
}

void CHeartbeat::Stop() {
  timer1_.stop();
  timer2_.stop();
}

void CHeartbeat::Timer1Timer() {
  if (state_.restarting.load()) return;
  if (state_.shownOnce == 1) {
    if (params_.GetInt(setting::kStartingTray) != 0) targets_.SendToTray();
    state_.shownOnce = 2;
  }
  targets_.TickClients();
  targets_.ShowOwnAddresses();
  targets_.TickLines();
  targets_.RefreshPropertiesDialog();
  targets_.ReportCall();
  targets_.KeepSessionAwake(targets_.StateOfLine(1) == LineState::kConnected ||
                            targets_.StateOfLine(2) == LineState::kConnected);
  targets_.SetTrayFrame(TrayFrame());
}

int CHeartbeat::TrayFrame() {
  const int line = state_.currentLine.load();
  const LineState lineState = line != 0 ? targets_.StateOfLine(line) : LineState::kIdle;
  if (lineState == LineState::kRinging) {
    if (++trayRingFrame_ == 10) trayRingFrame_ = 8;
    return trayRingFrame_;
  }
  if (lineState == LineState::kConnected) {
    if (++trayCallFrame_ == 13) trayCallFrame_ = 10;
    return trayCallFrame_;
  }
  return kTrayIdle;
}

void CHeartbeat::Timer2Timer() {
  if (state_.systemKey) targets_.PollSystemKey();
  targets_.UpdateTitlePicture();
  if (state_.restarting.load()) return;

  Ring();
  const int line = state_.currentLine.load();
  if (line != 0) targets_.FeedScope();
  ReturnToOwnSoundType(line);
  AnnounceBusyOrFree(line);
  const bool wanted = DevicesWanted(line);
  if (wanted) {
    targets_.OpenDevices();
  } else {
    targets_.CloseDevices();
  }
  if (!state_.restarting.load() && targets_.TakeAccepted()) {
    targets_.ReadMixers();
    if (wanted) targets_.ReopenDevices();
  }
  if (!state_.restarting.load()) UpdateMeters();
  targets_.ApplySpeakerLimit();
}

void CHeartbeat::Ring() {
  const bool ringTest = targets_.TakeRingTest();
  if (!targets_.AnyRinging() && !ringTest) {
    targets_.AdvanceRingerStop();
    return;
  }
  if (params_.GetInt(setting::kRinger) == 0) {
    std::string file;
    params_.GetString(setting::kRingerFile, file);
    targets_.StartRinger(BoundedText(file, kRingerFileChars));
  }
  // The ring test never answers a call.
  if (params_.GetInt(setting::kAlwaysAnswer) != 0 && !ringTest) targets_.ConnectPageInFront();
}

void CHeartbeat::ReturnToOwnSoundType(int line) {
  if (line != 0 && targets_.StateOfLine(line) == LineState::kConnected) return;
  // A stored number that names no sound type was replaced at start-up; one
  // written since (by hand or by a newer version) is not followed.
  const auto own = SoundTypeOf(params_.GetInt(setting::kSndType));
  if (own && *own != state_.currentSndType.load() && !state_.restarting.load())
    targets_.RestartSound(*own, false);
}

void CHeartbeat::AnnounceBusyOrFree(int line) {
  targets_.SetBusy(line != 0);
}

bool CHeartbeat::DevicesWanted(int line) {
  return targets_.SoundTestOn() || (line != 0 && targets_.StateOfLine(line) == LineState::kConnected);
}

void CHeartbeat::UpdateMeters() {
  uint32_t speaker = targets_.SpeakerLevel();
  if (speaker > kLevelCeiling) speaker = lastSpeakerLevel_;
  speaker = Decay(speaker, lastSpeakerLevel_);
  lastSpeakerLevel_ = speaker;
  const uint32_t mic = Decay(targets_.MicLevel(), lastMicLevel_);
  lastMicLevel_ = mic;
  targets_.ShowMeters(speaker, mic);
}
