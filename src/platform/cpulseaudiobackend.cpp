#include "platform/cpulseaudiobackend.h"

#include "platform/cpulseconnection.h"
#include "platform/cpulsestream.h"
#include "platform/devicedisplayname.h"
#include "platform/nosuchdevice.h"

namespace {

constexpr const char* kClientName = "Ondrel";
constexpr const char* kDefaultName = "default";

// Collects sinks or sources as the server lists them.
template <typename Info>
void Collect(pa_context*, const Info* info, int eol, void* devices) {
  if (eol != 0 || !info) return;
  static_cast<std::vector<std::pair<std::string, std::string>>*>(devices)->emplace_back(
      info->name ? info->name : "", DeviceDisplayName(info->description ? info->description : info->name));
}

}  // namespace

std::unique_ptr<CPulseAudioBackend> CPulseAudioBackend::Connect(std::string& error) {
  CPulseConnection connection;
  if (!connection.Connect(kClientName, error)) return nullptr;
  std::vector<std::pair<std::string, std::string>> sinks, sources;
  {
    CPulseConnection::Lock lock(connection);
    connection.Finish(pa_context_get_sink_info_list(connection.Context(), &Collect<pa_sink_info>, &sinks));
    connection.Finish(
        pa_context_get_source_info_list(connection.Context(), &Collect<pa_source_info>, &sources));
  }
  std::unique_ptr<CPulseAudioBackend> backend(new CPulseAudioBackend);
  for (auto& [id, name] : sinks) backend->outputs_.push_back({std::move(id), std::move(name)});
  for (auto& [id, name] : sources) backend->inputs_.push_back({std::move(id), std::move(name)});
  return backend;
}

bool CPulseAudioBackend::InputDeviceName(int index, std::string& name) {
  if (index < 0 || index >= InputDeviceCount()) return false;
  name = inputs_[static_cast<std::size_t>(index)].name;
  return true;
}

bool CPulseAudioBackend::OutputDeviceName(int index, std::string& name) {
  if (index < 0 || index >= OutputDeviceCount()) return false;
  name = outputs_[static_cast<std::size_t>(index)].name;
  return true;
}

bool CPulseAudioBackend::InputDeviceId(int index, std::string& id) const {
  if (index < 0 || index >= static_cast<int>(inputs_.size())) return false;
  id = inputs_[static_cast<std::size_t>(index)].id;
  return true;
}

bool CPulseAudioBackend::OutputDeviceId(int index, std::string& id) const {
  if (index < 0 || index >= static_cast<int>(outputs_.size())) return false;
  id = outputs_[static_cast<std::size_t>(index)].id;
  return true;
}

std::unique_ptr<AudioStream> CPulseAudioBackend::OpenInput(const StreamRequest& request,
                                                           StreamCallback callback, void* user,
                                                           std::string& error) {
  return Open(true, request, callback, user, error);
}

std::unique_ptr<AudioStream> CPulseAudioBackend::OpenOutput(const StreamRequest& request,
                                                            StreamCallback callback, void* user,
                                                            std::string& error) {
  return Open(false, request, callback, user, error);
}

std::unique_ptr<AudioStream> CPulseAudioBackend::Open(bool input, const StreamRequest& request,
                                                      StreamCallback callback, void* user,
                                                      std::string& error) {
  const std::vector<Device>& devices = input ? inputs_ : outputs_;
  Device device{"", kDefaultName};
  if (request.device >= 0 && request.device < static_cast<int>(devices.size())) {
    device = devices[static_cast<std::size_t>(request.device)];
  } else if (request.device != -1) {
    error = NoSuchDeviceText(input, request.device, devices.size());
    return nullptr;
  }
  CStreamVolume* volume =
      request.call ? &CallVolume(input ? MixerSide::Capture : MixerSide::Playback) : nullptr;
  auto stream = std::make_unique<CPulseStream>(callback, user, volume);
  if (!stream->Start(input, device.id, device.name, request, error)) return nullptr;
  return stream;
}
