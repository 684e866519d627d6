#pragma once

#include <map>
#include <optional>
#include <vector>

#include "core/mixerbackend.h"

// A mixer made of plain tables: tests lay out lines and controls, then read
// what the mixer objects opened, wrote and switched, and report changes as
// the backend's own thread would.
class CFakeMixerBackend : public MixerBackend {
 public:
  struct Control {
    int64_t min = 0;
    int64_t max = 65535;
    int64_t value = 0;
    bool readable = true;
    bool writable = true;
    std::optional<bool> muted;  // nothing: no mute switch
    int volumeWrites = 0;
    int muteWrites = 0;

    Control& Range(int64_t low, int64_t high) {
      min = low;
      max = high;
      return *this;
    }
    Control& Value(int64_t v) {
      value = v;
      return *this;
    }
    Control& Muted(bool on) {
      muted = on;
      return *this;
    }
    Control& Unreadable() {
      readable = false;
      return *this;
    }
    Control& ReadOnly() {
      writable = false;
      return *this;
    }
  };

  void SetChangeCallback(ChangeCallback callback) override { callback_ = std::move(callback); }
  bool Open(MixerSide side, int device) override {
    Close();
    ++opens;
    openedSide = side;
    openedDevice = device;
    open = !openFails;
    return open;
  }
  void Close() override {
    if (open) ++closes;
    open = false;
  }

  std::optional<MixerControlId> PlaybackVolume() override { return playbackVolume; }
  std::vector<MixerLine> PlaybackLines() override { return playbackLines; }
  std::vector<MixerLine> SelectorLines() override { return selectorLines; }
  std::vector<MixerLine> CaptureLines() override { return captureLines; }

  bool VolumeRange(MixerControlId id, int64_t& min, int64_t& max) override {
    Control* c = Find(id);
    if (c == nullptr) return false;
    min = c->min;
    max = c->max;
    return true;
  }
  bool ReadVolume(MixerControlId id, int64_t& value) override {
    Control* c = Find(id);
    if (c == nullptr || !c->readable) return false;
    value = c->value;
    return true;
  }
  bool WriteVolume(MixerControlId id, int64_t value) override {
    Control* c = Find(id);
    if (c == nullptr || !c->writable) return false;
    c->value = value;
    ++c->volumeWrites;
    return true;
  }
  bool ReadMute(MixerControlId id, bool& muted) override {
    Control* c = Find(id);
    if (c == nullptr || !c->muted) return false;
    muted = *c->muted;
    return true;
  }
  bool WriteMute(MixerControlId id, bool muted) override {
    Control* c = Find(id);
    if (c == nullptr || !c->muted) return false;
    c->muted = muted;
    ++c->muteWrites;
    return true;
  }

  void Report(MixerChange change, MixerControlId id) {
    if (callback_) callback_(change, id);
  }

  // Layout.
  std::map<MixerControlId, Control> controls;
  std::optional<MixerControlId> playbackVolume;
  std::vector<MixerLine> playbackLines;
  std::vector<MixerLine> selectorLines;
  std::vector<MixerLine> captureLines;
  bool openFails = false;

  // Observations.
  int opens = 0;
  int closes = 0;
  bool open = false;
  MixerSide openedSide = MixerSide::Playback;
  int openedDevice = -2;

 private:
  // Only an open mixer answers, as a closed handle would not.
  Control* Find(MixerControlId id) {
    const auto it = controls.find(id);
    return open && it != controls.end() ? &it->second : nullptr;
  }

  ChangeCallback callback_;
};
