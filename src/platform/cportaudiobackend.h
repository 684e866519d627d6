#pragma once

#include <portaudio.h>

#include <memory>
#include <string>
#include <vector>

#include "core/audiobackend.h"

// The sound card through PortAudio. The library is started with the object
// and stopped with the last of it and its streams. The device lists are
// taken once at construction, in PortAudio's order: input device n is the
// n-th device with input channels, output device n the n-th with output
// channels, so an index chosen in the properties dialog stays meaningful.
class CPortAudioBackend : public AudioBackend {
 public:
  CPortAudioBackend();
  ~CPortAudioBackend() override;
  CPortAudioBackend(const CPortAudioBackend&) = delete;
  CPortAudioBackend& operator=(const CPortAudioBackend&) = delete;

  // False when PortAudio could not start: no devices then, and every open
  // fails with StartError().
  bool Started() const { return startError_.empty(); }
  const std::string& StartError() const { return startError_; }

  std::unique_ptr<AudioStream> OpenInput(const StreamRequest& request, StreamCallback callback, void* user,
                                         std::string& error) override;
  std::unique_ptr<AudioStream> OpenOutput(const StreamRequest& request, StreamCallback callback, void* user,
                                          std::string& error) override;

  int InputDeviceCount() override { return static_cast<int>(inputs_.size()); }
  int OutputDeviceCount() override { return static_cast<int>(outputs_.size()); }
  bool InputDeviceName(int index, std::string& name) override;
  bool OutputDeviceName(int index, std::string& name) override;

 private:
  struct Device {
    PaDeviceIndex index;
    std::string name;
  };

  std::unique_ptr<AudioStream> Open(bool input, const StreamRequest& request, StreamCallback callback,
                                    void* user, std::string& error);
  static bool NameOf(const std::vector<Device>& devices, int index, std::string& name);

  std::shared_ptr<void> library_;
  std::string startError_;
  std::vector<Device> inputs_;
  std::vector<Device> outputs_;
};
