#include "app/cmessagedispatcher.h"

#include <cstdio>

#include "app/dispatchtargets.h"
#include "audio/soundtypes.h"
#include "core/codes.h"
#include "core/mainwindowview.h"
#include "core/settingnames.h"
#include "core/windowmessage.h"
#include "settings/ccommand.h"
#include "settings/cparams.h"

CMessageDispatcher::CMessageDispatcher(CAppState& state, MainWindowView& window, CParams& params,
                                       std::function<void()> recomputeAvailability)
    : state_(state),
      window_(window),
      params_(params),
      recomputeAvailability_(std::move(recomputeAvailability)) {}

void CMessageDispatcher::HandleCode(uint32_t code, int64_t wParam) {
  if (state_.quitting.load() >= 1) return;
  if (code == code::kSoundTypeRequest) {
    // The receive path asks this side to follow the caller's sound type.
    if (targets_) targets_->SoundTypeRequested(static_cast<int32_t>(wParam));
  } else if (const auto message = WindowMessageOf(code)) {
    ActOnMessage(*message, wParam);
  }
  RecomputeAvailability();
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
    case WindowMessage::kHangUpFront:
      if (const int front = window_.PageInFront(); targets_ && MainWindowView::IsLine(front))
        targets_->HangUp(front);
      break;
    case WindowMessage::kMixerLineChange:
    case WindowMessage::kMixerControlChange:
      if (targets_) targets_->MixerChanged(wParam);
      break;
    case WindowMessage::kSwitchSoundType:
      // A restart in progress wins; a number that names no sound type is no request.
      if (const auto type = SoundTypeOf(wParam); targets_ && type && !state_.restarting.load())
        targets_->RestartSound(*type, true);
      break;
  }
}

void CMessageDispatcher::HandleCommand(int command, TextRecord record) {
  if (state_.quitting.load() > 0) return;
  switch (command) {
    case 2:
      // The remote control calls an address under a name of its own.
      if (targets_) targets_->PlaceCall(2, NetAddress::Parse(record.text), CCommand::kRemoteCallName);
      break;
    case 3:
      if (targets_) targets_->HangUp(2);
      break;
    case 5:
      // Kept at once: the port is for the next start, whenever that comes.
      params_.SetInt(setting::kNetPort, record.number);
      params_.Save();
      break;
    default:
      break;
  }
}

void CMessageDispatcher::RecomputeAvailability() {
  if (recomputeAvailability_) recomputeAvailability_();
}
