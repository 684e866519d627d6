#pragma once

#include <cstdint>
#include <optional>

class CMixerSp;
class CMixerMc;

// What the main window does with its two volume sliders, without the
// widgets: it passes the mixers it currently holds (either may be missing
// while the sound system is being rebuilt) and applies the answers.
class CMixerPair {
 public:
  struct Slider {
    bool enabled = false;
    uint32_t position = 0;
  };
  struct Sliders {
    Slider speaker;
    Slider microphone;
  };
  struct Moves {
    std::optional<uint32_t> speaker;
    std::optional<uint32_t> microphone;
  };

  CMixerPair(CMixerSp* speaker, CMixerMc* microphone);

  // Binds both mixers afresh; a slider without a control is disabled at 0.
  Sliders ReadMixers();
  // The mixer change message (976 or 977, control in wParam): the sliders
  // whose own control it names and whose position it changes.
  Moves Changed(int64_t control, uint32_t speakerPosition, uint32_t microphonePosition);
  // A slider moved by the user or the keys: taken only while the sound system
  // runs, and then true, so that the slider's hint shows the new position.
  bool MoveSpeaker(uint32_t position, bool soundRunning);
  bool MoveMicrophone(uint32_t position, bool soundRunning);

 private:
  CMixerSp* speaker_;
  CMixerMc* microphone_;
};
