#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The sound card's own volume controls, as the mixer objects see them. One
// backend object is one open mixer for either the playback or the capture
// side of a device; the desktop implementation lives with the other platform
// stand-ins, tests drive a fake one by hand.

enum class MixerSide { Playback, Capture };

// What a line carries, guessed by the backend from whatever the platform
// tells about it; the mixer objects choose lines by this alone.
enum class MixerLineType { Other, WaveOut, Microphone, LineIn };

// Stable for one control of one mixer for as long as it is open, and the same
// for the same control when two backends open the same mixer, so that a
// change reported by either names the control both know.
using MixerControlId = uint32_t;

struct MixerLine {
  std::string name;
  MixerLineType type = MixerLineType::Other;
  std::optional<MixerControlId> volume;  // nothing: the line has no volume control
};

// A line's state (976) or a control's value (977) changed.
enum class MixerChange { Line, Control };

class MixerBackend {
 public:
  // Runs on the backend's own thread; must not call back into the backend.
  using ChangeCallback = std::function<void(MixerChange change, MixerControlId control)>;

  virtual ~MixerBackend() = default;

  // Takes effect at the next Open.
  virtual void SetChangeCallback(ChangeCallback callback) = 0;

  // device: -1 the system default, n the n-th device of the audio backend's
  // enumeration for that side. Closes first. False when no mixer opens.
  virtual bool Open(MixerSide side, int device) = 0;
  // Idempotent. Once it returns, no change callback runs any more.
  virtual void Close() = 0;

  // Playback side: the volume of the output as a whole, if there is one.
  virtual std::optional<MixerControlId> PlaybackVolume() = 0;
  // Playback side: the lines that feed the output, the likeliest wave output first.
  virtual std::vector<MixerLine> PlaybackLines() = 0;
  // Capture side: the sources offered by the recording-source selector, in its order.
  virtual std::vector<MixerLine> SelectorLines() = 0;
  // Capture side: every line with a recording volume, in the mixer's order.
  virtual std::vector<MixerLine> CaptureLines() = 0;

  // Volumes are in the control's own range, min..max, both inclusive.
  virtual bool VolumeRange(MixerControlId control, int64_t& min, int64_t& max) = 0;
  virtual bool ReadVolume(MixerControlId control, int64_t& value) = 0;
  virtual bool WriteVolume(MixerControlId control, int64_t value) = 0;
  // False when the line has no mute switch.
  virtual bool ReadMute(MixerControlId line, bool& muted) = 0;
  virtual bool WriteMute(MixerControlId line, bool muted) = 0;
};
