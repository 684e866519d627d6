#include "platform/cportaudiobackend.h"

#include <alsa/asoundlib.h>

#include <QString>

#include "platform/alsapluginpin.h"
#include "platform/cportaudiostream.h"
#include "settings/boundedtext.h"

namespace {

void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// Probing every ALSA device at start-up prints a screenful of complaints
// about devices this machine lacks; PortAudio's own answers are enough.
PaError InitializeQuietly() {
  const snd_lib_error_handler_t previous = snd_lib_error;
  snd_lib_error_set_handler(&IgnoreAlsaMessage);
  const PaError result = Pa_Initialize();
  snd_lib_error_set_handler(previous);
  return result;
}

}  // namespace

CPortAudioBackend::CPortAudioBackend() {
  PinAlsaPlugins();
  const PaError result = InitializeQuietly();
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
    if (info->maxInputChannels > 0) inputs_.push_back({i, DisplayName(info->name)});
    if (info->maxOutputChannels > 0) outputs_.push_back({i, DisplayName(info->name)});
  }
}

CPortAudioBackend::~CPortAudioBackend() = default;

std::string CPortAudioBackend::DisplayName(const char* utf8Name) {
  const QByteArray latin1 = QString::fromUtf8(utf8Name ? utf8Name : "").toLatin1();
  return BoundedText(std::string_view(latin1.constData(), static_cast<std::size_t>(latin1.size())),
                     kMaxNameChars);
}

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
  const std::string kind = input ? "input" : "output";
  if (!Started()) {
    error = startError_;
    return nullptr;
  }
  const std::vector<Device>& devices = input ? inputs_ : outputs_;
  PaDeviceIndex device = paNoDevice;
  if (request.device == -1) {
    device = input ? Pa_GetDefaultInputDevice() : Pa_GetDefaultOutputDevice();
    if (device == paNoDevice) {
      error = "There is no default " + kind + " audio device.";
      return nullptr;
    }
  } else if (request.device >= 0 && request.device < static_cast<int>(devices.size())) {
    device = devices[static_cast<std::size_t>(request.device)].index;
  } else {
    error = "There is no " + kind + " audio device " + std::to_string(request.device) + " (" +
            std::to_string(devices.size()) + " found).";
    return nullptr;
  }
  auto stream = std::make_unique<CPortAudioStream>(library_, callback, user);
  if (!stream->Start(device, input, request, error)) return nullptr;
  return stream;
}
