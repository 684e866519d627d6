#pragma once

#include <cstdint>
#include <vector>

#include "app/csystemkey.h"
#include "app/heartbeattargets.h"

struct CAppState;
class CAudioPaths;
class CCallReport;
class CClients;
class CContacts;
class CDesktopSession;
class CDeviceWatch;
class CLocalAddresses;
class CMixers;
class CPresence;
class CRinger;
class CUserActions;
class TDlg;
class TDlgOption;

// The heartbeat's view of the program: each operation forwards to the object
// that does the work.
class CHeartbeatBridge : public HeartbeatTargets {
 public:
  struct Parts {
    CAppState& state;
    TDlg& window;
    TDlgOption& optionsDialog;
    CUserActions& actions;
    CDesktopSession& session;
    CContacts& contacts;
    CPresence& presence;
    CClients& lines;
    const CLocalAddresses& localAddresses;
    CRinger& ringer;
    CAudioPaths& audio;
    CMixers& mixers;
    CCallReport& callReport;
    CDeviceWatch& deviceWatch;
  };

  explicit CHeartbeatBridge(const Parts& parts);

  void SendToTray() override;
  void SetTrayFrame(int frame) override;
  void PollSystemKey() override;
  void UpdateTitlePicture() override;
  void RefreshPropertiesDialog() override;
  void KeepSessionAwake(bool on) override;
  void ReportCall() override;
  void ConnectPageInFront() override;

  void TickClients() override;
  void ShowOwnAddresses() override;
  void TickLines() override;
  LineState StateOfLine(int line) override;
  bool AnyRinging() override;
  void SetBusy(bool busy) override;

  void StartRinger(const std::string& file) override;
  void AdvanceRingerStop() override;

  bool SoundTestOn() override;
  bool TakeRingTest() override;
  bool TakeAccepted() override;
  void RestartSound(SoundType type, bool announce) override;
  void OpenDevices() override;
  void CloseDevices() override;
  void ReopenDevices() override;
  void ReadMixers() override;
  void FeedScope() override;
  uint32_t SpeakerLevel() override;
  uint32_t MicLevel() override;
  void ShowMeters(uint32_t speaker, uint32_t mic) override;
  void ApplySpeakerLimit() override;

 private:
  Parts p_;
  CSystemKey systemKey_;
  // The scope's copies of the taps' frames, kept so no tick allocates.
  std::vector<int16_t> speakerFrame_;
  std::vector<int16_t> micFrame_;
};
