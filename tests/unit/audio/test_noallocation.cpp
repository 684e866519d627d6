// The audio callbacks must never allocate: a heap lock can stall the
// playback thread behind any other thread. This file replaces the global
// operator new of the test program with one that counts, per thread, and
// runs each per-frame call of the audio side through every path it has.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "audio/ccodecset.h"
#include "audio/cechocanceller.h"
#include "audio/cfilters.h"
#include "audio/cprogress.h"
#include "audio/cspoolsp.h"
#include "audio/soundtypes.h"
#include "fakes/cmemorykeystore.h"
#include "settings/cparams.h"

namespace {
thread_local long allocations = 0;
}  // namespace

// GCC 12 takes the free() in these replacements, once inlined next to the
// sanitizer's own allocator, for a mismatch with new; they are the pair.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
#pragma GCC diagnostic pop

namespace {

std::unique_ptr<int> allocationSink;

// Counts the allocations made by `work` on this thread.
template <typename Work>
long AllocationsIn(Work&& work) {
  const long before = allocations;
  work();
  return allocations - before;
}

TEST(NoAllocationTest, TheCountSeesAnAllocation) {
  EXPECT_EQ(AllocationsIn([] { allocationSink = std::make_unique<int>(1); }), 1);
}

TEST(NoAllocationTest, SpoolFiltersAndTapsAllocateNothingPerFrame) {
  const SoundFormat format = SoundFormat::Of(SoundType{9052});  // stereo, so Reverse takes its pair path
  CMemoryKeyStore store;
  CParams params(store);
  params.SetInt("FilterBp", 1);
  params.SetInt("FilterLimiter", 1);
  params.SetInt("FilterBpCascade", 3);
  CFilters filters(params, format);
  CSpoolSp spool(params, filters, format);
  spool.SetLimitLevel(30000);
  CProgress mic(0, format), speaker(1, format);
  std::vector<int16_t> frame(spool.FrameSamples(), 1200), out(spool.FrameSamples());
  const long count = AllocationsIn([&] {
    spool.Get(out);                                 // reset
    for (int i = 0; i < 30; ++i) spool.Put(frame);  // above PreBuffer: trims
    for (int i = 0; i < 40; ++i) spool.Get(out);    // plays, then underruns
    spool.RequestReset();
    spool.Get(out);
    mic.Tap(frame);
    speaker.Tap(out);
  });
  EXPECT_EQ(count, 0);
}

TEST(NoAllocationTest, CodecsAllocateNothingPerFrame) {
  CCodecSet line, peer;
  std::vector<int16_t> pcm8(160, 900), pcm32(640, 900), out8(160), out32(640);
  std::vector<uint8_t> packet(1280);
  line.Speex8().SetQuality(7);  // pending options are applied inside the calls
  line.Speex8().SetEnhancer(0);
  const long count = AllocationsIn([&] {
    line.Gsm().Encode(pcm8, std::span(packet).first(33));
    line.Gsm().Decode(std::span(packet).first(33), out8);
    line.G711().Encode(pcm8, std::span(packet).first(160));
    line.G711().Decode(std::span(packet).first(160), out8);
    std::size_t bytes = line.Speex8().Encode(pcm8, packet);
    line.Speex8().Decode(std::span(packet).first(bytes), out8);
    bytes = line.Speex32().Encode(pcm32, packet);
    peer.Speex32().Decode(std::span(packet).first(bytes), out32);
  });
  EXPECT_EQ(count, 0);
}


TEST(NoAllocationTest, EchoCancellerAllocatesNothingPerFrame) {
  // Stereo, so the frames go through the per-channel scratch.
  const SoundFormat format = SoundFormat::Of(SoundType::kSpeex16Stereo);
  CEchoCanceller canceller(format);
  const std::size_t f = canceller.FrameSamples();
  // A far end that swells and fades every 200 ms, and a microphone hearing
  // it 12 frames late: the delay finder moves the reference.
  std::vector<std::vector<int16_t>> far(240, std::vector<int16_t>(f));
  uint32_t noise = 1;
  for (std::size_t k = 0; k < far.size(); ++k) {
    const int level = (k / 10) % 2 ? 8000 : 400;
    for (int16_t& s : far[k]) {
      noise = noise * 1664525u + 1013904223u;
      s = static_cast<int16_t>(static_cast<int>(noise >> 17) % level - level / 2);
    }
  }
  std::vector<int16_t> mic(f);
  canceller.SetEchoCancel(true);
  canceller.SetNoiseSuppress(true);
  const long count = AllocationsIn([&] {
    for (std::size_t k = 0; k < far.size(); ++k) {
      if (k == 120) canceller.SetEchoCancel(false);
      if (k == 130) canceller.SetEchoCancel(true);  // a reset
      canceller.NotePlayed(far[k]);
      mic = far[k >= 12 ? k - 12 : 0];
      canceller.Clean(mic);
    }
    // The microphone stops a while: the ring fills up, and once it runs
    // again what piled up is trimmed within two spans of the lowest fill.
    for (std::size_t k = 0; k < 2 * canceller.RingFrames(); ++k) canceller.NotePlayed(far[k % far.size()]);
    for (int k = 0; k < 120; ++k) {
      canceller.NotePlayed(far[0]);
      canceller.Clean(mic);
    }
    static_cast<void>(canceller.Tally());
  });
  EXPECT_EQ(count, 0);
  const CEchoCanceller::Counts counts = canceller.Tally();
  EXPECT_GT(counts.realigned, 0u);
  EXPECT_GT(counts.dropped, 0u);
  EXPECT_GT(counts.trimmed, 0u);
}

}  // namespace
