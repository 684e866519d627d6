#pragma once

#include <array>
#include <atomic>

#include "audio/audioflags.h"
#include "audio/carrivalstats.h"
#include "audio/cdevicemc.h"
#include "audio/cdevicesp.h"
#include "audio/cechocanceller.h"
#include "audio/cprogress.h"
#include "audio/creceivepath.h"
#include "audio/csendpath.h"
#include "audio/cspoolsp.h"
#include "audio/soundtypes.h"
#include "settings/audiosettings.h"

class AudioBackend;
class AudioLine;
class CCodecSet;
class CFilters;
class CLog;
class WindowPort;
namespace net {
class CUdpSocket;
}

// Everything made for one sound format, between the devices and the
// spool, built together when the sound system starts or changes type and
// gone together. The devices are declared last, so they go first: once they
// are closed no callback runs into a part that is already gone.
struct CFormatChain {
  // What outlives a change of sound type.
  struct Ground {
    AudioSettings settings;
    AudioBackend& backend;
    AudioFlags flags;
    std::array<AudioLine*, 2> lines;
    std::array<CCodecSet*, 2> codecs;
    const net::CUdpSocket& socket;
    CFilters& filters;
    WindowPort& window;
    CLog& log;
    const std::atomic<bool>& soundTest;
    // What the server adds to the loudspeaker's queue, measured once per device.
    CDeviceSp::QueueSurplus& speakerSurplus;
  };

  CFormatChain(const Ground& ground, const SoundFormat& format);
  CFormatChain(const CFormatChain&) = delete;
  CFormatChain& operator=(const CFormatChain&) = delete;

  CSpoolSp spool;
  CArrivalStats arrivals;
  CEchoCanceller canceller;
  CProgress micTap;
  CProgress speakerTap;
  CSendPath sendPath;
  CReceivePath receivePath;
  CDeviceMc mic;
  CDeviceSp speaker;
};
