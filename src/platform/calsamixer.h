#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/mixerbackend.h"

class AudioBackend;
struct _snd_mixer;
struct _snd_mixer_elem;

// The mixer backend on the ALSA simple mixer.
//
// Which mixer: the card of the chosen audio device when its name shows one
// ("... (hw:N,M)" as PortAudio names hardware devices, or "<card name>: ..."),
// else the device name itself when ALSA knows a control of that name ("pulse"),
// else "default", which under PulseAudio is the pulse plugin's mixer with the
// elements "Master" and "Capture".
//
// Which elements (names as the simple mixer gives them):
// - playback: "Master" is the output's own volume. Wave-output lines are, in
//   this order of preference, "Master", "PCM", "Speaker", "Headphone", "Front",
//   "Wave" (or those names followed by a space and more); a playback volume
//   whose name holds "Mic" is a microphone line, one holding "Line" a line
//   input; anything else (also "... Boost", "Beep") is another line.
// - capture: the recording-source selector is the first enumerated capture
//   element ("Capture Source", "Input Source"); each of its items is a line,
//   whose volume is the capture volume of the element of the same name. A
//   name holding "Line" is a line input; one holding "Mic", or "Capture"
//   itself, is a microphone; boost elements are other lines.
// The mute switch of a line is its playback (or capture) switch, off meaning muted.
//
// A poll thread waits on the mixer's descriptors and on a wake-up pipe, lets
// ALSA handle what arrived, and reports each element's value change (977) or
// state change (976) through the change callback, outside its lock. Every
// ALSA call, from either thread, is made under one lock: a mixer handle is
// not safe to share between threads otherwise. When the mixer fails (the
// sound server went away), the thread stops instead of spinning on the dead
// descriptor; the controls then simply stop answering.
class CAlsaMixer : public MixerBackend {
 public:
  // The name of device n of a side in the audio backend's enumeration.
  using DeviceNames = std::function<bool(MixerSide side, int device, std::string& name)>;

  // Open, Close and the queries belong to one thread (the main thread); only
  // the change callback runs on the poll thread. devices must outlive the mixer.
  explicit CAlsaMixer(DeviceNames names = {});
  explicit CAlsaMixer(AudioBackend& devices);
  ~CAlsaMixer() override;
  CAlsaMixer(const CAlsaMixer&) = delete;
  CAlsaMixer& operator=(const CAlsaMixer&) = delete;

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

  // The ALSA name of the open mixer; empty while closed.
  std::string MixerName() const;
  // True while the poll thread runs and still hears the mixer.
  bool Watching() const { return watching_.load(); }

  // The name rules above, for testing them without a sound card.
  static MixerLineType PlaybackType(const std::string& name);
  static MixerLineType CaptureType(const std::string& name);
  // The mixers to try for a device, best first, "default" last. cards: the
  // number and name of each sound card.
  static std::vector<std::string> MixerCandidates(const std::string& deviceName,
                                                  const std::vector<std::pair<int, std::string>>& cards);

 private:
  struct Element {
    MixerControlId id;
    _snd_mixer_elem* elem;  // null once ALSA removed it
  };
  struct Event {
    MixerChange change;
    MixerControlId id;
  };

  static int OnMixerEvent(_snd_mixer* mixer, unsigned int mask, _snd_mixer_elem* elem);
  static int OnElementEvent(_snd_mixer_elem* elem, unsigned int mask);

  bool Attach(const std::string& name);
  bool StartWatching();
  void Watch(ChangeCallback callback);
  void Track(_snd_mixer_elem* elem);
  _snd_mixer_elem* Find(MixerControlId id) const;
  _snd_mixer_elem* FindVolume(MixerControlId id) const;
  std::vector<MixerLine> VolumeLines(MixerLineType (*type)(const std::string&)) const;
  MixerControlId IdOf(_snd_mixer_elem* elem) const;

  DeviceNames names_;
  mutable std::mutex mutex_;  // every ALSA call and the fields below
  _snd_mixer* handle_ = nullptr;
  std::string mixerName_;
  MixerSide side_ = MixerSide::Playback;
  std::vector<Element> elements_;
  std::vector<Event> pending_;
  ChangeCallback callback_;

  std::thread watcher_;
  int wake_[2] = {-1, -1};
  std::atomic<bool> watching_{false};
};
