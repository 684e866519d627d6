#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

#include "app/cappstate.h"

class CParams;
class HeartbeatTargets;

// The program's only clocks: a 1000 ms tick for the signalling (presence,
// repetitions, keep-alives, time-outs, releases) and a 100 ms tick for what
// the user sees and hears at once (ringing, auto answer, devices, meters).
class CHeartbeat : public QObject {
  Q_OBJECT
 public:
  static constexpr int kSignallingMs = 1000;
  static constexpr int kDisplayMs = 100;

  CHeartbeat(CAppState& state, CParams& params, HeartbeatTargets& targets);

  void Start();
  void Stop();

  void Timer1Timer();
  void Timer2Timer();

  int TrayRingFrame() const { return trayRingFrame_; }
  int TrayCallFrame() const { return trayCallFrame_; }

 private:
  void Ring();
  void ReturnToOwnSoundType(int line);
  void AnnounceBusyOrFree(int line);
  bool DevicesWanted(int line);
  void UpdateMeters();
  int TrayFrame();

  CAppState& state_;
  CParams& params_;
  HeartbeatTargets& targets_;
  QTimer timer1_;
  QTimer timer2_;
  int trayRingFrame_ = 8;
  int trayCallFrame_ = 10;
  uint32_t lastSpeakerLevel_ = 0;
  uint32_t lastMicLevel_ = 0;
};
