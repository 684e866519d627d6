#include "audio/cprogress.h"

#include <algorithm>

#include "audio/soundtypes.h"

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
// Samples are stored with release and loaded with acquire: a reader that sees
// a sample of a newer write then also sees that write's odd sequence count,
// and rejects the frame. On x86 both are plain moves.
constexpr auto kSample = std::memory_order_release;
constexpr auto kSampleRead = std::memory_order_acquire;

}  // namespace

CProgress::CProgress(int history, const SoundFormat& format)
    : history_(history != 0),
      frameSamples_(format.FrameSamples()),
      slots_(history_ ? static_cast<std::size_t>(std::max(format.SpeakerHistoryFrames(), 1)) : 1),
      samples_(std::make_unique<std::atomic<int16_t>[]>(slots_ * frameSamples_)),
      levels_(std::make_unique<std::atomic<int32_t>[]>(slots_)) {}

CProgress::~CProgress() = default;

int32_t CProgress::LevelOf(std::span<const int16_t> frame) {
  int32_t peak = 0;
  for (int16_t s : frame) peak = std::max(peak, s < 0 ? -int32_t{s} : int32_t{s});
  return 2 * peak;
}

bool CProgress::BeginWrite() {
  uint32_t seen = sequence_.load(kRelaxed);
  return (seen & 1u) == 0 &&
         sequence_.compare_exchange_strong(seen, seen + 1, std::memory_order_acquire, kRelaxed);
}

void CProgress::EndWrite() {
  sequence_.fetch_add(1, std::memory_order_release);
}

void CProgress::Tap(std::span<const int16_t> frame) {
  const int32_t level = LevelOf(frame);
  if (!BeginWrite()) return;  // a Clear is running: this frame is not shown
  const uint32_t position = writePosition_.load(kRelaxed);
  std::atomic<int16_t>* slot = &samples_[position * frameSamples_];
  const std::size_t n = std::min(frame.size(), frameSamples_);
  for (std::size_t i = 0; i < n; ++i) slot[i].store(frame[i], kSample);
  for (std::size_t i = n; i < frameSamples_; ++i) slot[i].store(0, kSample);
  levels_[position].store(level, kRelaxed);
  if (history_) writePosition_.store(static_cast<uint32_t>((position + 1) % slots_), kRelaxed);
  // A Clear that came while this frame was written is done here, on the way out.
  if (clearPending_.exchange(false)) Zero();
  EndWrite();
}

int32_t CProgress::ReadLevel() {
  TryClear();
  if (clearPending_.load()) return 0;
  // With history the candidate is one frame newer than the one GetFrame shows.
  const uint32_t position = writePosition_.load(kRelaxed);
  const int32_t candidate = levels_[history_ ? (position + 1) % slots_ : 0].load(kRelaxed);
  if (candidate != lastReported_) {
    lastReported_ = candidate;
    hold_ = kHoldReads;
    return candidate;
  }
  if (hold_ > 0) {
    --hold_;
    return candidate;
  }
  return 0;
}

bool CProgress::GetFrame(std::span<int16_t> out) const {
  if (clearPending_.load()) return false;
  const uint32_t before = sequence_.load(std::memory_order_acquire);
  if ((before & 1u) != 0) return false;
  // The oldest frame of the history is the one the next Tap overwrites.
  const uint32_t position = writePosition_.load(kRelaxed);
  const std::atomic<int16_t>* slot = &samples_[position * frameSamples_];
  const std::size_t n = std::min(out.size(), frameSamples_);
  for (std::size_t i = 0; i < n; ++i) out[i] = slot[i].load(kSampleRead);
  return sequence_.load(kRelaxed) == before;
}

void CProgress::Clear() {
  clearPending_.store(true);
  TryClear();
}

void CProgress::TryClear() {
  // Whoever holds the write turn clears on its way out; nobody waits for it.
  if (!clearPending_.load() || !BeginWrite()) return;
  if (clearPending_.exchange(false)) Zero();
  EndWrite();
}

void CProgress::Zero() {
  for (std::size_t i = 0; i < slots_ * frameSamples_; ++i) samples_[i].store(0, kSample);
  for (std::size_t i = 0; i < slots_; ++i) levels_[i].store(0, kRelaxed);
}
