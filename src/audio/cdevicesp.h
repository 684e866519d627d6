#pragma once

#include <string>

#include "audio/cdevicestream.h"
#include "audio/framecallback.h"
#include "audio/soundtypes.h"
#include "core/audiobackend.h"
#include "settings/audiosettings.h"

// The loudspeaker: each callback asks the frame callback for two frames of
// its sound format. The device keeps the sound type's queue of
// buffers, which is what sets the playback latency. With "LowLatency" on,
// each callback takes one frame and the queue asked is kLowLatencySeconds,
// less what the server was found to add. Made for one sound type; a change
// of type builds a new one.
class CDeviceSp {
 public:
  static constexpr double kMaxLatencySeconds = 0.2;
  // One 20 ms frame: the sound server keeps its own period behind it.
  static constexpr double kLowLatencySeconds = 0.02;
  // How much audio an open stream has taken before the delay it reports is
  // believed: a sound server may take a first queue at once and then stall
  // for a second while it starts.
  static constexpr double kSettleSeconds = 1.5;

  // What a device was found to add to the queue asked of it.
  struct QueueSurplus {
    int device = -1;  // as in StreamRequest
    double seconds = 0.0;
    bool lowLatency = false;
  };

  // surplus outlives the device object, so that after a change of sound
  // type the next call need not be corrected again; it is forgotten when
  // another device is chosen.
  CDeviceSp(AudioSettings settings, AudioBackend& backend, const SoundFormat& format, FrameCallback callback,
            void* user, QueueSurplus& surplus);
  ~CDeviceSp();
  CDeviceSp(const CDeviceSp&) = delete;
  CDeviceSp& operator=(const CDeviceSp&) = delete;

  // Opens the device chosen by "deviceSp" (0: the system default; n: the
  // n-th output device). True when it is open; false with the reason in error.
  bool OpenOutput(std::string& error);
  void CloseOutput();
  bool IsOpen() const { return stream_.IsOpen(); }

  // A sound server may keep a queue of its own behind the one asked for
  // (PulseAudio's ALSA plugin adds up to half as much again, more after an
  // underrun), and the listener hears both. Once the open stream has
  // settled, the delay it reports is compared with the sound type's queue;
  // when it is more than one frame deeper, what the server added is taken
  // off the request of the next open. Main thread, on every tick while the
  // device is open.
  void NoteQueue();
  // The queue the next open asks of the device: the sound type's, less
  // what the device was found to add.
  double RequestedLatencySeconds() const;
  // The queue the open stream was asked for.
  double OpenLatencySeconds() const { return openLatencySeconds_; }
  // What the open stream reports it holds; 0 when closed or it cannot tell.
  double ReportedDelaySeconds() const { return stream_.ReportedDelaySeconds(); }
  // Where the open stream runs (AudioStream): on the chosen device or on a
  // stand-in while it is gone, and how often it went.
  bool OnChosenDevice() const { return stream_.OnChosenDevice(); }
  uint64_t DeviceLosses() const { return stream_.DeviceLosses(); }
  std::string DeviceName() const { return stream_.DeviceName(); }

 private:
  static void OnSamples(int16_t* samples, std::size_t count, void* self);
  // Sets the callback's size and the queue for the next open.
  void Configure(bool lowLatency);

  AudioSettings settings_;
  AudioBackend& backend_;
  const FrameCallback callback_;
  void* const user_;
  const int channels_;
  const int sampleRate_;
  const std::size_t frameSamples_;
  const int playbackBuffers_;
  // Set on the main thread before a stream opens, read by its callbacks.
  int framesPerBuffer_ = 2;
  int framesPerCallback_ = 0;
  double queueSeconds_ = 0.0;  // the sound type's queue, capped
  QueueSurplus& surplus_;
  double openLatencySeconds_ = 0.0;
  CDeviceStream stream_;
};
