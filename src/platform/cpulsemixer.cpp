#include "platform/cpulsemixer.h"

#include <algorithm>

#include "platform/cpulseaudiobackend.h"
#include "platform/cpulseconnection.h"
#include "platform/cstreamvolume.h"

namespace {

constexpr const char* kClientName = "Ondrel";

void Succeeded(pa_context*, int success, void* ok) {
  *static_cast<bool*>(ok) = success != 0;
}

int64_t Level(const pa_cvolume& volume) {
  return std::min<int64_t>(pa_cvolume_max(&volume), PA_VOLUME_NORM);
}

}  // namespace

// What one look at the call's stream found.
struct CPulseMixer::StreamState {
  bool found = false;
  pa_cvolume volume{};

  template <typename Info>
  static void Take(pa_context*, const Info* info, int eol, void* state) {
    if (eol != 0 || info == nullptr) return;
    auto& s = *static_cast<StreamState*>(state);
    s.found = true;
    s.volume = info->volume;
  }
};

CPulseMixer::CPulseMixer(CPulseAudioBackend& streams) : streams_(streams) {}

CPulseMixer::~CPulseMixer() {
  Close();
}

MixerControlId CPulseMixer::ControlOf(MixerSide side) {
  // Any fixed numbers do, as long as the two sides differ; 31 bits keep
  // them positive in the message's wParam.
  return side == MixerSide::Playback ? 0x0d5e1001u : 0x0d5e1002u;
}

void CPulseMixer::SetChangeCallback(ChangeCallback callback) {
  callback_ = std::move(callback);
}

bool CPulseMixer::Open(MixerSide side, int) {
  Close();
  auto connection = std::make_unique<CPulseConnection>();
  std::string why;
  if (!connection->Connect(kClientName, why)) return false;
  connection_ = std::move(connection);
  side_ = side;
  control_ = ControlOf(side);
  reporting_ = callback_;
  volume_ = &streams_.CallVolume(side);
  // A stream that starts has the wanted volume, or the server's; either
  // way the slider reads it again.
  volume_->AddListener(this, [this] { Report(); });

  bool subscribed = false;
  {
    CPulseConnection::Lock lock(*connection_);
    pa_context* context = connection_->Context();
    pa_context_set_subscribe_callback(context, &CPulseMixer::OnEvent, this);
    connection_->Finish(pa_context_subscribe(
        context,
        side == MixerSide::Playback ? PA_SUBSCRIPTION_MASK_SINK_INPUT : PA_SUBSCRIPTION_MASK_SOURCE_OUTPUT,
        &Succeeded, &subscribed));
  }
  if (!subscribed) Close();
  return subscribed;
}

void CPulseMixer::Close() {
  if (volume_) volume_->RemoveListener(this);
  // Once the event thread has ended no callback runs, and the subscription
  // ends with the connection.
  if (connection_) connection_->Stop();
  connection_.reset();
  volume_ = nullptr;
  control_ = 0;
  reporting_ = nullptr;
}

void CPulseMixer::Report() const {
  if (reporting_) reporting_(MixerChange::Control, control_);
}

// The event thread, holding the lock.
void CPulseMixer::OnEvent(pa_context*, pa_subscription_event_type_t event, uint32_t index, void* self) {
  const auto& me = *static_cast<const CPulseMixer*>(self);
  const int type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
  if (type == PA_SUBSCRIPTION_EVENT_CHANGE && index != CStreamVolume::kNone && index == me.volume_->Index())
    me.Report();
}

bool CPulseMixer::QueryStream(uint32_t index, StreamState& state) const {
  pa_context* context = connection_->Context();
  if (index == CStreamVolume::kNone || pa_context_get_state(context) != PA_CONTEXT_READY) return false;
  connection_->Finish(
      side_ == MixerSide::Playback
          ? pa_context_get_sink_input_info(context, index, &StreamState::Take<pa_sink_input_info>, &state)
          : pa_context_get_source_output_info(context, index, &StreamState::Take<pa_source_output_info>,
                                              &state));
  return state.found && pa_cvolume_valid(&state.volume);
}

bool CPulseMixer::Usable(MixerControlId control) const {
  return connection_ && control == control_;
}

std::vector<MixerLine> CPulseMixer::Lines(MixerSide side, std::vector<MixerLineType> types) const {
  if (!connection_ || side_ != side) return {};
  std::vector<MixerLine> lines;
  for (const MixerLineType type : types)
    lines.push_back({side == MixerSide::Playback ? "Loudspeaker" : "Microphone", type, control_});
  return lines;
}

std::optional<MixerControlId> CPulseMixer::PlaybackVolume() {
  return std::nullopt;
}

std::vector<MixerLine> CPulseMixer::PlaybackLines() {
  return Lines(MixerSide::Playback, {MixerLineType::WaveOut});
}

std::vector<MixerLine> CPulseMixer::SelectorLines() {
  return Lines(MixerSide::Capture, {MixerLineType::Microphone, MixerLineType::LineIn});
}

std::vector<MixerLine> CPulseMixer::CaptureLines() {
  return SelectorLines();
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
  if (pa_context_get_state(connection_->Context()) != PA_CONTEXT_READY) return false;
  StreamState state;
  if (QueryStream(volume_->Index(), state)) {
    value = Level(state.volume);
    // Set elsewhere or by the server: the next call's stream starts there too.
    volume_->SetWanted(static_cast<uint32_t>(value));
    return true;
  }
  const uint32_t wanted = volume_->Wanted();
  value = wanted == CStreamVolume::kNone ? PA_VOLUME_NORM : wanted;
  return true;
}

bool CPulseMixer::WriteVolume(MixerControlId control, int64_t value) {
  if (!Usable(control)) return false;
  const auto wanted = static_cast<uint32_t>(std::clamp<int64_t>(value, PA_VOLUME_MUTED, PA_VOLUME_NORM));
  CPulseConnection::Lock lock(*connection_);
  pa_context* context = connection_->Context();
  if (pa_context_get_state(context) != PA_CONTEXT_READY) return false;
  const uint32_t index = volume_->Index();
  StreamState state;
  if (!QueryStream(index, state)) {
    // Binding a slider writes back what it read: an unset volume stays
    // unset, so the server's choice for the next stream holds.
    if (volume_->Wanted() != CStreamVolume::kNone || wanted != PA_VOLUME_NORM) volume_->SetWanted(wanted);
    return true;
  }
  // Also keeps a balance, or a volume above 100%, that the reading stands for.
  if (Level(state.volume) == wanted) return true;
  volume_->SetWanted(wanted);
  pa_cvolume volume = state.volume;
  pa_cvolume_scale(&volume, wanted);
  bool ok = false;
  connection_->Finish(side_ == MixerSide::Playback
                          ? pa_context_set_sink_input_volume(context, index, &volume, &Succeeded, &ok)
                          : pa_context_set_source_output_volume(context, index, &volume, &Succeeded, &ok));
  return ok;
}

bool CPulseMixer::ReadMute(MixerControlId, bool&) {
  return false;
}

bool CPulseMixer::WriteMute(MixerControlId, bool) {
  return false;
}
