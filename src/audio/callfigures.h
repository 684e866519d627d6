#pragma once

#include <cstdint>
#include <string>

#include "audio/carrivalstats.h"
#include "audio/cspoolsp.h"
#include "audio/soundtypes.h"

// What one call's figures are made of, as the audio paths and the line
// measure them.
struct CallMeasures {
  SoundFormat format;
  CArrivalStats::Figures arrivals;
  CSpoolSp::Counts spool;  // since the call began
  uint32_t backlog = 0;    // frames waiting in the speaker spool now
  double roundTripMs = -1;  // -1 while unknown
  double deviceMs = 0;      // the playback queue as the device reports it
};

// The call's figures as the user is shown them: what arrived, the delay
// from the far end's mouth to this ear made of its parts, and a rating.
struct CallFigures {
  // ITU-T G.114: above this one-way delay, calls degrade.
  static constexpr double kDelayLimitMs = 150.0;

  enum class Mark { kGood, kFair, kPoor };

  uint64_t received = 0;
  uint64_t lost = 0;
  uint64_t late = 0;
  uint64_t concealed = 0;
  uint64_t trimmed = 0;
  double lossPercent = 0;
  double jitterMs = 0;
  double roundTripMs = -1;
  uint32_t playoutFrames = 1;  // the backlog the arrivals call for
  // The one-way delay's parts: a capture frame, the codec's look-ahead,
  // half the round trip, the spool's backlog and the device's queue.
  double captureMs = 0;
  double codecMs = 0;
  double networkMs = 0;
  double spoolMs = 0;
  double deviceMs = 0;
  double mouthToEarMs = 0;
  double rating = 0;  // the E-model's R, 0 to 100
  Mark mark = Mark::kGood;
};

CallFigures ComposeCallFigures(const CallMeasures& measures);

// The rating of a delay and a loss for a codec, after ITU-T G.107's E-model
// with its defaults: delay impairment from the one-way delay, equipment
// impairment from the codec and the loss.
double CallRating(SoundCodec codec, double mouthToEarMs, double lossPercent);

const char* MarkName(CallFigures::Mark mark);

// One line for the connection log and the status: every figure, named.
std::string CallSummary(const CallFigures& figures);
// The line page's hint: the delay against its limit, then the rest.
std::string CallHint(const CallFigures& figures);
