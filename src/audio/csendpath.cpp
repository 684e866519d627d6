#include "audio/csendpath.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "audio/ccodecset.h"
#include "audio/cechocanceller.h"
#include "audio/cprogress.h"
#include "audio/cspoolsp.h"
#include "core/audioline.h"
#include "core/codes.h"
#include "net/cudpsocket.h"
#include "net/datagramwriter.h"

// PCM travels little-endian; frames are copied to the wire as they lie in
// memory.
static_assert(std::endian::native == std::endian::little);

CSendPath::CSendPath(const SendParts& parts, CProgress& tap, const std::atomic<bool>& soundTest)
    : parts_(parts), tap_(tap), soundTest_(soundTest) {}

void CSendPath::CaptureFrame(int16_t* frame, void* user) {
  static_cast<CSendPath*>(user)->Capture(frame);
}

void CSendPath::Capture(int16_t* frame) {
  const std::span<int16_t> samples(frame, parts_.format.FrameSamples());
  parts_.canceller.Clean(samples);
  if (parts_.flags.micMuted.load() != 0) std::fill(samples.begin(), samples.end(), 0);
  tap_.Tap(samples);
  Send(samples);
}

void CSendPath::Send(std::span<int16_t> frame) {
  if (parts_.flags.restarting.load() || parts_.flags.quitting.load() > 0) return;
  if (soundTest_.load()) {
    parts_.soundTestSpool.Put(frame);
    return;
  }
  AudioLine* line = parts_.calls.Current();
  if (!line || parts_.flags.micMuted.load() != 0 || line->State() != LineState::kConnected) return;
  const std::size_t payload = Encode(parts_.calls.CodecsOf(*line), frame);
  if (payload == 0) return;
  const std::size_t length = datagram::BuildAudio(
      parts_.format.Type(), std::span<const uint8_t>(encoded_.data(), payload), datagram_);
  if (length == 0) return;
  parts_.socket.Send(line->PeerAddress(), std::span<const uint8_t>(datagram_.data(), length));
  line->AddTxBytes(length);
}

std::size_t CSendPath::Encode(CCodecSet& codecs, std::span<const int16_t> frame) {
  switch (parts_.format.Codec()) {
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
      CSpeex* speex = codecs.SpeexFor(parts_.format.Type());
      return speex ? speex->Encode(frame, encoded_) : 0;
    }
  }
}
