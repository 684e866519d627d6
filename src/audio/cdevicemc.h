#pragma once

#include <string>
#include <vector>

#include "audio/cdevicestream.h"
#include "audio/framecallback.h"
#include "audio/soundtypes.h"
#include "core/audiobackend.h"
#include "settings/audiosettings.h"

// The microphone: records one frame of its sound format per callback
// and hands it to the frame callback. Made for one sound type; a change of
// type builds a new one.
class CDeviceMc {
 public:
  CDeviceMc(AudioSettings settings, AudioBackend& backend, const SoundFormat& format, FrameCallback callback,
            void* user);
  ~CDeviceMc();
  CDeviceMc(const CDeviceMc&) = delete;
  CDeviceMc& operator=(const CDeviceMc&) = delete;

  // Opens the device chosen by "deviceMc" (0: the system default; n: the
  // n-th input device). True when it is open; false with the reason in error.
  bool OpenInput(std::string& error);
  void CloseInput();
  bool IsOpen() const { return stream_.IsOpen(); }
  // How old a frame is when it reaches the frame callback, as the open
  // stream reports it; 0 when closed or it cannot tell.
  double ReportedDelaySeconds() const { return stream_.ReportedDelaySeconds(); }
  // Where the open stream runs (AudioStream): on the chosen device or on a
  // stand-in while it is gone, and how often it went.
  bool OnChosenDevice() const { return stream_.OnChosenDevice(); }
  uint64_t DeviceLosses() const { return stream_.DeviceLosses(); }
  std::string DeviceName() const { return stream_.DeviceName(); }

  int FrameSamples() const { return static_cast<int>(frame_.size()); }

 private:
  static void OnSamples(int16_t* samples, std::size_t count, void* self);

  AudioSettings settings_;
  AudioBackend& backend_;
  const FrameCallback callback_;
  void* const user_;
  const int channels_;
  const int sampleRate_;
  std::vector<int16_t> frame_;
  CDeviceStream stream_;
};
