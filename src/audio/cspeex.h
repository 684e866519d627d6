#pragma once

#include <speex/speex_bits.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// Speex at 8, 16 or 32 kHz (narrow, wide, ultra-wide band) on libspeex's float
// API. One object per rate and call line, living as long as the line, so the
// encoder and decoder states run on from one call to the next.
//
// Threads: Encode runs on the capture thread, Decode on the receive thread,
// the option setters on the main thread. Each direction has its own bit
// buffer, and a setter only records its value: the direction it belongs to
// hands it to the library at the start of its next frame. So no library state
// is ever touched by two threads and no call takes a lock.
//
// A stereo sound type hands its interleaved frame over as a mono frame of the
// same byte size; nothing here knows about channels.
class CSpeex {
 public:
  // rateKhz 8, 16 or 32; any other value makes an object that encodes
  // nothing and decodes silence.
  explicit CSpeex(int rateKhz);
  ~CSpeex();
  CSpeex(const CSpeex&) = delete;
  CSpeex& operator=(const CSpeex&) = delete;

  bool IsReady() const { return encoder_ != nullptr && decoder_ != nullptr; }
  std::size_t SamplesPerFrame() const { return samplesPerFrame_; }
  std::size_t PcmFrameBytes() const { return 2 * samplesPerFrame_; }
  std::size_t MaxEncodedBytes() const { return maxEncodedBytes_; }

  // One PCM frame of SamplesPerFrame() samples in; returns the bytes written
  // to encoded (at most MaxEncodedBytes()), 0 when nothing is to be sent.
  std::size_t Encode(std::span<const int16_t> pcm, std::span<uint8_t> encoded);

  // One packet in, one PCM frame out. Bytes beyond MaxEncodedBytes() are not
  // read (a peer cannot make the bit buffer grow). A packet the library
  // refuses gives silence and false. Out-of-range output saturates.
  bool Decode(std::span<const uint8_t> encoded, std::span<int16_t> pcm);

  // Values come from the settings or from the peer's datagrams, so the
  // ranged ones are clamped to the library's documented 0 to 10.
  void SetQuality(int32_t value);
  void SetComplexity(int32_t value);
  void SetVbrQuality(int32_t value);
  void SetVbr(int32_t value);
  void SetVad(int32_t value);
  void SetDtx(int32_t value);
  void SetEnhancer(int32_t value);

 private:
  enum Option : uint32_t { kQuality, kComplexity, kVbrQuality, kVbr, kVad, kDtx, kEnhancer, kOptionCount };
  static constexpr uint32_t kEncoderOptions = (1u << kEnhancer) - 1;
  static constexpr uint32_t kDecoderOptions = 1u << kEnhancer;

  void Request(Option option, int32_t value);
  void ApplyPending(uint32_t direction);

  std::size_t maxEncodedBytes_ = 0;
  std::size_t samplesPerFrame_ = 0;
  SpeexBits encodeBits_{};
  SpeexBits decodeBits_{};
  struct EncoderDeleter {
    void operator()(void* state) const;
  };
  struct DecoderDeleter {
    void operator()(void* state) const;
  };
  std::unique_ptr<void, EncoderDeleter> encoder_;
  std::unique_ptr<void, DecoderDeleter> decoder_;
  std::vector<float> input_;
  std::vector<float> output_;
  std::array<std::atomic<int32_t>, kOptionCount> optionValues_{};
  std::atomic<uint32_t> pendingOptions_{0};
};
