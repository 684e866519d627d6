#include "app/ccalleventhandler.h"

#include "audio/soundtypes.h"
#include "core/messageboxport.h"

void CCallEventHandler::SoundTypeRequested(int32_t code) {
  if (state_.quitting.load() > 0 || state_.restarting.load()) return;
  // A request for something that is no sound type (a peer's text that was
  // no number) would leave the program without audio until the next change.
  const auto type = SoundTypeOf(code);
  if (!type || state_.lockCodec.load() || *type == state_.currentSndType.load()) return;
  if (actions_.follow) actions_.follow(*type);
}

void CCallEventHandler::SpeexOptionReceived(uint32_t code, int32_t value) {
  if (actions_.speexOption) actions_.speexOption(code, value);
}

void CCallEventHandler::CallRefused(const NetAddress& from) {
  boxes_.ShowInfo("Restricted access. " + from.Text() + " denied connection.");
}

void CCallEventHandler::SignalHandled() {
  if (actions_.recompute) actions_.recompute();
}
