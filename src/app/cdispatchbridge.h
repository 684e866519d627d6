#pragma once

#include "app/dispatchtargets.h"

struct CObjectGraph;

// The message handlers' view of the program: each operation forwards to the
// object of the graph that does the work.
class CDispatchBridge : public DispatchTargets {
 public:
  explicit CDispatchBridge(CObjectGraph& graph);

  void ProbeReceived(uint32_t address) override;
  void ReplyReceived(uint32_t address) override;
  void GoneOffline(uint32_t address) override;
  void BusyChanged(uint32_t address, bool busy) override;
  bool IsClient(const std::string& addressText) override;
  bool HasClientAt(int row) override;
  void ClientSelected(int row) override;

  LineView Line(int line) override;
  LineTraffic TakeTraffic(int line) override;
  void RouteCode(uint32_t address, uint32_t code) override;
  void HangUp(int line) override;
  void PlaceCall(int line, uint32_t address, const std::string& name) override;
  void AcceptCallRequest(uint32_t address, const std::string& request) override;
  void AnnounceIncomingCall(int line) override;
  void TakePeerName(int line, uint32_t address, const std::string& name) override;

  void ApplyRemoteSpeexOption(uint32_t code, int32_t value) override;
  void ReloadPreBuffer() override;
  void ReloadScopeZoom() override;
  void ReloadFilters() override;
  void OpenDevices() override;
  void RestartSound(SoundType type, bool announce) override;
  void UnfreezeScope() override;
  void MixerChanged(int64_t control) override;

  // Binds both mixers afresh and sets the sliders from them.
  void ReadMixers();
  // The sliders where the mixers put them.
  void ShowSliders();

  void SendShort(uint32_t address, uint32_t code) override;
  void SendSignalling(uint32_t address, uint32_t code, const std::string& text) override;
  uint32_t OwnAddress() override;
  void Log(const std::string& text, uint32_t address) override;

 private:
  CObjectGraph& graph_;
};
