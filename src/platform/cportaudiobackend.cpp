#include "platform/cportaudiobackend.h"

#include "platform/alsapluginpin.h"
#include "platform/cportaudiostream.h"
#include "platform/devicedisplayname.h"
#include "platform/nosuchdevice.h"
#include "platform/quietsoundlibraries.h"

CPortAudioBackend::CPortAudioBackend() {
  PinAlsaPlugins();
  QuietSoundLibraries();
  const PaError result = Pa_Initialize();
  if (result != paNoError) {
    startError_ = std::string("Could not start the sound system (PortAudio): ") + Pa_GetErrorText(result);
    return;
  }
  // Streams hold a share of this, so PortAudio stops only after the last of them is closed.
  library_ = std::shared_ptr<void>(nullptr, [](void*) { Pa_Terminate(); });
  const PaDeviceIndex count = Pa_GetDeviceCount();
  for (PaDeviceIndex i = 0; i < count; ++i) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
    if (!info) continue;
    if (info->maxInputChannels > 0) inputs_.push_back({i, DeviceDisplayName(info->name)});
    if (info->maxOutputChannels > 0) outputs_.push_back({i, DeviceDisplayName(info->name)});
  }
}

CPortAudioBackend::~CPortAudioBackend() = default;

bool CPortAudioBackend::NameOf(const std::vector<Device>& devices, int index, std::string& name) {
  if (index < 0 || index >= static_cast<int>(devices.size())) return false;
  name = devices[static_cast<std::size_t>(index)].name;
  return true;
}

bool CPortAudioBackend::InputDeviceName(int index, std::string& name) {
  return NameOf(inputs_, index, name);
}
bool CPortAudioBackend::OutputDeviceName(int index, std::string& name) {
  return NameOf(outputs_, index, name);
}

std::unique_ptr<AudioStream> CPortAudioBackend::OpenInput(const StreamRequest& request,
                                                          StreamCallback callback, void* user,
                                                          std::string& error) {
  return Open(true, request, callback, user, error);
}

std::unique_ptr<AudioStream> CPortAudioBackend::OpenOutput(const StreamRequest& request,
                                                           StreamCallback callback, void* user,
                                                           std::string& error) {
  return Open(false, request, callback, user, error);
}

std::unique_ptr<AudioStream> CPortAudioBackend::Open(bool input, const StreamRequest& request,
                                                     StreamCallback callback, void* user,
                                                     std::string& error) {
  if (!Started()) {
    error = startError_;
    return nullptr;
  }
  const std::vector<Device>& devices = input ? inputs_ : outputs_;
  PaDeviceIndex device = paNoDevice;
  if (request.device == -1) {
    device = input ? Pa_GetDefaultInputDevice() : Pa_GetDefaultOutputDevice();
    if (device == paNoDevice) {
      error = std::string("There is no default ") + (input ? "input" : "output") + " audio device.";
      return nullptr;
    }
  } else if (request.device >= 0 && request.device < static_cast<int>(devices.size())) {
    device = devices[static_cast<std::size_t>(request.device)].index;
  } else {
    error = NoSuchDeviceText(input, request.device, devices.size());
    return nullptr;
  }
  auto stream = std::make_unique<CPortAudioStream>(library_, callback, user);
  if (!stream->Start(device, input, request, error)) return nullptr;
  return stream;
}
