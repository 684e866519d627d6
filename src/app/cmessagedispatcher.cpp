#include "app/cmessagedispatcher.h"

#include <cstdio>

#include "app/dispatchtargets.h"
#include "audio/soundtypes.h"
#include "core/codes.h"
#include "core/mainwindowview.h"
#include "core/windowmessage.h"
#include "settings/ccommand.h"
#include "settings/cparams.h"

CMessageDispatcher::CMessageDispatcher(CAppState& state, MainWindowView& window, CParams& params,
                                       DispatchTargets& targets, std::function<void()> recomputeAvailability)
    : state_(state),
      window_(window),
      params_(params),
      targets_(targets),
      recomputeAvailability_(std::move(recomputeAvailability)) {}

void CMessageDispatcher::HandleCode(uint32_t code, int64_t wParam) {
  if (state_.quitting.load() >= 1) return;
  if (code::IsSpeexOption(code)) {
    SpeexOption(code, wParam);
  } else if (code == code::kSoundTypeRequest) {
    // The receive path asks this side to follow the caller's sound type.
    targets_.SoundTypeRequested(static_cast<int32_t>(wParam));
  } else if (const auto message = WindowMessageOf(code)) {
    ActOnMessage(*message, wParam);
  }
  RecomputeAvailability();
}

void CMessageDispatcher::SpeexOption(uint32_t code, int64_t wParam) {
  const int line = CurrentLine();
  if (state_.speexSendMode != 0) {
    if (line == 0) return;
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(wParam));
    targets_.SendSignalling(targets_.Line(line).peerAddress, code, text);
    return;
  }
  targets_.ApplyRemoteSpeexOption(code, static_cast<int32_t>(wParam));
}

void CMessageDispatcher::ActOnMessage(WindowMessage message, int64_t wParam) {
  switch (message) {
    case WindowMessage::kQuit:
      state_.quitting = 1;
      if (quit_) quit_();
      break;
    case WindowMessage::kCloseRequest:
      window_.RequestClose();
      break;
    case WindowMessage::kSpeexSendMode:
      state_.speexSendMode = static_cast<int>(wParam);
      break;
    case WindowMessage::kReloadPreBuffer:
      targets_.ReloadPreBuffer();
      break;
    case WindowMessage::kReloadScopeZoom:
      targets_.ReloadScopeZoom();
      break;
    case WindowMessage::kHangUpFront:
      if (const int front = window_.PageInFront(); MainWindowView::IsLine(front)) targets_.HangUp(front);
      break;
    case WindowMessage::kMixerLineChange:
    case WindowMessage::kMixerControlChange:
      targets_.MixerChanged(wParam);
      break;
    case WindowMessage::kReloadCodecLock:
      state_.lockCodec = params_.GetInt("lockCodec") != 0;
      break;
    case WindowMessage::kRestartAndAnnounce:
      if (!state_.restarting.load()) targets_.RestartSound(state_.currentSndType.load(), true);
      break;
    case WindowMessage::kSwitchSoundType:
      // A restart in progress wins; a number that names no sound type is no request.
      if (const auto type = SoundTypeOf(wParam); type && !state_.restarting.load())
        targets_.RestartSound(*type, true);
      break;
    case WindowMessage::kReloadFilters:
      targets_.ReloadFilters();
      break;
  }
}

void CMessageDispatcher::HandleRecord(uint32_t, Record) {}

void CMessageDispatcher::HandleCommand(int command, TextRecord record) {
  if (state_.quitting.load() > 0) return;
  switch (command) {
    case 2:
      // The remote control calls an address under a name of its own.
      targets_.PlaceCall(2, NetAddress::Parse(record.text), CCommand::kRemoteCallName);
      break;
    case 3:
      targets_.HangUp(2);
      break;
    case 5:
      // Kept at once: the port is for the next start, whenever that comes.
      params_.SetInt("netPort", record.number);
      params_.Save();
      break;
    default:
      break;
  }
}

void CMessageDispatcher::RecomputeAvailability() {
  if (recomputeAvailability_) recomputeAvailability_();
}
