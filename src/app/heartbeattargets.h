#pragma once

#include <cstdint>
#include <string>

#include "core/linestate.h"
#include "core/soundtype.h"

// What the two heartbeat timers drive: the client list, the lines, the
// ringer, the audio devices and meters, and the window's tray and lamps.
// The program implements it over its object graph; tests record the calls.
class HeartbeatTargets {
 public:
  virtual ~HeartbeatTargets() = default;

  // Window.
  virtual void SendToTray() = 0;
  virtual void SetTrayFrame(int frame) = 0;
  virtual void PollSystemKey() = 0;
  virtual void UpdateTitlePicture() = 0;
  virtual void RefreshPropertiesDialog() = 0;
  // Asks the desktop not to idle or suspend while on.
  virtual void KeepSessionAwake(bool on) = 0;
  // The figures of the call in front: shown, and logged when it ends.
  virtual void ReportCall() = 0;
  virtual void ConnectPageInFront() = 0;  // the Connect button's action

  // Signalling.
  virtual void TickClients() = 0;
  // Where a friend calls this computer, for the empty client list; networks come and go.
  virtual void ShowOwnAddresses() = 0;
  virtual void TickLines() = 0;
  virtual LineState StateOfLine(int line) = 0;
  virtual bool AnyRinging() = 0;
  // Whether a line is current: the clients are told once per change.
  virtual void SetBusy(bool busy) = 0;

  // Ringer.
  virtual void StartRinger(const std::string& file) = 0;
  virtual void AdvanceRingerStop() = 0;

  // Audio.
  virtual bool SoundTestOn() = 0;
  virtual bool TakeRingTest() = 0;
  virtual bool TakeAccepted() = 0;
  virtual void RestartSound(SoundType type, bool announce) = 0;
  virtual void OpenDevices() = 0;
  virtual void CloseDevices() = 0;
  virtual void ReopenDevices() = 0;
  virtual void ReadMixers() = 0;
  virtual void FeedScope() = 0;
  virtual uint32_t SpeakerLevel() = 0;
  virtual uint32_t MicLevel() = 0;
  virtual void ShowMeters(uint32_t speaker, uint32_t mic) = 0;
  virtual void ApplySpeakerLimit() = 0;
};
