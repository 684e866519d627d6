#pragma once

#include "app/dispatchtargets.h"

class CAudioPaths;
class CCallEventHandler;
class CClients;
class CMixers;

// The message handlers' view of the program: each operation forwards to the
// object that does the work.
class CDispatchBridge : public DispatchTargets {
 public:
  CDispatchBridge(CClients& lines, CAudioPaths& audio, CCallEventHandler& callEvents, CMixers& mixers);

  void HangUp(int line) override;
  void PlaceCall(int line, const NetAddress& address, const std::string& name) override;
  void RestartSound(SoundType type, bool announce) override;
  void SoundTypeRequested(int32_t code) override;
  void MixerChanged(int64_t control) override;

 private:
  CClients& lines_;
  CAudioPaths& audio_;
  CCallEventHandler& callEvents_;
  CMixers& mixers_;
};
