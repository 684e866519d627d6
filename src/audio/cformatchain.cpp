#include "audio/cformatchain.h"

namespace {

constexpr int kMicTap = 0;
constexpr int kSpeakerTap = 1;

double FrameSeconds(const SoundFormat& format) {
  const int channels = format.Channels() > 0 ? format.Channels() : 1;
  return format.SampleRate() > 0 ? static_cast<double>(format.FrameSamples()) / channels / format.SampleRate()
                                 : 0.0;
}

}  // namespace

CFormatChain::CFormatChain(const Ground& ground, const SoundFormat& format)
    : spool(ground.settings, ground.filters, format),
      arrivals(FrameSeconds(format)),
      canceller(format),
      micTap(kMicTap, format),
      speakerTap(kSpeakerTap, format),
      sendPath(
          SendParts{format, ground.flags, CallLines{ground.flags.currentLine, ground.lines, ground.codecs},
                    ground.socket, canceller, spool},
          micTap, ground.soundTest),
      receivePath(
          ReceiveParts{format, ground.flags, CallLines{ground.flags.currentLine, ground.lines, ground.codecs},
                       ground.socket, spool, arrivals, canceller},
          speakerTap, ground.window, ground.log),
      mic(ground.settings, ground.backend, format, &CSendPath::CaptureFrame, &sendPath),
      speaker(ground.settings, ground.backend, format, &CReceivePath::PlayFrame, &receivePath,
              ground.speakerSurplus) {
  speakerTap.Clear();
}
