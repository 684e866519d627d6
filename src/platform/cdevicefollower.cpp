#include "platform/cdevicefollower.h"

#include "platform/cpulseconnection.h"
#include "platform/devicedisplayname.h"

namespace {

// Opens of a lost stream in a row that may fail before it waits for the
// server to gain a device.
constexpr int kMaxReconnects = 3;

}  // namespace

CDeviceFollower::CDeviceFollower(CPulseConnection& connection, bool input, std::string chosen, Stream& stream)
    : connection_(connection), input_(input), stream_(stream), route_(std::move(chosen)) {
  for (int i = 0; i < static_cast<int>(Ask::Count); ++i) slots_[i] = {this, static_cast<Ask>(i), false};
}

void CDeviceFollower::Start() {
  NoteWhere();
  pa_context_set_subscribe_callback(
      connection_.Context(),
      [](pa_context*, pa_subscription_event_type_t type, uint32_t index, void* self) {
        static_cast<CDeviceFollower*>(self)->Event(type, index);
      },
      this);
  const auto mask = static_cast<pa_subscription_mask_t>(
      (input_ ? PA_SUBSCRIPTION_MASK_SOURCE : PA_SUBSCRIPTION_MASK_SINK) | PA_SUBSCRIPTION_MASK_SERVER);
  if (pa_operation* operation = pa_context_subscribe(connection_.Context(), mask, nullptr, nullptr))
    pa_operation_unref(operation);
}

void CDeviceFollower::Ready() {
  reconnects_ = 0;
  NoteWhere();
}

void CDeviceFollower::Failed() {
  // Killed: with no device left to rescue it to, or by the server's user.
  route_.NoteDevice("", "");
  Recover();
}

void CDeviceFollower::Moved() {
  NoteWhere();
}

bool CDeviceFollower::Alive() const {
  pa_stream* stream = stream_.Handle();
  return stream && pa_stream_get_state(stream) == PA_STREAM_READY;
}

void CDeviceFollower::NoteWhere() {
  pa_stream* stream = stream_.Handle();
  const char* name = pa_stream_get_device_name(stream);
  route_.NoteDevice(name ? name : "", name ? DeviceDisplayName(name) : "");
  LookUp(Ask::Shown, "", pa_stream_get_device_index(stream));
}

void CDeviceFollower::MoveTo(const std::string& device) {
  if (!Alive()) return;
  const uint32_t index = pa_stream_get_index(stream_.Handle());
  pa_operation* operation = input_ ? pa_context_move_source_output_by_name(connection_.Context(), index,
                                                                           device.c_str(), nullptr, nullptr)
                                   : pa_context_move_sink_input_by_name(connection_.Context(), index,
                                                                        device.c_str(), nullptr, nullptr);
  if (operation) pa_operation_unref(operation);
}

void CDeviceFollower::Recover() {
  if (recovering_ || reconnects_ >= kMaxReconnects) return;
  recovering_ = true;
  if (route_.Chosen().empty()) {
    AskServer(Ask::DefaultForRecover);
  } else {
    LookUp(Ask::Recover, route_.Chosen(), PA_INVALID_INDEX);
  }
}

void CDeviceFollower::ReconnectTo(const std::string& device) {
  recovering_ = false;
  ++reconnects_;
  stream_.Reopen(device);
}

void CDeviceFollower::Event(pa_subscription_event_type_t type, uint32_t index) {
  const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
  const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
  if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
    if (kind == PA_SUBSCRIPTION_EVENT_CHANGE) AskServer(Ask::DefaultChanged);
    return;
  }
  if (facility != (input_ ? PA_SUBSCRIPTION_EVENT_SOURCE : PA_SUBSCRIPTION_EVENT_SINK)) return;
  if (kind == PA_SUBSCRIPTION_EVENT_NEW) {
    reconnects_ = 0;
    if (!Alive()) {
      Recover();
    } else if (!route_.OnChosen()) {
      LookUp(Ask::Arrived, "", index);
    }
  } else if (kind == PA_SUBSCRIPTION_EVENT_REMOVE && Alive() &&
             index == pa_stream_get_device_index(stream_.Handle())) {
    // The server has moved the stream already if it rescues streams; its
    // answer to this question comes after that news.
    removedIndex_ = index;
    AskServer(Ask::DefaultAfterRemove);
  }
}

void CDeviceFollower::LookUp(Ask ask, const std::string& name, uint32_t index) {
  pa_context* context = connection_.Context();
  Slot* slot = &slots_[static_cast<int>(ask)];
  pa_operation* operation = nullptr;
  if (!name.empty()) {
    operation = input_
                    ? pa_context_get_source_info_by_name(context, name.c_str(), &OnInfo<pa_source_info>, slot)
                    : pa_context_get_sink_info_by_name(context, name.c_str(), &OnInfo<pa_sink_info>, slot);
  } else if (index != PA_INVALID_INDEX) {
    operation = input_ ? pa_context_get_source_info_by_index(context, index, &OnInfo<pa_source_info>, slot)
                       : pa_context_get_sink_info_by_index(context, index, &OnInfo<pa_sink_info>, slot);
  }
  if (operation) {
    pa_operation_unref(operation);
  } else {
    NotFound(ask);
  }
}

template <typename Info>
void CDeviceFollower::OnInfo(pa_context*, const Info* info, int eol, void* slot) {
  Slot& s = *static_cast<Slot*>(slot);
  if (info) {
    s.found = true;
    s.follower->Found(s.ask, info->name, info->description);
  } else if (eol != 0) {
    if (!s.found) s.follower->NotFound(s.ask);
    s.found = false;
  }
}

void CDeviceFollower::Found(Ask ask, const char* name, const char* description) {
  if (!name) return;
  if (ask == Ask::Shown) {
    route_.NoteShown(name, DeviceDisplayName(description ? description : name));
  } else if (ask == Ask::Arrived && route_.TakesBack(name)) {
    MoveTo(name);
  } else if (ask == Ask::Recover) {
    ReconnectTo(name);
  }
}

void CDeviceFollower::NotFound(Ask ask) {
  if (ask == Ask::Recover) AskServer(Ask::DefaultForRecover);
}

void CDeviceFollower::AskServer(Ask ask) {
  if (pa_operation* operation =
          pa_context_get_server_info(connection_.Context(), &OnServerInfo, &slots_[static_cast<int>(ask)])) {
    pa_operation_unref(operation);
  } else if (ask == Ask::DefaultForRecover) {
    recovering_ = false;
  }
}

void CDeviceFollower::OnServerInfo(pa_context*, const pa_server_info* info, void* slot) {
  Slot& s = *static_cast<Slot*>(slot);
  const char* name =
      info ? (s.follower->input_ ? info->default_source_name : info->default_sink_name) : nullptr;
  s.follower->ServerSays(s.ask, name ? name : "");
}

void CDeviceFollower::ServerSays(Ask ask, const std::string& serverDefault) {
  if (ask == Ask::DefaultForRecover) {
    // No device at all: the next one to appear brings the stream back.
    if (serverDefault.empty()) {
      recovering_ = false;
    } else {
      ReconnectTo(serverDefault);
    }
  } else if (ask == Ask::DefaultAfterRemove) {
    if (Alive() && pa_stream_get_device_index(stream_.Handle()) == removedIndex_ && !serverDefault.empty())
      MoveTo(serverDefault);
  } else if (ask == Ask::DefaultChanged && Alive()) {
    const std::string target = route_.MoveForDefault(serverDefault);
    if (!target.empty()) MoveTo(target);
  }
}
