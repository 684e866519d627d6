#include "audio/caudiopaths.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <thread>

#include "core/audiobackend.h"
#include "audio/ccodecset.h"
#include "audio/cdevicemc.h"
#include "audio/cdevicesp.h"
#include "audio/cfilters.h"
#include "audio/cprogress.h"
#include "audio/cspoolsp.h"
#include "audio/soundtypes.h"
#include "net/cclient.h"
#include "core/codes.h"
#include "net/datagramreader.h"
#include "net/datagramwriter.h"
#include "net/transport.h"
#include "core/messageboxport.h"
#include "core/windowport.h"
#include "settings/clog.h"
#include "settings/cparams.h"

// PCM travels little-endian; frames are copied to and from the wire as they
// lie in memory.
static_assert(std::endian::native == std::endian::little);

namespace {

constexpr int kMicTap = 0;
constexpr int kSpeakerTap = 1;

// Keeps the receive thread's presence in the path visible to a restart,
// which must not replace the spool or the codecs under it.
class ReceiveGuard {
 public:
  explicit ReceiveGuard(std::atomic<int>& count) : count_(count) { count_.fetch_add(1); }
  ~ReceiveGuard() { count_.fetch_sub(1); }
  ReceiveGuard(const ReceiveGuard&) = delete;
  ReceiveGuard& operator=(const ReceiveGuard&) = delete;

 private:
  std::atomic<int>& count_;
};

}  // namespace

CAudioPaths::CAudioPaths(CParams& params, CLog& log, WindowPort& window, MessageBoxPort& boxes,
                         AudioBackend& backend, AudioFlags flags, CClient& line1, CClient& line2,
                         const int& socket)
    : params_(params),
      log_(log),
      window_(window),
      boxes_(boxes),
      backend_(backend),
      flags_(flags),
      lines_{&line1, &line2},
      socket_(socket),
      codecs_{std::make_unique<CCodecSet>(), std::make_unique<CCodecSet>()},
      receiveFrame_(datagram::kMaxFrameBytes / 2, 0) {}

CAudioPaths::~CAudioPaths() {
  CloseDevices();
  // The receive thread may still be in the path until the program has
  // stopped it; the restarting flag keeps it out from here on.
  flags_.restarting.store(true);
  while (receiving_.load() != 0) std::this_thread::yield();
}

CCodecSet& CAudioPaths::Codecs(int line) {
  return *codecs_.at(static_cast<std::size_t>(line - 1));
}

CClient* CAudioPaths::CurrentLine() const {
  const int line = flags_.currentLine.load();
  return line == 1 || line == 2 ? lines_[static_cast<std::size_t>(line - 1)] : nullptr;
}

void CAudioPaths::Build() {
  filters_ = std::make_unique<CFilters>(params_);
  Rebuild();
  flags_.soundSystemRunning.store(1);
}

void CAudioPaths::Rebuild() {
  frameSamples_ = static_cast<std::size_t>(std::max(0, GetFrameBytes() / 2));
  filters_->LoadFilterSettings();
  speaker_ =
      std::make_unique<CDeviceSp>(params_, backend_, &CAudioPaths::SpeakerFrame, this, speakerSurplus_);
  spool_ = std::make_unique<CSpoolSp>(params_, *filters_);
  mic_ = std::make_unique<CDeviceMc>(params_, backend_, &CAudioPaths::MicFrame, this);
  micTap_ = std::make_unique<CProgress>(kMicTap);
  speakerTap_ = std::make_unique<CProgress>(kSpeakerTap);
  speakerTap_->Clear();
}

void CAudioPaths::Teardown() {
  speaker_.reset();
  mic_.reset();
  spool_.reset();
  micTap_.reset();
  speakerTap_.reset();
}

void CAudioPaths::SetRestartHooks(std::function<void(bool)> lamp, std::function<void()> teardown,
                                  std::function<void()> rebuilt) {
  lamp_ = std::move(lamp);
  teardownHook_ = std::move(teardown);
  rebuiltHook_ = std::move(rebuilt);
}

void CAudioPaths::RestartSound(uint32_t code, bool notify) {
  flags_.restarting.store(true);
  CloseDevices();
  if (lamp_) lamp_(true);
  // Closing a device waits for its callback; the receive thread is the one
  // that may still be inside the path, and it leaves at the flag.
  const auto settled = std::chrono::steady_clock::now() + std::chrono::milliseconds(settleMs_);
  while (std::chrono::steady_clock::now() < settled || receiving_.load() != 0) std::this_thread::yield();
  flags_.soundSystemRunning.store(0);

  try {
    Teardown();
    if (teardownHook_) teardownHook_();
  } catch (const std::exception&) {
    boxes_.ShowError("sndTypeChange voiceStop");
  }
  SetSoundType(code);
  if (code == code::kSpeexFirst) {
    ApplySpeexOptions(1);
    ApplySpeexOptions(2);
  }
  try {
    Rebuild();
    const CClient* line = CurrentLine();
    // The heartbeat opens the devices anyway when a call needs them; opening
    // them here only when one does spares a device that is not needed.
    if (SoundTestOn() || (line && line->State() == code::kAnswerConfirmation)) OpenDevices();
    if (rebuiltHook_) rebuiltHook_();
  } catch (const std::exception&) {
    boxes_.ShowError("sndTypeChange voiceStart");
  }
  flags_.soundSystemRunning.store(1);
  if (notify) {
    if (CClient* line = CurrentLine()) line->SendValue(code::kSoundTypeRequest, static_cast<int32_t>(code));
  }
  flags_.currentSndType.store(code);
  flags_.restarting.store(false);
  if (lamp_) lamp_(false);
}

void CAudioPaths::Report(bool& reported, const char* text, const std::string& reason) {
  // The heartbeat retries ten times a second while audio is wanted; one
  // line and one box per failing stretch is enough.
  if (reported) return;
  reported = true;
  std::fprintf(stderr, "ondrel: %s %s\n", text, reason.c_str());
  boxes_.ShowError(text);
}

void CAudioPaths::OpenDevices() {
  if (!speaker_ || !mic_ || !spool_) return;
  std::string error;
  if (speaker_->IsOpen()) {
    speaker_->NoteQueue();
    return;
  }
  if (flags_.speakerMuted.load() == 0) {
    if (speaker_->OpenOutput(error)) {
      speakerFailureShown_ = false;
    } else {
      Report(speakerFailureShown_, "Could not open output audio device.", error);
    }
  }
  if (flags_.micMuted.load() == 0) {
    if (mic_->OpenInput(error)) {
      micFailureShown_ = false;
    } else {
      Report(micFailureShown_, "Could not open input audio device.", error);
    }
  }
  spool_->RequestReset();
}

void CAudioPaths::CloseDevices() {
  if (speaker_) speaker_->CloseOutput();
  if (mic_) mic_->CloseInput();
  speakerFailureShown_ = false;
  micFailureShown_ = false;
}

void CAudioPaths::ReopenDevices() {
  CloseDevices();
  OpenDevices();
}

void CAudioPaths::MuteSpeaker(bool muted) {
  if (!speaker_) return;
  if (muted) {
    speaker_->CloseOutput();
    if (speakerTap_) speakerTap_->Clear();
    return;
  }
  std::string error;
  if (!speaker_->OpenOutput(error))
    Report(speakerFailureShown_, "Could not open output audio device.", error);
  if (spool_) spool_->RequestReset();
}

void CAudioPaths::MuteMicrophone(bool muted) {
  if (!mic_) return;
  if (muted) {
    mic_->CloseInput();
    return;
  }
  std::string error;
  if (!mic_->OpenInput(error)) Report(micFailureShown_, "Could not open input audio device.", error);
}

void CAudioPaths::ApplySpeexOptions(int line) {
  CSpeex& speex = Codecs(line).Speex8();
  const std::pair<const char*, void (CSpeex::*)(int32_t)> options[] = {
      {"SpeexVbrQuality", &CSpeex::SetVbrQuality},
      {"SpeexVbr", &CSpeex::SetVbr},
      {"SpeexQuality", &CSpeex::SetQuality},
      {"SpeexComplexity", &CSpeex::SetComplexity},
      {"SpeexEnhancer", &CSpeex::SetEnhancer},
      {"SpeexVad", &CSpeex::SetVad},
      {"SpeexDtx", &CSpeex::SetDtx},
  };
  for (const auto& [name, set] : options) {
    if (const int32_t value = params_.GetInt(name); value != 0) (speex.*set)(value);
  }
}

void CAudioPaths::ApplyRemoteSpeexOption(uint32_t code, int32_t value) {
  const int line = flags_.currentLine.load();
  if (line != 1 && line != 2) return;
  CSpeex& speex = Codecs(line).Speex8();
  switch (code) {
    case code::kSpeexQuality:
      speex.SetQuality(value);
      break;
    case code::kSpeexComplexity:
      speex.SetComplexity(value);
      break;
    case code::kSpeexVbrQuality:
      speex.SetVbrQuality(value);
      break;
    case code::kSpeexVbr:
      speex.SetVbr(value);
      break;
    case code::kSpeexVad:
      speex.SetVad(value);
      break;
    case code::kSpeexDtx:
      speex.SetDtx(value);
      break;
    default:
      break;
  }
}

void CAudioPaths::ReloadPreBuffer() {
  if (spool_) spool_->LoadPreBuffer();
}

void CAudioPaths::ReloadFilters() {
  if (filters_) filters_->LoadFilterSettings();
}

void CAudioPaths::SetSpeakerLimit(int32_t level) {
  if (spool_) spool_->SetLimitLevel(level);
}

int32_t CAudioPaths::SpeakerLevel() {
  return speakerTap_ ? speakerTap_->ReadLevel() : 0;
}
int32_t CAudioPaths::MicLevel() {
  return micTap_ ? micTap_->ReadLevel() : 0;
}

void CAudioPaths::MicFrame(int16_t* frame, void* user) {
  auto* self = static_cast<CAudioPaths*>(user);
  const std::span<int16_t> samples(frame, self->frameSamples_);
  if (self->flags_.micMuted.load() != 0) std::fill(samples.begin(), samples.end(), 0);
  self->SendMicFrame(samples);
  self->micTap_->Tap(samples);
}

void CAudioPaths::SpeakerFrame(int16_t* frame, void* user) {
  auto* self = static_cast<CAudioPaths*>(user);
  const std::span<int16_t> samples(frame, self->frameSamples_);
  self->spool_->Get(samples);
  if (self->flags_.speakerMuted.load() != 0) {
    std::fill(samples.begin(), samples.end(), 0);
  } else {
    self->speakerTap_->Tap(samples);
  }
}

void CAudioPaths::SendMicFrame(std::span<int16_t> frame) {
  if (flags_.restarting.load() || flags_.quitting.load() > 0) return;
  if (SoundTestOn()) {
    spool_->Put(frame);
    return;
  }
  CClient* line = CurrentLine();
  if (flags_.micMuted.load() != 0 || !line || line->State() != code::kAnswerConfirmation) return;
  const uint32_t type = flags_.currentSndType.load();
  const std::size_t payload = Encode(*line, frame, type);
  if (payload == 0) return;
  const std::size_t length =
      datagram::BuildAudio(type, std::span<const uint8_t>(encoded_.data(), payload), sendBuffer_);
  if (length == 0) return;
  net::SendDatagram(socket_, line->PeerAddress(), net::GetNetPort(), sendBuffer_.data(), length);
  line->AddTxBytes(length);
}

std::size_t CAudioPaths::Encode(CClient& line, std::span<int16_t> frame, uint32_t type) {
  CCodecSet& codecs = Codecs(line.LineNumber());
  const SoundTypeInfo* info = FindSoundType(type);
  if (!info) return 0;
  switch (info->codec) {
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
      CSpeex* speex = codecs.SpeexFor(type);
      return speex ? speex->Encode(frame, encoded_) : 0;
    }
  }
}

void CAudioPaths::ReceiveAudio(std::span<const uint8_t> datagram, uint32_t code, uint32_t sender) {
  const ReceiveGuard guard(receiving_);
  if (flags_.quitting.load() > 0 || flags_.restarting.load() || flags_.speakerMuted.load() != 0 ||
      SoundTestOn()) {
    return;
  }
  CClient* line = CurrentLine();
  // Only the peer of the call is heard; anybody else's audio is dropped.
  if (!line || line->State() != code::kAnswerConfirmation || line->PeerAddress() != sender) return;
  if (code != flags_.currentSndType.load()) {
    RefuseWrongType(*line, code, sender);
    return;
  }
  line->AddRxBytes(datagram.size());
  if (Decode(*line, datagram, code)) {
    spool_->Put(std::span<const int16_t>(receiveFrame_.data(), frameSamples_));
  }
}

void CAudioPaths::RefuseWrongType(CClient& line, uint32_t code, uint32_t sender) {
  if (!line.IsIncoming()) {
    // The caller's type wins: ask the called side to follow.
    line.SendValue(code::kSoundTypeRequest, static_cast<int32_t>(flags_.currentSndType.load()));
    return;
  }
  if (!flags_.lockCodec.load()) {
    window_.PostCode(code::kSoundTypeRequest, code);
    return;
  }
  log_.Write("Remote rejected, wrong codec", net::AddressText(sender));
  const auto rejection = datagram::BuildShort(code::kRejection);
  net::SendDatagram(socket_, sender, net::GetNetPort(), rejection.data(), rejection.size());
  // The lines belong to the main thread; it hangs up there.
  window_.PostCode(code::kHangUpFront, 0);
}

bool CAudioPaths::Decode(CClient& line, std::span<const uint8_t> datagram, uint32_t code) {
  CCodecSet& codecs = Codecs(line.LineNumber());
  const SoundTypeInfo* info = FindSoundType(code);
  if (!info || frameSamples_ == 0) return false;
  const std::span<int16_t> frame(receiveFrame_.data(), frameSamples_);
  switch (info->codec) {
    case SoundCodec::kGsm:
    case SoundCodec::kG711: {
      const std::size_t bytes =
          info->codec == SoundCodec::kGsm ? datagram::kGsmPayloadBytes : datagram::kG711PayloadBytes;
      datagram::ReadPayload(datagram, std::span(encoded_.data(), bytes));
      std::fill(frame.begin(), frame.end(), 0);
      const auto payload = std::span<const uint8_t>(encoded_.data(), bytes);
      return info->codec == SoundCodec::kGsm ? codecs.Gsm().Decode(payload, frame)
                                             : codecs.G711().Decode(payload, frame);
    }
    case SoundCodec::kPcm:
      datagram::ReadPayload(datagram,
                            std::span(reinterpret_cast<uint8_t*>(frame.data()), frame.size_bytes()));
      return true;
    default: {
      CSpeex* speex = codecs.SpeexFor(code);
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
