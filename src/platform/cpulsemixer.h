#pragma once

#include <pulse/pulseaudio.h>

#include <memory>
#include <string>
#include <vector>

#include "core/mixerbackend.h"

class CPulseAudioBackend;
class CPulseConnection;
class CStreamVolume;

// The mixer backend on the program's own call streams on a PulseAudio (or
// PipeWire) server: the loudspeaker's sink input on the playback side, the
// microphone's source output on the capture side, as every desktop program's
// own volume works. The sinks and sources themselves are the user's: nothing
// here changes their volume or their mute, whichever device is chosen.
//
// Each side offers one line with one control: a wave-output line on the
// playback side; on the capture side one line that stands for the
// microphone and for the line input alike, since the server's source is
// whatever the user plugged in. There is no output-wide volume and no mute
// switch (the mute buttons close the stream). Volumes run 0..PA_VOLUME_NORM:
// a volume raised above 100% elsewhere reads as the top. Reading gives the
// loudest channel; writing scales the channels to it, which keeps a balance,
// and writing back what was just read changes nothing.
//
// Between calls no stream runs: the volume read and set is then the one the
// next stream starts at (CStreamVolume).
//
// Each Open has its own connection, whose event thread hears the server's
// stream events: a change of the call's stream elsewhere (a desktop volume
// control), and a new call stream starting, report the control (977). The
// change callback runs on that thread or on a stream's, never once Close
// has returned.
class CPulseMixer : public MixerBackend {
 public:
  // Open, Close and the queries belong to one thread (the main thread).
  // The backend must outlive the mixer.
  explicit CPulseMixer(CPulseAudioBackend& streams);
  ~CPulseMixer() override;
  CPulseMixer(const CPulseMixer&) = delete;
  CPulseMixer& operator=(const CPulseMixer&) = delete;

  void SetChangeCallback(ChangeCallback callback) override;
  // Any device: the call's stream is the program's wherever it plays.
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

  // The control of a side's call stream, the same for every mixer.
  static MixerControlId ControlOf(MixerSide side);

 private:
  struct StreamState;

  static void OnEvent(pa_context* context, pa_subscription_event_type_t event, uint32_t index, void* self);
  bool Usable(MixerControlId control) const;
  // With the lock held: the running call stream's volume; false when none runs.
  bool QueryStream(uint32_t index, StreamState& state) const;
  std::vector<MixerLine> Lines(MixerSide side, std::vector<MixerLineType> types) const;
  void Report() const;

  CPulseAudioBackend& streams_;
  ChangeCallback callback_;  // the next Open's

  // Set by Open, cleared by Close, on the main thread; the event threads
  // read them only while the mixer is open.
  std::unique_ptr<CPulseConnection> connection_;
  CStreamVolume* volume_ = nullptr;
  MixerSide side_ = MixerSide::Playback;
  MixerControlId control_ = 0;
  ChangeCallback reporting_;  // the open connection's
};
