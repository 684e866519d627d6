#include "audio/csendpath.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "audio/ccodecset.h"
#include "audio/cprogress.h"
#include "audio/cspoolsp.h"
#include "core/audioline.h"
#include "core/codes.h"
#include "net/cudpsocket.h"
#include "net/datagramwriter.h"

// PCM travels little-endian; frames are copied to the wire as they lie in
// memory.
static_assert(std::endian::native == std::endian::little);

CSendPath::CSendPath(const SoundFormat& format, const AudioFlags& flags, std::array<AudioLine*, 2> lines,
                     std::array<CCodecSet*, 2> codecs, const net::CUdpSocket& socket, CSpoolSp& spool,
                     CProgress& tap, const std::atomic<bool>& soundTest)
    : format_(format),
      flags_(flags),
      lines_(lines),
      codecs_(codecs),
      socket_(socket),
      spool_(spool),
      tap_(tap),
      soundTest_(soundTest) {}

void CSendPath::CaptureFrame(int16_t* frame, void* user) {
  static_cast<CSendPath*>(user)->Capture(frame);
}

void CSendPath::Capture(int16_t* frame) {
  const std::span<int16_t> samples(frame, format_.FrameSamples());
  if (flags_.micMuted.load() != 0) std::fill(samples.begin(), samples.end(), 0);
  tap_.Tap(samples);
  Send(samples);
}

void CSendPath::Send(std::span<int16_t> frame) {
  if (flags_.restarting.load() || flags_.quitting.load() > 0) return;
  if (soundTest_.load()) {
    spool_.Put(frame);
    return;
  }
  const int number = flags_.currentLine.load();
  if ((number != 1 && number != 2) || flags_.micMuted.load() != 0) return;
  AudioLine& line = *lines_[static_cast<std::size_t>(number - 1)];
  if (line.State() != LineState::kConnected) return;
  const std::size_t payload = Encode(*codecs_[static_cast<std::size_t>(number - 1)], frame);
  if (payload == 0) return;
  const std::size_t length =
      datagram::BuildAudio(format_.Code(), std::span<const uint8_t>(encoded_.data(), payload), datagram_);
  if (length == 0) return;
  socket_.SendToPeer(line.PeerAddress(), std::span<const uint8_t>(datagram_.data(), length));
  line.AddTxBytes(length);
}

std::size_t CSendPath::Encode(CCodecSet& codecs, std::span<const int16_t> frame) {
  switch (format_.Codec()) {
    case SoundCodec::kGsm:
      return codecs.Gsm().Encode(frame, std::span(encoded_.data(), datagram::kGsmPayloadBytes))
                 ? datagram::kGsmPayloadBytes
                 : 0;
    case SoundCodec::kG711:
      return codecs.G711().Encode(frame, std::span(encoded_.data(), datagram::kG711PayloadBytes))
                 ? datagram::kG711PayloadBytes
                 : 0;
    case SoundCodec::kPcm: {
      const std::size_t bytes = std::min(frame.size_bytes(), encoded_.size());
      std::memcpy(encoded_.data(), frame.data(), bytes);
      return bytes;
    }
    default: {
      CSpeex* speex = codecs.SpeexFor(format_.Code());
      return speex ? speex->Encode(frame, encoded_) : 0;
    }
  }
}
