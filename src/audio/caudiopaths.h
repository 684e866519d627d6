#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "audio/audioflags.h"
#include "audio/cformatchain.h"
#include "audio/soundtypes.h"
#include "net/audioreceiver.h"
#include "settings/audiosettings.h"

class AudioBackend;
class AudioLine;
class CArrivalStats;
class CEchoCanceller;
class CCodecSet;
class CDeviceMc;
class CFilters;
class CLog;
class CProgress;
class CReceivePath;
class CSendPath;
class CSpoolSp;
class MessageBoxPort;
class WindowPort;
namespace net {
class CUdpSocket;
}

// The two directions of a call and the sound system they run on:
//
//   send:    microphone -> tap -> encode -> datagram                (CSendPath)
//   receive: datagram -> decode -> spool -> filters -> tap -> speaker (CReceivePath)
//
// Each direction owns its buffers and its half of the lines' codec state, so
// the capture thread and the receive thread share nothing but atomics. A
// change of sound type rebuilds every object whose size depends on it.
//
// Threads: the frame callbacks run on the devices' threads, ReceiveAudio on
// the receive thread, everything else on the main thread. A restart takes
// the receive path away from the receive thread's slot before it replaces
// anything and gives it back after, and closing a device waits for its
// callback; nothing here locks on an audio thread, and nothing spins.
class CAudioPaths : public AudioReceiver {
 public:
  CAudioPaths(AudioSettings settings, CLog& log, WindowPort& window, MessageBoxPort& boxes,
              AudioBackend& backend, AudioFlags flags, AudioLine& line1, AudioLine& line2,
              const net::CUdpSocket& socket);
  ~CAudioPaths() override;
  CAudioPaths(const CAudioPaths&) = delete;
  CAudioPaths& operator=(const CAudioPaths&) = delete;

  // Builds the sound system for the sound type selected at start-up.
  void Build(SoundType type);
  // Tears the sound system down and builds it for code; with notify the
  // current line's peer is asked to follow.
  void RestartSound(SoundType type, bool notify);

  // A device that keeps failing to open is reported once, until it opens or
  // the devices are closed because no audio is wanted any more. Called on
  // every tick while audio is wanted; an open speaker has its queue checked.
  void OpenDevices();
  void CloseDevices();
  void ReopenDevices();

  // The stored Speex options into a line's 8 kHz encoder.
  void ApplySpeexOptions(int line);
  // An option the peer sent (9100 to 9105) into the current line's 8 kHz encoder.
  void ApplyRemoteSpeexOption(uint32_t code, int32_t value);

  void SetSoundTest(bool on) { soundTest_.store(on); }
  bool SoundTestOn() const { return soundTest_.load(); }
  void ReloadPreBuffer();
  // "LowLatency" into the spool (the device reads it at its next open),
  // "EchoCancel" and "NoiseSuppress" into the microphone's canceller.
  void ApplyVoiceOptions();
  void ReloadFilters();
  void SetSpeakerLimit(int32_t level);
  // The mute buttons: close or open one device without touching the other.
  void MuteSpeaker(bool muted);
  void MuteMicrophone(bool muted);

  int32_t SpeakerLevel();
  int32_t MicLevel();
  // Each nullptr while the sound system is being rebuilt.
  CProgress* SpeakerTap() { return chain_ ? &chain_->speakerTap : nullptr; }
  CProgress* MicTap() { return chain_ ? &chain_->micTap : nullptr; }
  CSpoolSp* Spool() { return chain_ ? &chain_->spool : nullptr; }
  const CSpoolSp* Spool() const { return chain_ ? &chain_->spool : nullptr; }
  CArrivalStats* Arrivals() { return chain_ ? &chain_->arrivals : nullptr; }
  CEchoCanceller* Canceller() { return chain_ ? &chain_->canceller : nullptr; }
  CSendPath* SendPath() { return chain_ ? &chain_->sendPath : nullptr; }
  CReceivePath* ReceivePath() { return chain_ ? &chain_->receivePath : nullptr; }
  const SoundFormat& Format() const { return format_; }
  CDeviceMc* Mic() { return chain_ ? &chain_->mic : nullptr; }
  const CDeviceMc* Mic() const { return chain_ ? &chain_->mic : nullptr; }
  CDeviceSp* Speaker() { return chain_ ? &chain_->speaker : nullptr; }
  const CDeviceSp* Speaker() const { return chain_ ? &chain_->speaker : nullptr; }
  CCodecSet& Codecs(int line);

  // Around the teardown and after the rebuild, for the window's lamp and
  // the mixer controls, which live with the window.
  void SetRestartHooks(std::function<void(bool restarting)> lamp, std::function<void()> teardown,
                       std::function<void()> rebuilt);
  // Where the receive thread finds this; it is there from now until the
  // paths go, but for the moments of a restart.
  void SetReceiverSlot(AudioReceiverSlot* slot);

  void ReceiveAudio(std::span<const uint8_t> datagram, SoundType type, const NetAddress& sender) override;

 private:
  const AudioLine* CurrentLine() const;
  void Rebuild(SoundType type);
  void Report(bool& reported, const char* text, const std::string& reason);

  AudioSettings settings_;
  CLog& log_;
  WindowPort& window_;
  MessageBoxPort& boxes_;
  AudioBackend& backend_;
  AudioFlags flags_;
  std::array<AudioLine*, 2> lines_;
  const net::CUdpSocket& socket_;
  SoundFormat format_;

  std::array<std::unique_ptr<CCodecSet>, 2> codecs_;
  std::unique_ptr<CFilters> filters_;
  CDeviceSp::QueueSurplus speakerSurplus_;  // outlives the speaker it corrects
  std::atomic<bool> soundTest_{false};
  std::unique_ptr<CFormatChain> chain_;

  AudioReceiverSlot* slot_ = nullptr;
  bool speakerFailureShown_ = false;
  bool micFailureShown_ = false;
  std::function<void(bool)> lamp_;
  std::function<void()> teardownHook_;
  std::function<void()> rebuiltHook_;
};
