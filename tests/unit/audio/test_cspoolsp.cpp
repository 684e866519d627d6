#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "audio/cfilters.h"
#include "audio/cspoolsp.h"
#include "audio/soundtypes.h"
#include "fakes/cmemorykeystore.h"
#include "settings/cparams.h"

namespace {

using Frame = std::vector<int16_t>;

class CSpoolSpTest : public ::testing::Test {
 protected:
  SoundFormat format = SoundFormat::Of(SoundType{9050});

  // A spool after its first Get, which carries out the reset it is made with.
  CSpoolSp& Spool() {
    if (!spool_) {
      filters_.emplace(params, format);
      spool_.emplace(params, *filters_, format);
      Frame out(160, 1);
      EXPECT_FALSE(spool_->Get(out));
      EXPECT_EQ(out, Frame(160, 0));
    }
    return *spool_;
  }

  // Frame k: a ramp that no other frame shares and that never sums to zero
  // with another one.
  static Frame Numbered(int k) {
    Frame f(160);
    for (std::size_t i = 0; i < f.size(); ++i) f[i] = static_cast<int16_t>(100 * k + static_cast<int>(i) + 1);
    return f;
  }

  static Frame Mean(const Frame& a, const Frame& b) {
    Frame m(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) m[i] = static_cast<int16_t>((a[i] + b[i]) / 2);
    return m;
  }

  static Frame Reversed(Frame f) {
    std::reverse(f.begin(), f.end());
    return f;
  }

  CFilters& Filters() {
    Spool();
    return *filters_;
  }

  std::pair<bool, Frame> Get() {
    Frame out(160, 7777);
    const bool played = Spool().Get(out);
    return {played, out};
  }

  CMemoryKeyStore store;
  CParams params{store};

 private:
  std::optional<CFilters> filters_;
  std::optional<CSpoolSp> spool_;
};

TEST_F(CSpoolSpTest, FramesPlayInOrderFromTheFirstOne) {
  for (int k = 0; k < 3; ++k) Spool().Put(Numbered(k));
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Get(), std::make_pair(true, Numbered(k)));
  EXPECT_EQ(Spool().Backlog(), 0u);
}

TEST_F(CSpoolSpTest, TheTallyCountsWhatBecameOfEachFrame) {
  params.SetInt("PreBuffer", 3);
  Spool().LoadPreBuffer();
  for (int k = 0; k < 5; ++k) Spool().Put(Numbered(k));  // two above the pre-buffer: one trimmed
  for (int k = 0; k < 4; ++k) Get();                       // the other four played
  for (int k = 0; k < 3; ++k) Get();                       // a gap: two concealed, then silence
  for (int k = 0; k < static_cast<int>(CSpoolSp::kSlotCount) + 3; ++k) Spool().Put(Numbered(k % 50));  // a stall
  const CSpoolSp::Counts counts = Spool().Tally();
  EXPECT_EQ(counts.trimmed, 1u);
  EXPECT_EQ(counts.played, 4u);
  EXPECT_EQ(counts.concealed, 2u);
  EXPECT_EQ(counts.silent, 1u);
  // The one that found the ring full, and two more put before the spool
  // started over.
  EXPECT_EQ(counts.late, 3u);
  Get();  // starts over: the hundred waiting are thrown away too
  EXPECT_EQ(Spool().Tally().late, 3u + CSpoolSp::kSlotCount);
}

TEST_F(CSpoolSpTest, ABacklogAbovePreBufferIsTrimmedOneFrameAGet) {
  for (int k = 0; k < 20; ++k) Spool().Put(Numbered(k));
  ASSERT_EQ(Spool().PreBuffer(), 15u);
  // Each of three Gets skips a frame, blends it into the next and plays that.
  for (int skipped : {0, 2, 4}) {
    EXPECT_EQ(Get(), std::make_pair(true, Mean(Numbered(skipped), Numbered(skipped + 1))));
  }
  EXPECT_EQ(Spool().Backlog(), 14u);
  EXPECT_EQ(Get(), std::make_pair(true, Numbered(6)));  // 14 is within PreBuffer: no skip
  EXPECT_EQ(Spool().Backlog(), 13u);
}

TEST_F(CSpoolSpTest, LowLatencyTrimsToTheArrivalsTargetInsteadOfThePreBuffer) {
  struct Case {
    bool adaptive;
    uint32_t target;
    uint32_t kept;  // the backlog trimming leaves after each Get
  };
  for (const Case c : {Case{false, 2, 10}, Case{true, 1, 1}, Case{true, 2, 2}, Case{true, 4, 4}}) {
    SCOPED_TRACE(c.target);
    CFilters filters(params, format);
    CSpoolSp spool(params, filters, format);
    Frame out(160);
    spool.Get(out);  // the reset it is made with
    spool.SetAdaptive(c.adaptive);
    spool.SetPlayoutTarget(c.target);
    for (int k = 0; k < 10; ++k) spool.Put(Numbered(k));
    // Then a steady stream, one frame in for each one out: the trimming
    // takes the backlog down to its limit and keeps it there.
    for (int k = 10; k < 40; ++k) {
      spool.Put(Numbered(k));
      spool.Get(out);
    }
    EXPECT_EQ(spool.Backlog(), c.kept);
    EXPECT_EQ(spool.Tally().trimmed, 10u - c.kept);
  }
}

TEST_F(CSpoolSpTest, AGapIsBridgedReversedThenRestoredThenSilent) {
  Spool().Put(Numbered(1));
  EXPECT_EQ(Get(), std::make_pair(true, Numbered(1)));
  EXPECT_EQ(Get(), std::make_pair(false, Reversed(Numbered(1))));
  EXPECT_EQ(Get(), std::make_pair(false, Numbered(1)));
  EXPECT_EQ(Get(), std::make_pair(false, Frame(160, 0)));
  EXPECT_EQ(Get(), std::make_pair(false, Frame(160, 0)));
  // A received frame ends the gap and starts the count again.
  Spool().Put(Numbered(2));
  EXPECT_EQ(Get(), std::make_pair(true, Numbered(2)));
  EXPECT_EQ(Get(), std::make_pair(false, Reversed(Numbered(2))));
}

TEST_F(CSpoolSpTest, APutWhileAResetIsPendingIsLost) {
  Spool().Put(Numbered(1));
  Spool().RequestReset();
  Spool().Put(Numbered(2));
  EXPECT_EQ(Get(), std::make_pair(false, Frame(160, 0)));  // the reset: frame 1 dropped
  EXPECT_EQ(Get(), std::make_pair(false, Frame(160, 0)));  // frame 2 never stored
  Spool().Put(Numbered(3));
  EXPECT_EQ(Get(), std::make_pair(true, Numbered(3)));
}

TEST_F(CSpoolSpTest, AFullRingResetsItselfAndStartsAgain) {
  params.SetInt("PreBuffer", 200);  // no trimming, so the ring can fill
  for (int k = 0; k < 100; ++k) Spool().Put(Numbered(k));
  EXPECT_EQ(Spool().Backlog(), 100u);
  Spool().Put(Numbered(100));  // no room: requests the reset
  Spool().Put(Numbered(101));  // and is dropped while it waits
  EXPECT_EQ(Spool().Backlog(), 100u);
  EXPECT_EQ(Get(), std::make_pair(false, Frame(160, 0)));
  EXPECT_EQ(Spool().Backlog(), 0u);
  EXPECT_EQ(Get().first, false);
  Spool().Put(Numbered(102));
  EXPECT_EQ(Get(), std::make_pair(true, Numbered(102)));
}

TEST_F(CSpoolSpTest, PreBufferDefaultsTo15AndIsReloadedOnRequest) {
  EXPECT_EQ(Spool().PreBuffer(), 15u);
  std::string text;
  params.GetString("PreBuffer", text);
  EXPECT_EQ(text, "15");

  params.SetInt("PreBuffer", 3);
  EXPECT_EQ(Spool().PreBuffer(), 15u);  // the playback thread never reads the store
  Spool().LoadPreBuffer();
  EXPECT_EQ(Spool().PreBuffer(), 3u);

  // Negative values compare as huge: never trimmed.
  params.SetInt("PreBuffer", -1);
  Spool().LoadPreBuffer();
  for (int k = 0; k < 50; ++k) Spool().Put(Numbered(k));
  EXPECT_EQ(Get(), std::make_pair(true, Numbered(0)));
  EXPECT_EQ(Spool().Backlog(), 49u);
}

TEST_F(CSpoolSpTest, LeavingFramesRunThroughTheFiltersAndAResetClearsTheLimit) {
  params.SetInt("FilterLimiter", 1);
  Spool().SetLimitLevel(1001);  // clamps at +-501
  Spool().Put(Frame(160, 3000));
  Spool().Put(Frame(160, -3000));
  EXPECT_EQ(Get(), std::make_pair(true, Frame(160, 501)));
  Spool().RequestReset();
  Get();
  EXPECT_EQ(Spool().LimitLevel(), 0);
  Spool().Put(Frame(160, -3000));
  EXPECT_EQ(Get(), std::make_pair(true, Frame(160, -3000)));  // level 0: not limited
}

TEST_F(CSpoolSpTest, ShortFramesArePaddedAndLongOnesCut) {
  Spool().Put(Frame(100, 9));
  Frame expected(160, 0);
  std::fill_n(expected.begin(), 100, int16_t{9});
  EXPECT_EQ(Get(), std::make_pair(true, expected));
  Spool().Put(Frame(500, 4));
  EXPECT_EQ(Get(), std::make_pair(true, Frame(160, 4)));
}

// The receive thread puts, the playback thread gets and the main thread
// reloads and resets, all at once, as in a call. Every frame played must be
// whole (all its samples from one Put) and later than the one before;
// ThreadSanitizer checks the rest.
TEST_F(CSpoolSpTest, ProducerAndConsumerThreadsRunAtOnce) {
  params.SetInt("PreBuffer", 8);
  CSpoolSp& spool = Spool();
  constexpr int kFrames = 30000;
  std::atomic<bool> producerDone{false};
  std::atomic<bool> consumerDone{false};

  std::atomic<int> played{0};
  std::atomic<bool> consumerStarted{false};
  std::thread producer([&] {
    while (!consumerStarted.load()) std::this_thread::yield();
    Frame frame(160);
    for (int k = 1; k <= kFrames; ++k) {
      std::fill(frame.begin(), frame.end(), static_cast<int16_t>(k));
      spool.Put(frame);
      if (k % 64 == 0) std::this_thread::yield();
    }
    // On a busy machine the consumer may not have run meanwhile: one more
    // frame, put again only when a reset dropped it, until one was played.
    std::fill(frame.begin(), frame.end(), static_cast<int16_t>(kFrames + 1));
    while (played.load() == 0) {
      if (spool.Backlog() == 0) spool.Put(frame);
      std::this_thread::yield();
    }
    producerDone = true;
  });
  int torn = 0, outOfOrder = 0, last = 0;
  std::thread consumer([&] {
    Frame out(160);
    consumerStarted = true;
    while (!producerDone.load() || spool.Backlog() > 0) {
      if (!spool.Get(out)) continue;
      ++played;
      if (std::any_of(out.begin(), out.end(), [&](int16_t s) { return s != out[0]; })) ++torn;
      // The producer's last frame may be put again after a reset dropped it.
      if (out[0] < last || (out[0] == last && last != kFrames + 1)) ++outOfOrder;
      last = out[0];
    }
    consumerDone = true;
  });
  for (int i = 0; !consumerDone.load(); ++i) {
    if (i % 500 == 0) spool.RequestReset();
    spool.SetLimitLevel(65535);
    spool.LoadPreBuffer();
    if (i % 100 == 0) Filters().LoadFilterSettings();
    std::this_thread::yield();
  }
  producer.join();
  consumer.join();
  EXPECT_GT(played.load(), 0);
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(outOfOrder, 0);
}

}  // namespace
