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

// What the send path and the receive path of one sound format are made of
// besides their own buffers: the format, the window's flags, the two lines
// with their codecs, the socket, the speaker spool between them and the
// figures of the frames arriving.
struct PathParts {
  SoundFormat format;
  AudioFlags flags;
  std::array<AudioLine*, 2> lines;
  std::array<CCodecSet*, 2> codecs;
  const net::CUdpSocket& socket;
  CSpoolSp& spool;
  CArrivalStats& arrivals;  // written by the receive side only
  // Hears what the loudspeaker plays and takes it out of the microphone.
  CEchoCanceller& canceller;

  // The line whose page is in front, with its codecs; nullptr for none.
  AudioLine* CurrentLine() const {
    const int line = flags.currentLine.load();
    return line == 1 || line == 2 ? lines[static_cast<std::size_t>(line - 1)] : nullptr;
  }
  CCodecSet& CodecsOf(const AudioLine& line) const;
};
