#pragma once

#include <array>

#include "audio/audioflags.h"
#include "audio/soundtypes.h"

class AudioLine;
class CArrivalStats;
class CEchoCanceller;
class CCodecSet;
class CSpoolSp;
namespace net {
class CUdpSocket;
}

// The two call lines with their codecs, as both directions find the line
// whose page is in front.
struct CallLines {
  const std::atomic<int>& currentLine;  // 1 or 2; 0 for none
  std::array<AudioLine*, 2> lines;
  std::array<CCodecSet*, 2> codecs;

  // nullptr for none.
  AudioLine* Current() const {
    const int line = currentLine.load();
    return line == 1 || line == 2 ? lines[static_cast<std::size_t>(line - 1)] : nullptr;
  }
  CCodecSet& CodecsOf(const AudioLine& line) const;
};

// What the microphone's way to the wire is made of besides its own buffers.
struct SendParts {
  SoundFormat format;
  AudioFlags flags;
  CallLines calls;
  const net::CUdpSocket& socket;
  // Takes the loudspeaker's echo out of the microphone.
  CEchoCanceller& canceller;
  // The sound test plays the microphone through the loudspeaker's spool.
  CSpoolSp& soundTestSpool;
};

// What the way from the wire to the loudspeaker is made of besides its own
// buffers.
struct ReceiveParts {
  SoundFormat format;
  AudioFlags flags;
  CallLines calls;
  // The refusal of a sound type this side will not follow goes back on it.
  const net::CUdpSocket& socket;
  CSpoolSp& spool;
  CArrivalStats& arrivals;
  // Hears what the loudspeaker plays, to take it out of the microphone.
  CEchoCanceller& canceller;
};
