// Arbitrary datagrams into the audio receive path of a connected call, in
// every sound type: decoding, the speaker spool and the filters must stay
// inside their buffers whatever arrives, and playback goes on.
//
// Input: one byte choosing the sound type and the filter settings, then
// datagrams, each with a two-byte length in front.
#include <arpa/inet.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "audio/audioflags.h"
#include "audio/caudiopaths.h"
#include "audio/soundtypes.h"
#include "core/codes.h"
#include "core/soundtype.h"
#include "fakes/cfakemessageboxes.h"
#include "fakes/cfakewindowport.h"
#include "fakes/crecordinglineobserver.h"
#include "fakes/cmanualaudiobackend.h"
#include "fakes/cmemorykeystore.h"
#include "net/cclient.h"
#include "net/cudpsocket.h"
#include "net/datagramreader.h"
#include "settings/clog.h"
#include "settings/cparams.h"

namespace {

NetAddress Loopback(uint8_t n) {
  return NetAddress::IPv4(htonl(0x7F000000u | n));
}

// One side of a connected call on line 1, its peer at 127.0.0.1.
struct Callee {
  Callee()
      : params(store),
        log(params, std::filesystem::temp_directory_path(), [] { return std::string("d t"); }),
        socket(0, Loopback(2)),
        line1(1, params, log, lines, socket),
        line2(2, params, log, lines, socket) {
    line1.Incoming(Loopback(1), "caller");
    line1.Answer();
    line1.ReceiveCode(code::kAnswerConfirmation);
  }

  void Build(SoundType type, uint8_t filterBits) {
    paths.reset();
    params.SetInt("FilterBp", filterBits & 1);
    params.SetInt("FilterLimiter", (filterBits >> 1) & 1);
    params.SetInt("FilterBpCascade", (filterBits >> 2) & 3);
    params.SetInt("PreBuffer", 3 + ((filterBits >> 4) & 7));
    currentSndType = type;
    paths = std::make_unique<CAudioPaths>(params, log, window, boxes, backend,
                                          AudioFlags{quitting, restarting, running, micMuted, speakerMuted,
                                                     currentSndType, lockCodec, currentLine},
                                          line1, line2, socket);
    paths->Build(type);
    paths->ReloadFilters();
    paths->OpenDevices();
  }

  // One playback callback, as the sound server would ask for it.
  void Play() {
    if (!backend.output || !backend.output->callback) return;
    const auto& request = backend.output->request;
    samples.resize(static_cast<std::size_t>(request.framesPerCallback * request.channels));
    backend.output->callback(samples.data(), samples.size(), backend.output->user);
  }

  CMemoryKeyStore store;
  CParams params;
  CLog log;
  CFakeWindowPort window;
  CRecordingLineObserver lines;
  CFakeMessageBoxes boxes;
  ManualBackend backend;
  net::CUdpSocket socket;
  CClient line1, line2;
  std::unique_ptr<CAudioPaths> paths;
  std::atomic<int> quitting{0}, running{1}, micMuted{0}, speakerMuted{0}, currentLine{1};
  std::atomic<bool> restarting{false}, lockCodec{false};
  std::atomic<SoundType> currentSndType{SoundType::kGsm8};
  std::vector<int16_t> samples;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  static Callee callee;
  if (size < 1) return 0;
  const auto type = static_cast<SoundType>(code::kSoundFirst + data[0] % 15);
  callee.Build(type, static_cast<uint8_t>(data[0] / 15));
  std::span<const uint8_t> rest(data + 1, size - 1);
  int datagrams = 0;
  while (rest.size() >= 2 && datagrams < 64) {
    const std::size_t length = std::min<std::size_t>(rest[0] | rest[1] << 8, rest.size() - 2);
    const auto datagram = rest.subspan(2, length);
    rest = rest.subspan(2 + length);
    // The type its code says, as the router hands it on, or the call's own.
    const auto declared = SoundTypeOf(datagram::ReadCode(datagram));
    callee.paths->ReceiveAudio(datagram, declared ? *declared : type, Loopback(1));
    if (++datagrams % 2 == 0) callee.Play();
  }
  callee.Play();
  return 0;
}
