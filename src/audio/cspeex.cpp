#include "audio/cspeex.h"

#include <speex/speex.h>

#include <algorithm>

#include "audio/saturate.h"

namespace {

struct Band {
  int rateKhz;
  const SpeexMode* mode;
  spx_int32_t samplingRate;
  std::size_t samplesPerFrame;
};

// A packet never needs more bytes than the PCM it stands for.
constexpr std::size_t MaxEncodedFor(std::size_t samples) {
  return 2 * samples;
}

const Band* FindBand(int rateKhz) {
  static const Band kBands[] = {
      {8, &speex_nb_mode, 8000, 160},
      {16, &speex_wb_mode, 16000, 320},
      {32, &speex_uwb_mode, 32000, 640},
  };
  for (const Band& band : kBands) {
    if (band.rateKhz == rateKhz) return &band;
  }
  return nullptr;
}

constexpr int32_t kRangeLow = 0;
constexpr int32_t kRangeHigh = 10;

}  // namespace

void CSpeex::EncoderDeleter::operator()(void* state) const {
  speex_encoder_destroy(state);
}
void CSpeex::DecoderDeleter::operator()(void* state) const {
  speex_decoder_destroy(state);
}

CSpeex::CSpeex(int rateKhz) {
  // The bit buffers exist whatever the rate, so the destructor has one rule.
  speex_bits_init(&encodeBits_);
  speex_bits_init(&decodeBits_);
  const Band* band = FindBand(rateKhz);
  if (band == nullptr) return;
  samplesPerFrame_ = band->samplesPerFrame;
  maxEncodedBytes_ = MaxEncodedFor(band->samplesPerFrame);
  input_.assign(samplesPerFrame_, 0.0f);
  output_.assign(samplesPerFrame_, 0.0f);
  encoder_.reset(speex_encoder_init(band->mode));
  decoder_.reset(speex_decoder_init(band->mode));
  spx_int32_t rate = band->samplingRate;
  if (encoder_) speex_encoder_ctl(encoder_.get(), SPEEX_SET_SAMPLING_RATE, &rate);
  if (decoder_) speex_decoder_ctl(decoder_.get(), SPEEX_SET_SAMPLING_RATE, &rate);
}

CSpeex::~CSpeex() {
  speex_bits_destroy(&decodeBits_);
  speex_bits_destroy(&encodeBits_);
}

std::size_t CSpeex::Encode(std::span<const int16_t> pcm, std::span<uint8_t> encoded) {
  if (!IsReady() || pcm.size() != samplesPerFrame_) return 0;
  ApplyPending(kEncoderOptions);
  std::copy(pcm.begin(), pcm.end(), input_.begin());
  speex_bits_reset(&encodeBits_);
  speex_encode(encoder_.get(), input_.data(), &encodeBits_);
  const auto room = static_cast<int>(std::min(encoded.size(), maxEncodedBytes_));
  const int written = speex_bits_write(&encodeBits_, reinterpret_cast<char*>(encoded.data()), room);
  return written > 0 ? static_cast<std::size_t>(written) : 0;
}

bool CSpeex::Decode(std::span<const uint8_t> encoded, std::span<int16_t> pcm) {
  if (pcm.size() != samplesPerFrame_) return false;
  const auto length = static_cast<int>(std::min(encoded.size(), maxEncodedBytes_));
  bool decoded = false;
  if (IsReady() && length > 0) {
    ApplyPending(kDecoderOptions);
    speex_bits_read_from(&decodeBits_, reinterpret_cast<const char*>(encoded.data()), length);
    decoded = speex_decode(decoder_.get(), &decodeBits_, output_.data()) == 0;
  }
  if (!decoded) {
    std::fill(pcm.begin(), pcm.end(), int16_t{0});
    return false;
  }
  std::transform(output_.begin(), output_.end(), pcm.begin(), [](float v) { return SaturateToSample(v); });
  return true;
}

void CSpeex::Request(Option option, int32_t value) {
  optionValues_[option].store(value, std::memory_order_relaxed);
  pendingOptions_.fetch_or(1u << option, std::memory_order_release);
}

void CSpeex::SetQuality(int32_t value) {
  Request(kQuality, std::clamp(value, kRangeLow, kRangeHigh));
}
void CSpeex::SetComplexity(int32_t value) {
  Request(kComplexity, std::clamp(value, kRangeLow, kRangeHigh));
}
void CSpeex::SetVbrQuality(int32_t value) {
  Request(kVbrQuality, std::clamp(value, kRangeLow, kRangeHigh));
}
void CSpeex::SetVbr(int32_t value) {
  Request(kVbr, value);
}
void CSpeex::SetVad(int32_t value) {
  Request(kVad, value);
}
void CSpeex::SetDtx(int32_t value) {
  Request(kDtx, value);
}
void CSpeex::SetEnhancer(int32_t value) {
  Request(kEnhancer, value);
}

void CSpeex::ApplyPending(uint32_t direction) {
  if ((pendingOptions_.load(std::memory_order_relaxed) & direction) == 0) return;
  const uint32_t due = pendingOptions_.fetch_and(~direction, std::memory_order_acq_rel) & direction;
  static constexpr int kRequests[kOptionCount] = {
      SPEEX_SET_QUALITY, SPEEX_SET_COMPLEXITY, SPEEX_SET_VBR_QUALITY, SPEEX_SET_VBR,
      SPEEX_SET_VAD,     SPEEX_SET_DTX,        SPEEX_SET_ENH};
  for (uint32_t option = 0; option < kOptionCount; ++option) {
    if ((due & (1u << option)) == 0) continue;
    spx_int32_t value = optionValues_[option].load(std::memory_order_relaxed);
    if (option == kEnhancer) {
      speex_decoder_ctl(decoder_.get(), kRequests[option], &value);
    } else if (option == kVbrQuality) {
      // The library reads this one as a float; an integer's bits would be a
      // denormal, that is quality 0.
      float quality = static_cast<float>(value);
      speex_encoder_ctl(encoder_.get(), kRequests[option], &quality);
    } else {
      speex_encoder_ctl(encoder_.get(), kRequests[option], &value);
    }
  }
}
