// Arbitrary bytes as a received datagram: classification and every reader
// must stay inside the bytes, and builders must read back what they wrote.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "core/codes.h"
#include "core/receivedsignal.h"
#include "core/soundtype.h"
#include "net/audioreceiver.h"
#include "net/cdatagramrouter.h"
#include "net/datagramreader.h"
#include "net/datagramwriter.h"

namespace {

// Touches every byte handed over, so a span reaching past the input shows.
class SummingReceiver : public AudioReceiver {
 public:
  void ReceiveAudio(std::span<const uint8_t> datagram, SoundType type, const NetAddress& sender) override {
    for (const uint8_t b : datagram) sum += b;
    sum += WireCode(type) + sender.port();
    auto payload = datagram::SpeexPayload(datagram);
    for (const uint8_t b : payload) sum += b;
    std::array<uint8_t, datagram::kMaxFrameBytes> frame{};
    datagram::ReadPayload(datagram, frame);
  }
  uint64_t sum = 0;
};

void Check(bool holds) {
  if (!holds) std::abort();
}

void CheckRoundTrips(std::span<const uint8_t> bytes) {
  const uint32_t code = datagram::ReadCode(bytes);
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const auto signalling = datagram::BuildSignalling(code, text);
  const std::string_view expected = text.substr(0, std::min(text.find('\0'), datagram::kMaxTextChars));
  Check(datagram::ReadText(signalling) == expected);
  Check(datagram::ReadCode(signalling) == code);

  const auto payload = bytes.first(std::min(bytes.size(), datagram::kMaxFrameBytes));
  datagram::AudioDatagram out{};
  const std::size_t length = datagram::BuildAudio(SoundType::kSpeex8Mono, payload, out);
  if (payload.empty()) {
    Check(length == 0);
    return;
  }
  const std::span<const uint8_t> built(out.data(), length);
  Check(datagram::ReadSpeexLength(built) == static_cast<int32_t>(payload.size()));
  const auto read = datagram::SpeexPayload(built);
  Check(std::equal(read.begin(), read.end(), payload.begin(), payload.end()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::span<const uint8_t> bytes(data, size);

  // The signals a datagram makes, read through as the main thread would.
  struct ReadingSignals : SignalPort {
    void Post(ReceivedSignal signal) override { Check(signal.text.size() < 4096); }
  } signals;
  CDatagramRouter router(signals);
  router.OnDatagram(bytes, NetAddress::Parse("127.0.0.1"));
  SummingReceiver receiver;
  router.SetAudioReceiver(&receiver);
  router.OnDatagram(bytes, NetAddress::Parse("127.0.0.1"));

  const auto text = datagram::ReadText(bytes);
  Check(text.size() + datagram::kTextOffset <= std::max(size, datagram::kTextOffset));
  (void)datagram::ReadNumber(bytes);
  Check(datagram::SpeexPayload(bytes).size() + datagram::kSpeexPayloadOffset <=
        std::max(size, datagram::kSpeexPayloadOffset));

  CheckRoundTrips(bytes);
  return 0;
}
