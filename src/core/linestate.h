#pragma once

#include <cstdint>

#include "core/codes.h"

// Where a call line stands. A line's state is named after the last
// signalling datagram that moved it there, and a line that repeats itself
// sends that datagram's code again, so each state carries its code's number;
// WireCode is the one way from a state to a datagram.
enum class LineState : uint32_t {
  kIdle = 0,
  kCalling = code::kCallRequest,  // request sent, no ringing heard yet
  kRinging = code::kRinging,
  kAnswered = code::kAnswer,               // answered here, no confirmation yet
  kConnected = code::kAnswerConfirmation,  // audio flows
  kHangUpSent = code::kHangUp,
  kHangUpAcknowledged = code::kHangUpAck,
};

constexpr uint32_t WireCode(LineState state) {
  return static_cast<uint32_t>(state);
}
