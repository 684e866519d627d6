#include "audio/creceivepath.h"

#include <algorithm>
#include <bit>

#include "audio/ccodecset.h"
#include "audio/cprogress.h"
#include "audio/cspoolsp.h"
#include "core/audioline.h"
#include "core/codes.h"
#include "core/windowport.h"
#include "net/cudpsocket.h"
#include "net/datagramreader.h"
#include "net/datagramwriter.h"
#include "net/transport.h"
#include "settings/clog.h"

// PCM travels little-endian; frames are copied from the wire as they lie in
// memory.
static_assert(std::endian::native == std::endian::little);

CReceivePath::CReceivePath(const SoundFormat& format, const AudioFlags& flags,
                           std::array<AudioLine*, 2> lines, std::array<CCodecSet*, 2> codecs,
                           const net::CUdpSocket& socket, CSpoolSp& spool, CProgress& tap, WindowPort& window,
                           CLog& log)
    : format_(format),
      flags_(flags),
      lines_(lines),
      codecs_(codecs),
      socket_(socket),
      spool_(spool),
      tap_(tap),
      window_(window),
      log_(log),
      frame_(format.FrameSamples(), 0) {}

AudioLine* CReceivePath::CurrentLine() const {
  const int line = flags_.currentLine.load();
  return line == 1 || line == 2 ? lines_[static_cast<std::size_t>(line - 1)] : nullptr;
}

void CReceivePath::Receive(std::span<const uint8_t> datagram, uint32_t code, uint32_t sender) {
  AudioLine* line = CurrentLine();
  // Only the peer of the call is heard; anybody else's audio is dropped.
  if (!line || line->State() != LineState::kConnected || line->PeerAddress() != sender) return;
  if (code != format_.Code()) {
    RefuseWrongType(*line, code, sender);
    return;
  }
  line->AddRxBytes(datagram.size());
  if (Decode(*codecs_[static_cast<std::size_t>(line->LineNumber() - 1)], datagram)) {
    spool_.Put(std::span<const int16_t>(frame_.data(), frame_.size()));
  }
}

void CReceivePath::RefuseWrongType(AudioLine& line, uint32_t code, uint32_t sender) {
  if (!line.IsIncoming()) {
    // The caller's type wins: ask the called side to follow.
    line.SendValue(code::kSoundTypeRequest, static_cast<int32_t>(format_.Code()));
    return;
  }
  if (!flags_.lockCodec.load()) {
    window_.PostCode(code::kSoundTypeRequest, code);
    return;
  }
  log_.Write("Remote rejected, wrong codec", net::AddressText(sender));
  socket_.SendToPeer(sender, datagram::BuildShort(code::kRejection));
  // The lines belong to the main thread; it hangs up there.
  window_.PostCode(code::kHangUpFront, 0);
}

bool CReceivePath::Decode(CCodecSet& codecs, std::span<const uint8_t> datagram) {
  if (frame_.empty()) return false;
  const std::span<int16_t> frame(frame_.data(), frame_.size());
  switch (format_.Codec()) {
    case SoundCodec::kGsm:
    case SoundCodec::kG711: {
      const bool gsm = format_.Codec() == SoundCodec::kGsm;
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
      CSpeex* speex = codecs.SpeexFor(format_.Code());
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
  const std::span<int16_t> samples(frame, format_.FrameSamples());
  spool_.Get(samples);
  if (flags_.speakerMuted.load() != 0) {
    std::fill(samples.begin(), samples.end(), 0);
  } else {
    tap_.Tap(samples);
  }
}
