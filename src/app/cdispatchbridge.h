#pragma once

#include "app/dispatchtargets.h"

struct CObjectGraph;

// The message handlers' view of the program: each operation forwards to the
// object that does the work.
class CDispatchBridge : public DispatchTargets {
 public:
  explicit CDispatchBridge(CObjectGraph& graph);

  LineView Line(int line) override;
  void HangUp(int line) override;
  void PlaceCall(int line, const NetAddress& address, const std::string& name) override;

  void ApplyRemoteSpeexOption(uint32_t code, int32_t value) override;
  void ReloadPreBuffer() override;
  void ReloadScopeZoom() override;
  void ReloadFilters() override;
  void RestartSound(SoundType type, bool announce) override;
  void SoundTypeRequested(int32_t code) override;
  void MixerChanged(int64_t control) override;

  // Binds both mixers afresh and sets the sliders from them.
  void ReadMixers();
  // The sliders where the mixers put them.
  void ShowSliders();

  void SendSignalling(const NetAddress& address, uint32_t code, const std::string& text) override;

 private:
  CObjectGraph& graph_;
};
