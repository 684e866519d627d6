#include "audio/creceivepath.h"

#include <algorithm>
#include <bit>
#include <chrono>

#include "audio/carrivalstats.h"
#include "audio/ccodecset.h"
#include "audio/cechocanceller.h"
#include "audio/cprogress.h"
#include "audio/cspoolsp.h"
#include "core/audioline.h"
#include "core/codes.h"
#include "core/windowport.h"
#include "net/cudpsocket.h"
#include "net/datagramreader.h"
#include "net/datagramwriter.h"
#include "settings/clog.h"

// PCM travels little-endian; frames are copied from the wire as they lie in
// memory.
static_assert(std::endian::native == std::endian::little);

CReceivePath::CReceivePath(const ReceiveParts& parts, CProgress& tap, WindowPort& window, CLog& log)
    : parts_(parts), tap_(tap), window_(window), log_(log), frame_(parts.format.FrameSamples(), 0) {}

void CReceivePath::Receive(std::span<const uint8_t> datagram, SoundType type, const NetAddress& sender) {
  AudioLine* line = parts_.calls.Current();
  // Only the peer of the call is heard; anybody else's audio is dropped.
  if (!line || line->State() != LineState::kConnected || !line->PeerAddress().SameHost(sender)) return;
  if (type != parts_.format.Type()) {
    RefuseWrongType(*line, type, sender);
    return;
  }
  line->AddRxBytes(datagram.size());
  if (Decode(parts_.calls.CodecsOf(*line), datagram)) {
    parts_.spool.Put(std::span<const int16_t>(frame_.data(), frame_.size()));
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    parts_.arrivals.Note(std::chrono::duration<double>(now).count());
    parts_.spool.SetPlayoutTarget(parts_.arrivals.TargetFrames());
  }
}

void CReceivePath::RefuseWrongType(AudioLine& line, SoundType type, const NetAddress& sender) {
  if (!line.IsIncoming()) {
    // The caller's type wins: ask the called side to follow.
    line.SendValue(code::kSoundTypeRequest, static_cast<int32_t>(WireCode(parts_.format.Type())));
    return;
  }
  if (!parts_.flags.lockCodec.load()) {
    window_.PostCode(code::kSoundTypeRequest, WireCode(type));
    return;
  }
  log_.Write("Remote rejected, wrong codec", sender.Text());
  parts_.socket.Send(sender.Host(), datagram::BuildShort(code::kRejection));
  // The lines belong to the main thread; it hangs up there.
  window_.Post(WindowMessage::kHangUpFront, 0);
}

bool CReceivePath::Decode(CCodecSet& codecs, std::span<const uint8_t> datagram) {
  if (frame_.empty()) return false;
  const std::span<int16_t> frame(frame_.data(), frame_.size());
  switch (parts_.format.Codec()) {
    case SoundCodec::kGsm:
    case SoundCodec::kG711: {
      const bool gsm = parts_.format.Codec() == SoundCodec::kGsm;
      const std::size_t bytes = gsm ? datagram::kGsmPayloadBytes : datagram::kG711PayloadBytes;
      datagram::ReadPayload(datagram, std::span(payload_.data(), bytes));
      std::fill(frame.begin(), frame.end(), 0);
      const auto payload = std::span<const uint8_t>(payload_.data(), bytes);
      return gsm ? codecs.Gsm().Decode(payload, frame) : codecs.G711().Decode(payload, frame);
    }
    case SoundCodec::kPcm:
      datagram::ReadPayload(datagram,
                            std::span(reinterpret_cast<uint8_t*>(frame.data()), frame.size_bytes()));
      return true;
    default: {
      CSpeex* speex = codecs.SpeexFor(parts_.format.Type());
      const auto payload = datagram::SpeexPayload(datagram);
      // A frame cut short in transit would decode to noise; it is dropped.
      if (!speex || payload.empty() ||
          static_cast<int32_t>(payload.size()) != datagram::ReadSpeexLength(datagram)) {
        return false;
      }
      return speex->Decode(payload, frame);
    }
  }
}

void CReceivePath::PlayFrame(int16_t* frame, void* user) {
  static_cast<CReceivePath*>(user)->Play(frame);
}

void CReceivePath::Play(int16_t* frame) {
  const std::span<int16_t> samples(frame, parts_.format.FrameSamples());
  parts_.spool.Get(samples);
  if (parts_.flags.speakerMuted.load() != 0) {
    std::fill(samples.begin(), samples.end(), 0);
  } else {
    tap_.Tap(samples);
  }
  parts_.canceller.NotePlayed(samples);
}
