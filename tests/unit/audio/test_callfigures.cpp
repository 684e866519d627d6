#include <gtest/gtest.h>

#include "audio/callfigures.h"

namespace {

CallMeasures Measures(uint32_t type) {
  CallMeasures m;
  m.format = SoundFormat::Of(SoundType{type});
  m.arrivals.received = 950;
  m.arrivals.lost = 50;
  m.arrivals.jitterMs = 7.6;
  m.arrivals.playoutDelayMs = 30;
  m.spool.concealed = 55;
  m.spool.trimmed = 3;
  m.spool.late = 1;
  m.backlog = 2;
  m.roundTripMs = 40;
  m.deviceMs = 45;
  return m;
}

TEST(CallFiguresTest, TheDelayIsMadeOfItsParts) {
  struct Case {
    uint32_t type;
    double captureMs, codecMs;
  };
  for (const Case c : {Case{9050, 20, 0}, Case{9064, 20, 0}, Case{9058, 20, 5}, Case{9059, 20, 143 / 16.0},
                       Case{9061, 20, 349 / 32.0}}) {
    SCOPED_TRACE(c.type);
    const CallFigures f = ComposeCallFigures(Measures(c.type));
    EXPECT_DOUBLE_EQ(f.captureMs, c.captureMs);
    EXPECT_DOUBLE_EQ(f.codecMs, c.codecMs);
    EXPECT_DOUBLE_EQ(f.networkMs, 20);
    EXPECT_DOUBLE_EQ(f.spoolMs, 40);
    EXPECT_DOUBLE_EQ(f.deviceMs, 45);
    EXPECT_DOUBLE_EQ(f.mouthToEarMs, c.captureMs + c.codecMs + 20 + 40 + 45);
    EXPECT_DOUBLE_EQ(f.lossPercent, 5.0);
    EXPECT_EQ(f.playoutFrames, 2u);
    EXPECT_EQ(f.concealed, 55u);
  }
  // An unknown round trip adds nothing and is shown as unknown.
  CallMeasures m = Measures(9050);
  m.roundTripMs = -1;
  const CallFigures f = ComposeCallFigures(m);
  EXPECT_DOUBLE_EQ(f.networkMs, 0);
  EXPECT_NE(CallSummary(f).find("round trip ? ms"), std::string::npos) << CallSummary(f);
}

TEST(CallFiguresTest, TheRatingFollowsTheEModel) {
  struct Case {
    SoundCodec codec;
    double delayMs, lossPercent, rating;
  };
  // R = 93.2 - Id - Ie,eff: Id = 0.024 d (+ 0.11 (d - 177.3) beyond it),
  // Ie,eff = Ie + (95 - Ie) P / (P + 10).
  const Case cases[] = {
      {SoundCodec::kG711, 0, 0, 93.2},
      {SoundCodec::kG711, 100, 0, 90.8},
      {SoundCodec::kG711, 277.3, 0, 93.2 - 0.024 * 277.3 - 11},
      {SoundCodec::kGsm, 100, 0, 70.8},
      {SoundCodec::kGsm, 100, 10, 70.8 - 37.5},
      {SoundCodec::kSpeex8, 0, 0, 82.2},
      {SoundCodec::kSpeex16, 0, 0, 93.2},
      {SoundCodec::kPcm, 5000, 50, 0},  // never below 0
  };
  for (const Case& c : cases) EXPECT_NEAR(CallRating(c.codec, c.delayMs, c.lossPercent), c.rating, 1e-9);
}

TEST(CallFiguresTest, TheMarkAndTheTexts) {
  CallMeasures m = Measures(9064);
  m.arrivals.lost = 0;
  EXPECT_EQ(ComposeCallFigures(m).mark, CallFigures::Mark::kGood);
  m.arrivals.lost = 20;  // 2.1 %: Ie,eff = 16.2, and 125 ms cost 3
  EXPECT_EQ(ComposeCallFigures(m).mark, CallFigures::Mark::kFair);
  m.arrivals.lost = 50;
  m.deviceMs = 400;
  const CallFigures poor = ComposeCallFigures(m);
  EXPECT_EQ(poor.mark, CallFigures::Mark::kPoor);
  EXPECT_EQ(CallSummary(poor),
            "received 950, lost 50 (5.0 %), late 1, concealed 55, trimmed 3, jitter 8 ms, round trip 40 ms, "
            "delay 480 ms (G.114 limit 150 ms), rating 17 poor");
  EXPECT_EQ(CallHint(poor).substr(0, 46), "Delay 480 ms (calls degrade above 150 ms): cap");
}

}  // namespace
