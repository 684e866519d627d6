#pragma once

#include <string>

#include "audio/audiobackend.h"
#include "audio/cdevicestream.h"
#include "audio/framecallback.h"

class CParams;

// The loudspeaker: each callback asks the frame callback for two frames of
// the sound type in force. The device keeps the sound type's queue of
// buffers, which is what sets the playback latency. Made for one sound type;
// a change of type builds a new one.
class CDeviceSp {
 public:
  static constexpr double kMaxLatencySeconds = 0.2;

  CDeviceSp(CParams& params, AudioBackend& backend, FrameCallback callback, void* user);
  ~CDeviceSp();
  CDeviceSp(const CDeviceSp&) = delete;
  CDeviceSp& operator=(const CDeviceSp&) = delete;

  // Opens the device chosen by "deviceSp" (0: the system default; n: the
  // n-th output device). True when it is open; false with the reason in error.
  bool OpenOutput(std::string& error);
  void CloseOutput();
  bool IsOpen() const { return stream_.IsOpen(); }

 private:
  static void OnSamples(int16_t* samples, std::size_t count, void* self);

  CParams& params_;
  AudioBackend& backend_;
  const FrameCallback callback_;
  void* const user_;
  const int channels_;
  const int sampleRate_;
  const std::size_t frameSamples_;
  const int bufferCount_;
  CDeviceStream stream_;
};
