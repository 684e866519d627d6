#include "audio/cspoolsp.h"

#include <algorithm>

#include "audio/cfilters.h"
#include "audio/soundtypes.h"

namespace {

constexpr uint64_t kMinimumFill = 1;  // no start-up pre-fill: play as soon as one frame waits
constexpr uint32_t kReversedUnderruns = 2;

}  // namespace

CSpoolSp::CSpoolSp(AudioSettings settings, CFilters& filters, const SoundFormat& format)
    : settings_(settings),
      filters_(filters),
      frameSamples_(format.FrameSamples()),
      storage_(std::make_unique<int16_t[]>(kSlotCount * frameSamples_)),
      lastPlayed_(std::make_unique<int16_t[]>(frameSamples_)) {
  LoadPreBuffer();
}

CSpoolSp::~CSpoolSp() = default;

void CSpoolSp::LoadPreBuffer() {
  const int32_t value = settings_.PreBuffer();
  // Compared as unsigned: a negative setting never trims.
  preBuffer_.store(static_cast<uint32_t>(value), std::memory_order_relaxed);
}

uint32_t CSpoolSp::TrimLimit() const {
  // One frame above the target, since the device takes its frames in bursts
  // that the arrivals do not see.
  if (adaptive_.load(std::memory_order_relaxed)) return playoutTarget_.load(std::memory_order_relaxed) + 1;
  return preBuffer_.load(std::memory_order_relaxed);
}

uint32_t CSpoolSp::Backlog() const {
  const uint64_t read = framesRead_.load(std::memory_order_acquire);
  return static_cast<uint32_t>(framesWritten_.load(std::memory_order_acquire) - read);
}

std::span<int16_t> CSpoolSp::Slot(uint64_t count) const {
  return {storage_.get() + (count % kSlotCount) * frameSamples_, frameSamples_};
}

void CSpoolSp::Put(std::span<const int16_t> frame) {
  if (resetRequest_.load(std::memory_order_acquire)) {
    late_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  const uint64_t written = framesWritten_.load(std::memory_order_relaxed);
  if (written - framesRead_.load(std::memory_order_acquire) >= kSlotCount) {
    late_.fetch_add(1, std::memory_order_relaxed);
    RequestReset();
    return;
  }
  const std::span<int16_t> slot = Slot(written);
  const std::size_t n = std::min(frame.size(), slot.size());
  std::copy_n(frame.begin(), n, slot.begin());
  std::fill(slot.begin() + static_cast<std::ptrdiff_t>(n), slot.end(), int16_t{0});
  framesWritten_.store(written + 1, std::memory_order_release);
}

bool CSpoolSp::Get(std::span<int16_t> out) {
  out = out.first(std::min(out.size(), frameSamples_));
  const std::span<int16_t> last(lastPlayed_.get(), frameSamples_);

  if (resetRequest_.load(std::memory_order_acquire)) {
    // Everything waiting is dropped; a frame put meanwhile counts from here.
    const uint64_t written = framesWritten_.load(std::memory_order_acquire);
    late_.fetch_add(written - framesRead_.load(std::memory_order_relaxed), std::memory_order_relaxed);
    framesRead_.store(written, std::memory_order_release);
    underruns_ = 0;
    limitLevel_.store(0, std::memory_order_relaxed);
    std::fill(last.begin(), last.end(), int16_t{0});
    resetRequest_.store(false, std::memory_order_release);
    std::fill(out.begin(), out.end(), int16_t{0});
    return false;
  }

  uint64_t read = framesRead_.load(std::memory_order_relaxed);
  uint64_t backlog = framesWritten_.load(std::memory_order_acquire) - read;

  // Trim: blend the oldest frame into the next and drop it. The skipped slot
  // stays ours until the read count passes it, so it needs no copy.
  if (backlog > TrimLimit() && backlog >= 2) {
    const std::span<int16_t> next = Slot(read + 1);
    filters_.Average(next, Slot(read), next);
    framesRead_.store(++read, std::memory_order_release);
    --backlog;
    trimmed_.fetch_add(1, std::memory_order_relaxed);
  }

  if (backlog >= kMinimumFill) {
    const std::span<int16_t> slot = Slot(read);
    filters_.Bandpass(slot);
    filters_.Limit(slot, limitLevel_.load(std::memory_order_relaxed));
    std::copy(slot.begin(), slot.end(), last.begin());
    std::copy_n(slot.begin(), out.size(), out.begin());
    framesRead_.store(read + 1, std::memory_order_release);
    underruns_ = 0;
    played_.fetch_add(1, std::memory_order_relaxed);
    return true;
  }

  // Underrun: the last frame backwards, then forwards again, then silence.
  if (underruns_ < kReversedUnderruns) {
    ++underruns_;
    filters_.Reverse(last);
    concealed_.fetch_add(1, std::memory_order_relaxed);
  } else {
    std::fill(last.begin(), last.end(), int16_t{0});
    silent_.fetch_add(1, std::memory_order_relaxed);
  }
  std::copy_n(last.begin(), out.size(), out.begin());
  return false;
}

CSpoolSp::Counts CSpoolSp::Tally() const {
  constexpr auto relaxed = std::memory_order_relaxed;
  return {played_.load(relaxed), concealed_.load(relaxed), silent_.load(relaxed), trimmed_.load(relaxed),
          late_.load(relaxed)};
}
