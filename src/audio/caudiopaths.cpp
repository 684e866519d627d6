#include "audio/caudiopaths.h"

#include <cstdio>
#include <exception>

#include "audio/carrivalstats.h"
#include "audio/ccodecset.h"
#include "audio/cdevicemc.h"
#include "audio/cdevicesp.h"
#include "audio/cechocanceller.h"
#include "audio/cfilters.h"
#include "audio/cprogress.h"
#include "audio/creceivepath.h"
#include "audio/csendpath.h"
#include "audio/cspoolsp.h"
#include "core/audiobackend.h"
#include "core/audioline.h"
#include "core/codes.h"
#include "core/messageboxport.h"
#include "core/windowport.h"
#include "settings/clog.h"

CAudioPaths::CAudioPaths(AudioSettings settings, CLog& log, WindowPort& window, MessageBoxPort& boxes,
                         AudioBackend& backend, AudioFlags flags, AudioLine& line1, AudioLine& line2,
                         const net::CUdpSocket& socket)
    : settings_(settings),
      log_(log),
      window_(window),
      boxes_(boxes),
      backend_(backend),
      flags_(flags),
      lines_{&line1, &line2},
      socket_(socket),
      codecs_{std::make_unique<CCodecSet>(), std::make_unique<CCodecSet>()} {}

CAudioPaths::~CAudioPaths() {
  if (slot_) slot_->SetAudioReceiver(nullptr);
  CloseDevices();
}

void CAudioPaths::SetReceiverSlot(AudioReceiverSlot* slot) {
  if (slot_) slot_->SetAudioReceiver(nullptr);
  slot_ = slot;
  if (slot_) slot_->SetAudioReceiver(this);
}

CCodecSet& CAudioPaths::Codecs(int line) {
  return *codecs_.at(static_cast<std::size_t>(line - 1));
}

const AudioLine* CAudioPaths::CurrentLine() const {
  const int line = flags_.currentLine.load();
  return line == 1 || line == 2 ? lines_[static_cast<std::size_t>(line - 1)] : nullptr;
}

void CAudioPaths::Build(SoundType type) {
  filters_ = std::make_unique<CFilters>(settings_);
  Rebuild(type);
  flags_.soundSystemRunning.store(1);
}

void CAudioPaths::Rebuild(SoundType type) {
  format_ = SoundFormat::Of(type);
  filters_->SetFormat(format_);
  chain_ = std::make_unique<CFormatChain>(CFormatChain::Ground{settings_,
                                                               backend_,
                                                               flags_,
                                                               lines_,
                                                               {codecs_[0].get(), codecs_[1].get()},
                                                               socket_,
                                                               *filters_,
                                                               window_,
                                                               log_,
                                                               soundTest_,
                                                               speakerSurplus_},
                                          format_);
  ApplyVoiceOptions();
}

void CAudioPaths::SetRestartHooks(std::function<void(bool)> lamp, std::function<void()> teardown,
                                  std::function<void()> rebuilt) {
  lamp_ = std::move(lamp);
  teardownHook_ = std::move(teardown);
  rebuiltHook_ = std::move(rebuilt);
}

void CAudioPaths::RestartSound(SoundType type, bool notify) {
  flags_.restarting.store(true);
  if (lamp_) lamp_(true);
  // Closing a device waits for its callback; the receive thread, which may
  // be inside the path, has left it once the path is out of its slot.
  CloseDevices();
  if (slot_) slot_->SetAudioReceiver(nullptr);
  flags_.soundSystemRunning.store(0);

  try {
    chain_.reset();
    if (teardownHook_) teardownHook_();
  } catch (const std::exception&) {
    boxes_.ShowError("sndTypeChange voiceStop");
  }
  if (type == SoundType::kSpeex8Mono) {
    ApplySpeexOptions(1);
    ApplySpeexOptions(2);
  }
  try {
    Rebuild(type);
    const AudioLine* line = CurrentLine();
    // The heartbeat opens the devices anyway when a call needs them; opening
    // them here only when one does spares a device that is not needed.
    if (SoundTestOn() || (line && line->State() == LineState::kConnected)) OpenDevices();
    if (rebuiltHook_) rebuiltHook_();
  } catch (const std::exception&) {
    boxes_.ShowError("sndTypeChange voiceStart");
  }
  flags_.soundSystemRunning.store(1);
  if (slot_) slot_->SetAudioReceiver(this);
  if (notify) {
    const int number = flags_.currentLine.load();
    if (number == 1 || number == 2) {
      lines_[static_cast<std::size_t>(number - 1)]->SendValue(code::kSoundTypeRequest,
                                                              static_cast<int32_t>(WireCode(type)));
    }
  }
  flags_.currentSndType.store(type);
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
  if (!chain_) return;
  std::string error;
  if (chain_->speaker.IsOpen()) {
    chain_->speaker.NoteQueue();
    return;
  }
  ApplyVoiceOptions();
  // The microphone first: the call's first words wait for it, while the
  // loudspeaker has nothing to play before the peer's first frame arrives.
  if (flags_.micMuted.load() == 0) {
    if (chain_->mic.OpenInput(error)) {
      micFailureShown_ = false;
    } else {
      Report(micFailureShown_, "Could not open input audio device.", error);
    }
  }
  if (flags_.speakerMuted.load() == 0) {
    if (chain_->speaker.OpenOutput(error)) {
      speakerFailureShown_ = false;
    } else {
      Report(speakerFailureShown_, "Could not open output audio device.", error);
    }
  }
  chain_->spool.RequestReset();
}

void CAudioPaths::CloseDevices() {
  if (chain_) {
    chain_->speaker.CloseOutput();
    chain_->mic.CloseInput();
  }
  speakerFailureShown_ = false;
  micFailureShown_ = false;
}

void CAudioPaths::ReopenDevices() {
  CloseDevices();
  OpenDevices();
}

void CAudioPaths::MuteSpeaker(bool muted) {
  if (!chain_) return;
  if (muted) {
    chain_->speaker.CloseOutput();
    chain_->speakerTap.Clear();
    return;
  }
  std::string error;
  if (!chain_->speaker.OpenOutput(error))
    Report(speakerFailureShown_, "Could not open output audio device.", error);
  chain_->spool.RequestReset();
}

void CAudioPaths::MuteMicrophone(bool muted) {
  if (!chain_) return;
  if (muted) {
    chain_->mic.CloseInput();
    return;
  }
  std::string error;
  if (!chain_->mic.OpenInput(error)) Report(micFailureShown_, "Could not open input audio device.", error);
}

void CAudioPaths::ApplySpeexOptions(int line) {
  CSpeex& speex = Codecs(line).Speex8();
  const AudioSettings::SpeexOptions stored = settings_.Speex();
  const std::pair<int32_t, void (CSpeex::*)(int32_t)> options[] = {
      {stored.vbrQuality, &CSpeex::SetVbrQuality},
      {stored.vbr, &CSpeex::SetVbr},
      {stored.quality, &CSpeex::SetQuality},
      {stored.complexity, &CSpeex::SetComplexity},
      {stored.enhancer, &CSpeex::SetEnhancer},
      {stored.vad, &CSpeex::SetVad},
      {stored.dtx, &CSpeex::SetDtx},
  };
  for (const auto& [value, set] : options) {
    if (value != 0) (speex.*set)(value);
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
  if (chain_) chain_->spool.LoadPreBuffer();
}

void CAudioPaths::ApplyVoiceOptions() {
  if (!chain_) return;
  chain_->spool.SetAdaptive(settings_.LowLatency());
  chain_->canceller.SetEchoCancel(settings_.EchoCancel());
  chain_->canceller.SetNoiseSuppress(settings_.NoiseSuppress());
}

void CAudioPaths::ReloadFilters() {
  if (filters_) filters_->LoadFilterSettings();
}

void CAudioPaths::SetSpeakerLimit(int32_t level) {
  if (chain_) chain_->spool.SetLimitLevel(level);
}

int32_t CAudioPaths::SpeakerLevel() {
  return chain_ ? chain_->speakerTap.ReadLevel() : 0;
}
int32_t CAudioPaths::MicLevel() {
  return chain_ ? chain_->micTap.ReadLevel() : 0;
}

void CAudioPaths::ReceiveAudio(std::span<const uint8_t> datagram, SoundType type, const NetAddress& sender) {
  if (flags_.quitting.load() > 0 || flags_.restarting.load() || flags_.speakerMuted.load() != 0 ||
      SoundTestOn() || !chain_) {
    return;
  }
  chain_->receivePath.Receive(datagram, type, sender);
}
