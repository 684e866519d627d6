#include "app/coptioneffects.h"

#include <string>

#include "app/cappstate.h"
#include "audio/caudiopaths.h"
#include "core/mainwindowview.h"
#include "core/settingnames.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "net/cudpsocket.h"
#include "net/datagramwriter.h"
#include "settings/cparams.h"

COptionEffects::COptionEffects(const Parts& parts, std::function<void()> quit)
    : parts_(parts), quit_(std::move(quit)) {}

void COptionEffects::ReloadPreBuffer() {
  parts_.audio.ReloadPreBuffer();
}

void COptionEffects::ReloadScopeZoom() {
  parts_.window.SetScopeZoom(parts_.params.GetInt(setting::kScopeZoom));
}

void COptionEffects::ReloadCodecLock() {
  parts_.state.lockCodec = parts_.params.GetInt(setting::kLockCodec) != 0;
}

void COptionEffects::ReloadFilters() {
  parts_.audio.ReloadFilters();
}

void COptionEffects::SwitchSoundType(SoundType type) {
  // A restart in progress wins.
  if (!parts_.state.restarting.load()) parts_.audio.RestartSound(type, true);
}

void COptionEffects::SendSpeexOptions(const std::vector<SpeexOptionValue>& options) {
  const CClient* line = parts_.lines.Line(parts_.state.currentLine.load());
  if (!line || line->PeerAddress().IsNone()) return;
  for (const SpeexOptionValue& option : options) {
    parts_.socket.Send(line->PeerAddress(),
                       datagram::BuildSignalling(option.code, std::to_string(option.value)));
  }
}

void COptionEffects::Quit() {
  if (quit_) quit_();
}
