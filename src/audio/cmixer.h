#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/mixerbackend.h"
#include "settings/audiosettings.h"

class WindowPort;

// One mixer and up to three of its volume controls, each held in a slot:
// 0 the output as a whole (bound, not otherwise used), 1 the wave output (the
// speaker slider), 2 the recording source (the microphone slider).
//
// Slider positions run from 0 to 65535 and are scaled to each control's own
// range both ways, so a slider always covers the whole control. A slot
// remembers the position it last wrote or read with the control value it
// stands for: a control coarser than the slider (0..31, say) then reads back
// the position just set instead of snapping the slider to the nearest step,
// which would undo small moves such as the keypad's steps of 1000.
//
// Everything runs on the main thread; the backend's change reports arrive as
// posted messages 976 (line) and 977 (control) with the control in wParam.
class CMixer {
 public:
  static constexpr uint32_t kSliderMax = 65535;
  static constexpr int kDestinationSlot = 0;
  static constexpr int kSpeakerSlot = 1;
  static constexpr int kRecordingSlot = 2;

  CMixer(AudioSettings settings, WindowPort& window, std::unique_ptr<MixerBackend> backend);
  ~CMixer();
  CMixer(const CMixer&) = delete;
  CMixer& operator=(const CMixer&) = delete;

  bool OpenMixer(int device, MixerSide side);
  void CloseMixer();
  // Reads the control and writes the same value back; the slot is valid only
  // when both work, so a read-only control never takes a slider.
  bool BindVolume(MixerControlId control, int slot);
  // Nothing when the slot is not valid, the control is not the slot's, or reading fails.
  std::optional<uint32_t> GetVolume(MixerControlId control, int slot);
  std::optional<uint32_t> GetVolume(int slot);
  void SetVolume(uint32_t position, int slot);
  // Writes the wanted mute state only when the line has a switch that differs.
  void SetSwitch(MixerControlId line, bool muted);
  bool SlotValid(int slot) const;

  // The scaling, for a control range min..max with max > min.
  static int64_t ToControl(uint32_t position, int64_t min, int64_t max);
  static uint32_t ToSlider(int64_t value, int64_t min, int64_t max);

 protected:
  void ClearSlot(int slot);
  const AudioSettings& Settings() const { return settings_; }
  MixerBackend& Backend() { return *backend_; }

 private:
  struct Slot {
    bool valid = false;
    MixerControlId control = 0;
    int64_t min = 0;
    int64_t max = 0;
    int64_t value = 0;      // the control's value as last written or read
    uint32_t position = 0;  // the slider position that value stands for
  };
  Slot* ValidSlot(int slot);

  AudioSettings settings_;
  std::unique_ptr<MixerBackend> backend_;
  std::array<Slot, 3> slots_{};
  bool open_ = false;
};
