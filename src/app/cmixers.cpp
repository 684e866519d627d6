#include "app/cmixers.h"

#include "app/cappstate.h"
#include "audio/cmixermc.h"
#include "audio/cmixerpair.h"
#include "audio/cmixersp.h"
#include "core/mainwindowview.h"

CMixers::CMixers(AudioSettings settings, WindowPort& window, BackendFactory makeBackend, CAppState& state,
                 MainWindowView& view)
    : settings_(settings),
      window_(window),
      makeBackend_(std::move(makeBackend)),
      state_(state),
      view_(view) {}

CMixers::~CMixers() = default;

void CMixers::Rebuild() {
  speaker_ = std::make_unique<CMixerSp>(settings_, window_, makeBackend_());
  microphone_ = std::make_unique<CMixerMc>(settings_, window_, makeBackend_());
  Read();
}

void CMixers::Drop() {
  speaker_.reset();
  microphone_.reset();
}

void CMixers::Read() {
  const auto sliders = CMixerPair(speaker_.get(), microphone_.get()).ReadMixers();
  state_.speakerSliderEnabled = sliders.speaker.enabled;
  state_.speakerSlider = sliders.speaker.position;
  state_.micSliderEnabled = sliders.microphone.enabled;
  state_.micSlider = sliders.microphone.position;
  ShowSliders();
}

void CMixers::Changed(int64_t control) {
  const auto moves =
      CMixerPair(speaker_.get(), microphone_.get()).Changed(control, state_.speakerSlider, state_.micSlider);
  if (moves.speaker) state_.speakerSlider = *moves.speaker;
  if (moves.microphone) state_.micSlider = *moves.microphone;
  if (moves.speaker || moves.microphone) ShowSliders();
}

void CMixers::MoveSpeaker(uint32_t position) {
  state_.speakerSlider = position;
  if (speaker_) speaker_->SetVolume(position);
}

void CMixers::MoveMicrophone(uint32_t position) {
  state_.micSlider = position;
  if (microphone_) microphone_->SetVolume(position);
}

void CMixers::ShowSliders() {
  view_.SetSliders({static_cast<int>(state_.speakerSlider), state_.speakerSliderEnabled},
                   {static_cast<int>(state_.micSlider), state_.micSliderEnabled});
}
