#include "app/cdispatchbridge.h"

#include "app/ccalleventhandler.h"
#include "app/cmixers.h"
#include "audio/caudiopaths.h"
#include "net/cclient.h"
#include "net/cclients.h"

CDispatchBridge::CDispatchBridge(CClients& lines, CAudioPaths& audio, CCallEventHandler& callEvents,
                                 CMixers& mixers)
    : lines_(lines), audio_(audio), callEvents_(callEvents), mixers_(mixers) {}

void CDispatchBridge::HangUp(int line) {
  if (CClient* client = lines_.Line(line)) client->HangUp();
}

void CDispatchBridge::PlaceCall(int line, const NetAddress& address, const std::string& name) {
  if (CClient* client = lines_.Line(line)) client->CallOut(address, name);
}

void CDispatchBridge::RestartSound(SoundType type, bool announce) {
  audio_.RestartSound(type, announce);
}

void CDispatchBridge::SoundTypeRequested(int32_t code) {
  callEvents_.SoundTypeRequested(code);
}

void CDispatchBridge::MixerChanged(int64_t control) {
  mixers_.Changed(control);
}
