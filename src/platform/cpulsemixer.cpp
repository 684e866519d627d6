#include "platform/cpulsemixer.h"

#include <algorithm>
#include <cstdlib>

#include "platform/cpulseaudiobackend.h"
#include "platform/cpulseconnection.h"
#include "platform/devicedisplayname.h"

namespace {

constexpr const char* kClientName = "Ondrel";

// 31-bit FNV-1a: stays positive in the message's wParam.
MixerControlId Hash(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash & 0x7fffffffu;
}

// The same for every mixer on the same device, and never the same for a
// sink and a source, whose names may coincide.
MixerControlId ControlOf(MixerSide side, const std::string& deviceId) {
  return Hash(std::string(side == MixerSide::Playback ? "sink" : "source") + '\0' + deviceId);
}

// Where a stream asking for no device goes: libpulse sends it to PULSE_SINK
// (PULSE_SOURCE) when set, before the server picks its default.
std::string DefaultDevice(MixerSide side) {
  const char* chosen = std::getenv(side == MixerSide::Playback ? "PULSE_SINK" : "PULSE_SOURCE");
  if (chosen != nullptr && *chosen != '\0') return chosen;
  return side == MixerSide::Playback ? "@DEFAULT_SINK@" : "@DEFAULT_SOURCE@";
}

void Succeeded(pa_context*, int success, void* ok) {
  *static_cast<bool*>(ok) = success != 0;
}

// The sink and source halves of the introspection API, which differ only in
// their types: the callback's chooses.
pa_operation* InfoByName(pa_context* context, const std::string& name, pa_sink_info_cb_t callback,
                         void* user) {
  return pa_context_get_sink_info_by_name(context, name.c_str(), callback, user);
}
pa_operation* InfoByName(pa_context* context, const std::string& name, pa_source_info_cb_t callback,
                         void* user) {
  return pa_context_get_source_info_by_name(context, name.c_str(), callback, user);
}
pa_operation* InfoByIndex(pa_context* context, uint32_t index, pa_sink_info_cb_t callback, void* user) {
  return pa_context_get_sink_info_by_index(context, index, callback, user);
}
pa_operation* InfoByIndex(pa_context* context, uint32_t index, pa_source_info_cb_t callback, void* user) {
  return pa_context_get_source_info_by_index(context, index, callback, user);
}

pa_operation* SetVolume(pa_context* context, MixerSide side, const std::string& name,
                        const pa_cvolume& volume, bool* ok) {
  return side == MixerSide::Playback
             ? pa_context_set_sink_volume_by_name(context, name.c_str(), &volume, &Succeeded, ok)
             : pa_context_set_source_volume_by_name(context, name.c_str(), &volume, &Succeeded, ok);
}

pa_operation* SetMute(pa_context* context, MixerSide side, const std::string& name, bool muted, bool* ok) {
  return side == MixerSide::Playback
             ? pa_context_set_sink_mute_by_name(context, name.c_str(), muted ? 1 : 0, &Succeeded, ok)
             : pa_context_set_source_mute_by_name(context, name.c_str(), muted ? 1 : 0, &Succeeded, ok);
}

int64_t Level(const pa_cvolume& volume) {
  return std::min<int64_t>(pa_cvolume_avg(&volume), PA_VOLUME_NORM);
}

}  // namespace

// What one look at the device found.
struct CPulseMixer::State {
  bool found = false;
  uint32_t index = PA_INVALID_INDEX;
  std::string name;
  std::string description;
  pa_cvolume volume{};
  bool muted = false;

  template <typename Info>
  static void Take(pa_context*, const Info* info, int eol, void* state) {
    if (eol != 0 || info == nullptr) return;
    auto& s = *static_cast<State*>(state);
    s.found = true;
    s.index = info->index;
    s.name = info->name != nullptr ? info->name : "";
    s.description = info->description != nullptr ? info->description : s.name;
    s.volume = info->volume;
    s.muted = info->mute != 0;
  }
};

CPulseMixer::CPulseMixer(DeviceIds ids) : ids_(std::move(ids)) {}

CPulseMixer::CPulseMixer(const CPulseAudioBackend& devices)
    : CPulseMixer([&devices](MixerSide side, int device, std::string& id) {
        return side == MixerSide::Playback ? devices.OutputDeviceId(device, id)
                                           : devices.InputDeviceId(device, id);
      }) {}

CPulseMixer::~CPulseMixer() {
  Close();
}

void CPulseMixer::SetChangeCallback(ChangeCallback callback) {
  callback_ = std::move(callback);
}

bool CPulseMixer::Open(MixerSide side, int device) {
  Close();
  std::string name;
  if (device == -1) {
    name = DefaultDevice(side);
  } else if (device < 0 || !ids_ || !ids_(side, device, name)) {
    return false;
  }
  side_ = side;
  reporting_ = callback_;
  if (Connect(name)) return true;
  Close();
  return false;
}

bool CPulseMixer::Connect(const std::string& name) {
  auto connection = std::make_unique<CPulseConnection>();
  std::string why;
  if (!connection->Connect(kClientName, why)) return false;
  connection_ = std::move(connection);

  CPulseConnection::Lock lock(*connection_);
  deviceId_ = name;
  State state;
  if (!Query(state)) return false;
  // The server's own name, so that "@DEFAULT_SINK@" stays the sink it was
  // now and two mixers on one device know its control by the same number.
  deviceId_ = state.name;
  index_ = state.index;
  lineName_ = DeviceDisplayName(state.description.c_str());
  control_ = ControlOf(side_, deviceId_);

  pa_context* context = connection_->Context();
  pa_context_set_subscribe_callback(context, &CPulseMixer::OnEvent, this);
  bool subscribed = false;
  connection_->Finish(pa_context_subscribe(
      context, side_ == MixerSide::Playback ? PA_SUBSCRIPTION_MASK_SINK : PA_SUBSCRIPTION_MASK_SOURCE,
      &Succeeded, &subscribed));
  return subscribed;
}

void CPulseMixer::Close() {
  // Once the event thread has ended no callback runs, and the subscription
  // ends with the connection.
  if (connection_) connection_->Stop();
  connection_.reset();
  deviceId_.clear();
  lineName_.clear();
  control_ = 0;
  index_ = PA_INVALID_INDEX;
  reporting_ = nullptr;
}

// The event thread, holding the lock.
void CPulseMixer::OnEvent(pa_context* context, pa_subscription_event_type_t event, uint32_t index,
                          void* self) {
  auto& me = *static_cast<CPulseMixer*>(self);
  const int facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
  const int type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
  if (facility !=
      (me.side_ == MixerSide::Playback ? PA_SUBSCRIPTION_EVENT_SINK : PA_SUBSCRIPTION_EVENT_SOURCE))
    return;
  if (me.index_ != PA_INVALID_INDEX && index == me.index_) {
    if (type == PA_SUBSCRIPTION_EVENT_REMOVE) me.index_ = PA_INVALID_INDEX;
    if (me.reporting_) {
      me.reporting_(type == PA_SUBSCRIPTION_EVENT_CHANGE ? MixerChange::Control : MixerChange::Line,
                    me.control_);
    }
    return;
  }
  if (type != PA_SUBSCRIPTION_EVENT_NEW || me.index_ != PA_INVALID_INDEX) return;
  // A new device under the lost one's name (a module reloaded, a card back)
  // is the same control again; the server says which it is only when asked.
  const auto returned = [](pa_context*, const auto* info, int eol, void* user) {
    auto& mixer = *static_cast<CPulseMixer*>(user);
    if (eol != 0 || info == nullptr || info->name == nullptr || info->name != mixer.deviceId_ ||
        mixer.index_ != PA_INVALID_INDEX) {
      return;
    }
    mixer.index_ = info->index;
    if (mixer.reporting_) mixer.reporting_(MixerChange::Line, mixer.control_);
  };
  pa_operation* operation =
      me.side_ == MixerSide::Playback
          ? InfoByIndex(context, index, static_cast<pa_sink_info_cb_t>(returned), self)
          : InfoByIndex(context, index, static_cast<pa_source_info_cb_t>(returned), self);
  // Nothing waits for it: an answer arriving after Close is dropped with the connection.
  if (operation != nullptr) pa_operation_unref(operation);
}

// With the lock held.
bool CPulseMixer::Query(State& state) const {
  pa_context* context = connection_->Context();
  if (pa_context_get_state(context) != PA_CONTEXT_READY) return false;
  connection_->Finish(side_ == MixerSide::Playback
                          ? InfoByName(context, deviceId_, &State::Take<pa_sink_info>, &state)
                          : InfoByName(context, deviceId_, &State::Take<pa_source_info>, &state));
  return state.found && pa_cvolume_valid(&state.volume);
}

bool CPulseMixer::Usable(MixerControlId control) const {
  return connection_ && control == control_;
}

std::vector<MixerLine> CPulseMixer::Lines(MixerSide side, MixerLineType type) const {
  if (!connection_ || side_ != side) return {};
  return {MixerLine{lineName_, type, control_}};
}

std::optional<MixerControlId> CPulseMixer::PlaybackVolume() {
  if (!connection_ || side_ != MixerSide::Playback) return std::nullopt;
  return control_;
}

std::vector<MixerLine> CPulseMixer::PlaybackLines() {
  return Lines(MixerSide::Playback, MixerLineType::WaveOut);
}

std::vector<MixerLine> CPulseMixer::SelectorLines() {
  return Lines(MixerSide::Capture, MixerLineType::Microphone);
}

std::vector<MixerLine> CPulseMixer::CaptureLines() {
  return Lines(MixerSide::Capture, MixerLineType::Microphone);
}

bool CPulseMixer::VolumeRange(MixerControlId control, int64_t& min, int64_t& max) {
  if (!Usable(control)) return false;
  min = PA_VOLUME_MUTED;
  max = PA_VOLUME_NORM;
  return true;
}

bool CPulseMixer::ReadVolume(MixerControlId control, int64_t& value) {
  if (!Usable(control)) return false;
  CPulseConnection::Lock lock(*connection_);
  State state;
  if (!Query(state)) return false;
  value = Level(state.volume);
  return true;
}

bool CPulseMixer::WriteVolume(MixerControlId control, int64_t value) {
  if (!Usable(control)) return false;
  CPulseConnection::Lock lock(*connection_);
  State state;
  if (!Query(state)) return false;
  const int64_t wanted = std::clamp<int64_t>(value, PA_VOLUME_MUTED, PA_VOLUME_NORM);
  // Also keeps a balance, or a volume above 100%, that the reading stands for.
  if (Level(state.volume) == wanted) return true;
  pa_cvolume volume{};
  pa_cvolume_set(&volume, state.volume.channels, static_cast<pa_volume_t>(wanted));
  bool ok = false;
  connection_->Finish(SetVolume(connection_->Context(), side_, deviceId_, volume, &ok));
  return ok;
}

bool CPulseMixer::ReadMute(MixerControlId line, bool& muted) {
  if (!Usable(line)) return false;
  CPulseConnection::Lock lock(*connection_);
  State state;
  if (!Query(state)) return false;
  muted = state.muted;
  return true;
}

bool CPulseMixer::WriteMute(MixerControlId line, bool muted) {
  if (!Usable(line)) return false;
  CPulseConnection::Lock lock(*connection_);
  if (pa_context_get_state(connection_->Context()) != PA_CONTEXT_READY) return false;
  bool ok = false;
  connection_->Finish(SetMute(connection_->Context(), side_, deviceId_, muted, &ok));
  return ok;
}
