#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "settings/audiosettings.h"

struct CAppState;
class CMixerMc;
class CMixerSp;
class MainWindowView;
class MixerBackend;
class WindowPort;

// The two volume sliders' mixers, which a sound restart takes down and
// builds again, and the sliders' state: everyone who moves or reads a
// slider goes through here, so nobody holds a mixer across a rebuild.
// Main thread only.
class CMixers {
 public:
  using BackendFactory = std::function<std::unique_ptr<MixerBackend>()>;

  CMixers(AudioSettings settings, WindowPort& window, BackendFactory makeBackend, CAppState& state,
          MainWindowView& view);
  ~CMixers();
  CMixers(const CMixers&) = delete;
  CMixers& operator=(const CMixers&) = delete;

  // Both mixers made afresh, bound, and the sliders set from them.
  void Rebuild();
  // Both mixers bound afresh (the devices may have changed) and the sliders set from them.
  void Read();
  // Gone while the sound system is rebuilt: the sliders' moves wait.
  void Drop();
  // A mixer reported a change of one of its controls (976, 977).
  void Changed(int64_t control);
  void MoveSpeaker(uint32_t position);
  void MoveMicrophone(uint32_t position);

 private:
  void ShowSliders();

  AudioSettings settings_;
  WindowPort& window_;
  BackendFactory makeBackend_;
  CAppState& state_;
  MainWindowView& view_;
  std::unique_ptr<CMixerSp> speaker_;
  std::unique_ptr<CMixerMc> microphone_;
};
