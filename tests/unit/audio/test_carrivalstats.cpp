#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "audio/carrivalstats.h"

namespace {

constexpr double kFrame = 0.020;

// Arrival times of frames sent every kFrame from t = 10 s, each delayed by
// delays[k] (0 when the list is shorter) and missing when k is in lost.
std::vector<double> Schedule(int frames, const std::vector<double>& delays = {}, const std::set<int>& lost = {}) {
  std::vector<double> arrivals;
  for (int k = 0; k < frames; ++k) {
    if (lost.count(k)) continue;
    const double delay = k < static_cast<int>(delays.size()) ? delays[static_cast<std::size_t>(k)] : 0.0;
    arrivals.push_back(10.0 + k * kFrame + delay);
  }
  // The network hands them over in the order they arrive, reordered or not.
  std::sort(arrivals.begin(), arrivals.end());
  return arrivals;
}

CArrivalStats::Figures Feed(CArrivalStats& stats, const std::vector<double>& arrivals) {
  for (double t : arrivals) stats.Note(t);
  return stats.Snapshot();
}

std::vector<double> Alternating(int frames, double late) {
  std::vector<double> delays;
  for (int k = 0; k < frames; ++k) delays.push_back(k % 2 ? late : 0.0);
  return delays;
}

TEST(CArrivalStatsTest, KnownLossAndJitterGiveKnownFigures) {
  struct Case {
    const char* name;
    std::vector<double> delays;
    std::set<int> lost;
    uint64_t expectLost;
    double jitterMs;  // expected, within tolerance
    double tolerance;
    uint32_t targetFrames;
  };
  std::mt19937 random(7);
  std::uniform_real_distribution<double> upTo30ms(0.0, 0.030);
  std::vector<double> uniform;
  for (int k = 0; k < 600; ++k) uniform.push_back(upTo30ms(random));

  const std::vector<Case> cases = {
      {"steady", {}, {}, 0, 0.0, 1e-6, 1},
      {"four lost, one of them a pair", {}, {10, 50, 51, 120}, 4, 0.0, 2.0, 1},
      {"every other frame 10 ms late", Alternating(600, 0.010), {}, 0, 10.0, 0.1, 1},
      // Reordered: the stream comes in as 40, 10, 30, 10, 30 ms apart, and the
      // last gap of the run is 40 ms again.
      {"every other frame 30 ms late, so reordered", Alternating(600, 0.030), {}, 0, 10.6, 0.1, 1},
      // Mean |X - Y| of two delays uniform on [0, 30 ms] is 10 ms; the 95th
      // percentile of 30 ms spread needs two frames of backlog.
      {"uniform delay up to 30 ms", uniform, {}, 0, 10.0, 2.5, 2},
      {"uniform delay and 2 lost", uniform, {300, 400}, 2, 10.0, 3.0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CArrivalStats stats(kFrame);
    const std::vector<double> arrivals = Schedule(600, c.delays, c.lost);
    const CArrivalStats::Figures figures = Feed(stats, arrivals);
    EXPECT_EQ(figures.received, arrivals.size());
    EXPECT_EQ(figures.lost, c.expectLost);
    EXPECT_NEAR(figures.jitterMs, c.jitterMs, c.tolerance);
    EXPECT_EQ(stats.TargetFrames(), c.targetFrames);
  }
}

TEST(CArrivalStatsTest, ALateFirstFrameIsNotCountedAsLoss) {
  std::vector<double> delays(200, 0.0);
  delays[0] = 0.015;
  CArrivalStats stats(kFrame);
  EXPECT_EQ(Feed(stats, Schedule(200, delays)).lost, 0u);
}

TEST(CArrivalStatsTest, APauseIsTheSendersSilenceNotLoss) {
  CArrivalStats stats(kFrame);
  Feed(stats, Schedule(100, {}, {30}));
  // Two seconds of nothing (a muted microphone), then the stream goes on.
  for (int k = 0; k < 100; ++k) stats.Note(10.0 + 2.0 + 100 * kFrame + k * kFrame);
  const CArrivalStats::Figures figures = stats.Snapshot();
  EXPECT_EQ(figures.received, 199u);
  EXPECT_EQ(figures.lost, 1u);
}

TEST(CArrivalStatsTest, ThePlayoutTargetRisesAtOnceAndFallsSlowly) {
  // Two seconds of every other frame 50 ms late, amid calm.
  std::vector<double> delays(1000, 0.0);
  for (int k = 200; k < 300; k += 2) delays[static_cast<std::size_t>(k)] = 0.050;
  const std::vector<double> arrivals = Schedule(1000, delays);
  CArrivalStats stats(kFrame);
  std::vector<uint32_t> targets;
  for (double t : arrivals) {
    stats.Note(t);
    targets.push_back(stats.TargetFrames());
  }
  EXPECT_EQ(targets[199], 1u);
  // Arriving in that order, the frames come in up to 30 ms behind the steady
  // schedule: two frames, as soon as they are more than the few the
  // percentile leaves out.
  EXPECT_EQ(targets[208], 2u);
  EXPECT_EQ(*std::max_element(targets.begin(), targets.end()), 2u);
  // Still covered after the window has forgotten the late frames...
  EXPECT_EQ(targets[370], 2u);
  // ...and back to one frame after some seconds of calm.
  EXPECT_EQ(targets.back(), 1u);
  EXPECT_LT(stats.Snapshot().playoutDelayMs, 1.0);
}

TEST(CArrivalStatsTest, AResetStartsTheFiguresOfTheNextCall) {
  CArrivalStats stats(kFrame);
  Feed(stats, Schedule(300, Alternating(300, 0.010), {5, 6}));
  stats.RequestReset();
  EXPECT_EQ(stats.Snapshot().received, 300u - 2u);  // until the next frame
  std::vector<double> later;
  for (int k = 0; k < 100; ++k) later.push_back(100.0 + k * kFrame);
  const CArrivalStats::Figures figures = Feed(stats, later);
  EXPECT_EQ(figures.received, 100u);
  EXPECT_EQ(figures.lost, 0u);
  EXPECT_LT(figures.jitterMs, 1e-6);
}

}  // namespace
