#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/audiobackend.h"
#include "core/mixerbackend.h"
#include "platform/cstreamvolume.h"

// The sound card through the user's PulseAudio (or PipeWire) server, when
// one runs: the streams then get the queue they ask for and start at once.
// The device lists are taken once, when connecting, in the server's order:
// output device n is the n-th sink, input device n the n-th source
// (monitors of sinks included), named by their descriptions.
class CPulseAudioBackend : public AudioBackend {
 public:
  // nullptr, with the server's reason in error, when no server answers.
  static std::unique_ptr<CPulseAudioBackend> Connect(std::string& error);

  std::unique_ptr<AudioStream> OpenInput(const StreamRequest& request, StreamCallback callback, void* user,
                                         std::string& error) override;
  std::unique_ptr<AudioStream> OpenOutput(const StreamRequest& request, StreamCallback callback, void* user,
                                          std::string& error) override;

  int InputDeviceCount() override { return static_cast<int>(inputs_.size()); }
  int OutputDeviceCount() override { return static_cast<int>(outputs_.size()); }
  bool InputDeviceName(int index, std::string& name) override;
  bool OutputDeviceName(int index, std::string& name) override;
  // The server's name of a device, which its mixer opens; false outside the enumeration.
  bool InputDeviceId(int index, std::string& id) const;
  bool OutputDeviceId(int index, std::string& id) const;
  // The volume of the call's stream on one side, which its mixer sets.
  CStreamVolume& CallVolume(MixerSide side) {
    return side == MixerSide::Playback ? speakerVolume_ : micVolume_;
  }

 private:
  struct Device {
    std::string id;    // the server's name, to connect to
    std::string name;  // shown
  };

  CPulseAudioBackend() = default;
  std::unique_ptr<AudioStream> Open(bool input, const StreamRequest& request, StreamCallback callback,
                                    void* user, std::string& error);

  std::vector<Device> inputs_;
  std::vector<Device> outputs_;
  CStreamVolume speakerVolume_;
  CStreamVolume micVolume_;
};
