#include "audio/callfigures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// What the encoder holds back beyond the frame before it can code it: the
// Speex modes' look-ahead as their encoders report it (40 samples at 8 kHz,
// 143 at 16 kHz, 349 at 32 kHz); the other codecs code a frame as it is.
double LookAheadMs(SoundCodec codec) {
  switch (codec) {
    case SoundCodec::kSpeex8:
      return 40 / 8.0;
    case SoundCodec::kSpeex16:
      return 143 / 16.0;
    case SoundCodec::kSpeex32:
      return 349 / 32.0;
    default:
      return 0;
  }
}

// Equipment impairment of each codec with no loss (ITU-T G.113 where it
// lists one; wideband Speex is rated as the narrowband scale's best), and
// the robustness to loss of a codec whose gaps are concealed.
double CodecImpairment(SoundCodec codec) {
  switch (codec) {
    case SoundCodec::kGsm:
      return 20;
    case SoundCodec::kSpeex8:
      return 11;
    default:
      return 0;
  }
}
constexpr double kLossRobustness = 10;

}  // namespace

double CallRating(SoundCodec codec, double mouthToEarMs, double lossPercent) {
  const double d = std::max(0.0, mouthToEarMs);
  const double delayImpairment = 0.024 * d + (d > 177.3 ? 0.11 * (d - 177.3) : 0.0);
  const double ie = CodecImpairment(codec);
  const double loss = std::max(0.0, lossPercent);
  const double equipment = ie + (95 - ie) * loss / (loss + kLossRobustness);
  return std::clamp(93.2 - delayImpairment - equipment, 0.0, 100.0);
}

CallFigures ComposeCallFigures(const CallMeasures& m) {
  CallFigures f;
  f.received = m.arrivals.received;
  f.lost = m.arrivals.lost;
  f.late = m.spool.late;
  f.concealed = m.spool.concealed;
  f.trimmed = m.spool.trimmed;
  const uint64_t sent = f.received + f.lost;
  f.lossPercent = sent > 0 ? 100.0 * static_cast<double>(f.lost) / static_cast<double>(sent) : 0.0;
  f.jitterMs = m.arrivals.jitterMs;
  f.roundTripMs = m.roundTripMs;

  const int32_t rate = m.format.SampleRate();
  const int32_t channels = std::max(1, m.format.Channels());
  const double frameMs = rate > 0 ? 1000.0 * static_cast<double>(m.format.FrameSamples()) / channels / rate : 0.0;
  f.playoutFrames = frameMs > 0 ? std::max<uint32_t>(1, static_cast<uint32_t>(std::ceil(m.arrivals.playoutDelayMs / frameMs - 1e-9))) : 1;
  f.captureMs = frameMs;
  f.codecMs = LookAheadMs(m.format.Codec());
  f.networkMs = m.roundTripMs > 0 ? m.roundTripMs / 2 : 0.0;
  f.spoolMs = m.backlog * frameMs;
  f.deviceMs = std::max(0.0, m.deviceMs);
  f.mouthToEarMs = f.captureMs + f.codecMs + f.networkMs + f.spoolMs + f.deviceMs;
  f.rating = CallRating(m.format.Codec(), f.mouthToEarMs, f.lossPercent);
  f.mark = f.rating >= 80 ? CallFigures::Mark::kGood : f.rating >= 60 ? CallFigures::Mark::kFair : CallFigures::Mark::kPoor;
  return f;
}

const char* MarkName(CallFigures::Mark mark) {
  switch (mark) {
    case CallFigures::Mark::kGood:
      return "good";
    case CallFigures::Mark::kFair:
      return "fair";
    default:
      return "poor";
  }
}

std::string CallSummary(const CallFigures& f) {
  char text[320];
  std::snprintf(text, sizeof text,
                "received %llu, lost %llu (%.1f %%), late %llu, concealed %llu, trimmed %llu, jitter %.0f ms, "
                "round trip %s ms, delay %.0f ms (G.114 limit %.0f ms), rating %.0f %s",
                static_cast<unsigned long long>(f.received), static_cast<unsigned long long>(f.lost), f.lossPercent,
                static_cast<unsigned long long>(f.late), static_cast<unsigned long long>(f.concealed),
                static_cast<unsigned long long>(f.trimmed), f.jitterMs,
                f.roundTripMs < 0 ? "?" : std::to_string(std::lround(f.roundTripMs)).c_str(), f.mouthToEarMs,
                CallFigures::kDelayLimitMs, f.rating, MarkName(f.mark));
  return text;
}

std::string CallHint(const CallFigures& f) {
  char text[400];
  std::snprintf(text, sizeof text,
                "Delay %.0f ms (calls degrade above %.0f ms): capture %.0f, codec %.0f, network %.0f, "
                "spool %.0f, device %.0f\nLost %.1f %%, jitter %.0f ms, round trip %s ms\nQuality: %s (rating %.0f)",
                f.mouthToEarMs, CallFigures::kDelayLimitMs, f.captureMs, f.codecMs, f.networkMs, f.spoolMs, f.deviceMs,
                f.lossPercent, f.jitterMs,
                f.roundTripMs < 0 ? "?" : std::to_string(std::lround(f.roundTripMs)).c_str(), MarkName(f.mark),
                f.rating);
  return text;
}
