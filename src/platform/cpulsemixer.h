#pragma once

#include <pulse/pulseaudio.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/mixerbackend.h"

class CPulseAudioBackend;
class CPulseConnection;

// The mixer backend on the volume and mute of one PulseAudio (or PipeWire)
// sink or source: with the PulseAudio audio backend the devices are the
// server's, and no ALSA card stands behind their names.
//
// The playback side offers the sink as the output's own volume and as its
// one wave-output line; the capture side offers the source as one microphone
// line, both to the selector and among the recording lines. Each has one
// control, which is also the line's mute. Volumes run 0..PA_VOLUME_NORM: a
// volume the desktop raised above 100% reads as the top. Reading gives the
// average of the channels; writing sets every channel to the value, except
// that writing back what was just read changes nothing, so binding a slider
// keeps a balance set elsewhere.
//
// Device -1 is the one the default stream reaches: PULSE_SINK (PULSE_SOURCE)
// when set, as libpulse honours it for streams, else the server's default.
// The mixer stays on the device it opened even when the default moves.
//
// Each Open has its own connection, whose event thread hears the server's
// sink (source) events: a change of the device reports its control (977);
// its removal, and its return under the same name, report its line (976).
// The change callback runs on that thread holding the connection's lock.
// Every query asks the server afresh; when the server or the device is gone
// they return false (libpulse gives up on a server that stops answering).
class CPulseMixer : public MixerBackend {
 public:
  // The server's name of device n of a side in the audio backend's
  // enumeration; false when there is no device n.
  using DeviceIds = std::function<bool(MixerSide side, int device, std::string& id)>;

  // Open, Close and the queries belong to one thread (the main thread); only
  // the change callback runs on the connection's thread. devices must
  // outlive the mixer. Without ids, only the default device opens.
  explicit CPulseMixer(DeviceIds ids = {});
  explicit CPulseMixer(const CPulseAudioBackend& devices);
  ~CPulseMixer() override;
  CPulseMixer(const CPulseMixer&) = delete;
  CPulseMixer& operator=(const CPulseMixer&) = delete;

  void SetChangeCallback(ChangeCallback callback) override;
  bool Open(MixerSide side, int device) override;
  void Close() override;

  std::optional<MixerControlId> PlaybackVolume() override;
  std::vector<MixerLine> PlaybackLines() override;
  std::vector<MixerLine> SelectorLines() override;
  std::vector<MixerLine> CaptureLines() override;

  bool VolumeRange(MixerControlId control, int64_t& min, int64_t& max) override;
  bool ReadVolume(MixerControlId control, int64_t& value) override;
  bool WriteVolume(MixerControlId control, int64_t value) override;
  bool ReadMute(MixerControlId line, bool& muted) override;
  bool WriteMute(MixerControlId line, bool muted) override;

  // The server's name of the open sink or source; empty while closed.
  std::string DeviceId() const { return deviceId_; }

 private:
  struct State;

  static void OnEvent(pa_context* context, pa_subscription_event_type_t event, uint32_t index, void* self);
  bool Connect(const std::string& name);
  bool Query(State& state) const;
  bool Usable(MixerControlId control) const;
  std::vector<MixerLine> Lines(MixerSide side, MixerLineType type) const;

  DeviceIds ids_;
  ChangeCallback callback_;  // the next Open's

  // Set by Open, cleared by Close, on the main thread; the event thread
  // reads them only while the connection lives.
  std::unique_ptr<CPulseConnection> connection_;
  MixerSide side_ = MixerSide::Playback;
  std::string deviceId_;
  std::string lineName_;
  MixerControlId control_ = 0;
  ChangeCallback reporting_;  // the open connection's
  // The device's index on the server, under the connection's lock: it
  // changes when the device goes and comes back.
  uint32_t index_ = PA_INVALID_INDEX;
};
