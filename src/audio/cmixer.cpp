#include "audio/cmixer.h"

#include <algorithm>
#include <cmath>

#include "core/windowport.h"

namespace {

// round(amount * numerator / denominator), half up, for amount <= denominator.
// In long double (64 mantissa bits) the product is exact for every range a real
// control reports, and a range near the ends of int64 still cannot overflow.
uint64_t ScaleRounded(uint64_t amount, uint64_t numerator, uint64_t denominator) {
  const long double top = static_cast<long double>(numerator);
  const long double scaled =
      std::floor(static_cast<long double>(amount) * top / static_cast<long double>(denominator) + 0.5L);
  return scaled >= top ? numerator : static_cast<uint64_t>(scaled);
}

// Unsigned so that ranges reaching both ends of int64 cannot overflow.
uint64_t Span(int64_t min, int64_t max) {
  return static_cast<uint64_t>(max) - static_cast<uint64_t>(min);
}

}  // namespace

CMixer::CMixer(AudioSettings settings, WindowPort& window, std::unique_ptr<MixerBackend> backend)
    : settings_(settings), backend_(std::move(backend)) {
  backend_->SetChangeCallback([&window](MixerChange change, MixerControlId control) {
    window.Post(
        change == MixerChange::Line ? WindowMessage::kMixerLineChange : WindowMessage::kMixerControlChange,
        static_cast<int64_t>(control));
  });
}

CMixer::~CMixer() {
  CloseMixer();
  for (int slot = 0; slot < static_cast<int>(slots_.size()); ++slot) ClearSlot(slot);
}

bool CMixer::OpenMixer(int device, MixerSide side) {
  open_ = backend_->Open(side, device);
  return open_;
}

void CMixer::CloseMixer() {
  backend_->Close();
  open_ = false;
}

bool CMixer::BindVolume(MixerControlId control, int slot) {
  ClearSlot(slot);
  Slot& s = slots_.at(slot);
  if (!open_ || !backend_->VolumeRange(control, s.min, s.max) || s.max <= s.min) return false;
  int64_t value = 0;
  if (!backend_->ReadVolume(control, value) || !backend_->WriteVolume(control, value)) return false;
  s.control = control;
  s.value = value;
  s.position = ToSlider(value, s.min, s.max);
  s.valid = true;
  return true;
}

std::optional<uint32_t> CMixer::GetVolume(MixerControlId control, int slot) {
  const Slot* s = ValidSlot(slot);
  if (s == nullptr || s->control != control) return std::nullopt;
  return GetVolume(slot);
}

std::optional<uint32_t> CMixer::GetVolume(int slot) {
  Slot* s = ValidSlot(slot);
  int64_t value = 0;
  if (s == nullptr || !backend_->ReadVolume(s->control, value)) return std::nullopt;
  if (value != s->value) {
    s->value = value;
    s->position = ToSlider(value, s->min, s->max);
  }
  return s->position;
}

void CMixer::SetVolume(uint32_t position, int slot) {
  Slot* s = ValidSlot(slot);
  if (s == nullptr) return;
  s->position = std::min(position, kSliderMax);
  s->value = ToControl(s->position, s->min, s->max);
  backend_->WriteVolume(s->control, s->value);
}

void CMixer::SetSwitch(MixerControlId line, bool muted) {
  bool current = false;
  if (open_ && backend_->ReadMute(line, current) && current != muted) backend_->WriteMute(line, muted);
}

bool CMixer::SlotValid(int slot) const {
  return slots_.at(slot).valid;
}

int64_t CMixer::ToControl(uint32_t position, int64_t min, int64_t max) {
  const uint64_t offset = ScaleRounded(std::min(position, kSliderMax), Span(min, max), kSliderMax);
  return static_cast<int64_t>(static_cast<uint64_t>(min) + offset);
}

uint32_t CMixer::ToSlider(int64_t value, int64_t min, int64_t max) {
  const uint64_t offset = Span(min, std::clamp(value, min, max));
  return static_cast<uint32_t>(ScaleRounded(offset, kSliderMax, Span(min, max)));
}

void CMixer::ClearSlot(int slot) {
  slots_.at(slot) = Slot{};
}

CMixer::Slot* CMixer::ValidSlot(int slot) {
  Slot& s = slots_.at(slot);
  return s.valid ? &s : nullptr;
}
