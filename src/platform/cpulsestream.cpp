#include "platform/cpulsestream.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/cstreamvolume.h"

namespace {

constexpr const char* kClientName = "Ondrel";
constexpr std::size_t kSampleBytes = sizeof(int16_t);
// Capture that has waited in the server's queue and the stream's for longer
// than one callback and this much is a backlog: a server busy with the new
// streams of a call hands on what it held back all at once, as does one
// whose reader was held up, and the peer would hear the call that much later
// until its spool trims it. A phone sends what is said now.
constexpr pa_usec_t kCaptureSlackUsec = 60'000;

// libpulse itself sends an unnamed stream to PULSE_SINK or PULSE_SOURCE:
// that is the user's choice of device, to come back to like a named one.
std::string EnvironmentDevice(bool input) {
  const char* name = std::getenv(input ? "PULSE_SOURCE" : "PULSE_SINK");
  return name ? name : "";
}

}  // namespace

CPulseStream::CPulseStream(AudioBackend::StreamCallback callback, void* user, CStreamVolume* volume)
    : callback_(callback), user_(user), volume_(volume) {}

CPulseStream::~CPulseStream() {
  // No callback runs once the event thread has ended, so the stream can go.
  connection_.Stop();
  Drop();
}

bool CPulseStream::Start(bool input, const std::string& device, const std::string& shownName,
                         const StreamRequest& request, std::string& error) {
  const std::string what =
      std::string("Could not open ") + (input ? "input" : "output") + " audio device \"" + shownName + "\": ";
  input_ = input;
  spec_ = {PA_SAMPLE_S16LE, static_cast<uint32_t>(std::max(request.sampleRate, 0)),
           static_cast<uint8_t>(std::clamp(request.channels, 0, 255))};
  if (request.framesPerCallback <= 0 || request.channels != spec_.channels || !pa_sample_spec_valid(&spec_) ||
      !pa_channel_map_init_auto(&map_, spec_.channels, PA_CHANNEL_MAP_DEFAULT)) {
    error = what + "invalid stream format (" + std::to_string(request.sampleRate) + " Hz, " +
            std::to_string(request.channels) + " channels, " + std::to_string(request.framesPerCallback) +
            " frames per buffer).";
    return false;
  }
  buffer_.assign(static_cast<std::size_t>(request.framesPerCallback) * spec_.channels, 0);
  const auto callbackBytes = static_cast<uint32_t>(buffer_.size() * kSampleBytes);
  freshUsec_ = pa_bytes_to_usec(callbackBytes, &spec_) + kCaptureSlackUsec;
  // The queue in whole callbacks, as asked, and at least one.
  const auto queueCallbacks = static_cast<uint32_t>(
      std::max(1.0, std::ceil(request.latencySeconds * request.sampleRate / request.framesPerCallback - 1e-9)));
  attributes_.maxlength = static_cast<uint32_t>(-1);
  attributes_.tlength = input ? static_cast<uint32_t>(-1) : queueCallbacks * callbackBytes;
  attributes_.prebuf = static_cast<uint32_t>(-1);
  // A queue of one callback leaves the request size to the server: asked
  // for a whole callback each time, it would keep a second queue's worth.
  attributes_.minreq = input || queueCallbacks < 2 ? static_cast<uint32_t>(-1) : callbackBytes;
  attributes_.fragsize = input ? callbackBytes : static_cast<uint32_t>(-1);
  follower_ = std::make_unique<CDeviceFollower>(connection_, input,
                                                device.empty() ? EnvironmentDevice(input) : device,
                                                static_cast<CDeviceFollower::Stream&>(*this));

  std::string why;
  if (!connection_.Connect(kClientName, why)) {
    error = what + why;
    return false;
  }
  CPulseConnection::Lock lock(connection_);
  if (Connect(device.empty() ? nullptr : device.c_str())) {
    connection_.WaitUntil([this] {
      const pa_stream_state_t state = pa_stream_get_state(stream_);
      return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    });
  }
  if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) {
    error = what + connection_.LastError();
    return false;
  }
  started_ = true;
  AttachVolume();
  follower_->Start();
  return true;
}

bool CPulseStream::Connect(const char* device) {
  // A call's streams say so, for the desktop to treat them as one: pausing
  // music while it lasts, or routing it to a headset meant for calls.
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "phone");
  stream_ = pa_stream_new_with_proplist(connection_.Context(), input_ ? "Microphone" : "Loudspeaker", &spec_,
                                        &map_, properties);
  pa_proplist_free(properties);
  if (!stream_) return false;
  filled_ = 0;
  pa_stream_set_state_callback(stream_, &CPulseStream::OnState, this);
  pa_stream_set_moved_callback(stream_, &CPulseStream::OnMoved, this);
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                                    PA_STREAM_AUTO_TIMING_UPDATE);
  if (input_) {
    pa_stream_set_read_callback(stream_, &CPulseStream::OnReadable, this);
    return pa_stream_connect_record(stream_, device, &attributes_, flags) == 0;
  }
  pa_stream_set_write_callback(stream_, &CPulseStream::OnWritable, this);
  // Starting at the wanted volume, not the server's, spares a loud first moment.
  pa_cvolume start{};
  const bool wanted = volume_ && volume_->Wanted() != CStreamVolume::kNone;
  if (wanted) pa_cvolume_set(&start, spec_.channels, volume_->Wanted());
  return pa_stream_connect_playback(stream_, device, &attributes_, flags, wanted ? &start : nullptr,
                                    nullptr) == 0;
}

void CPulseStream::Drop() {
  if (!stream_) return;
  if (volume_ && attachedIndex_ != PA_INVALID_INDEX) volume_->Detach(attachedIndex_);
  attachedIndex_ = PA_INVALID_INDEX;
  pa_stream_set_state_callback(stream_, nullptr, nullptr);
  pa_stream_set_moved_callback(stream_, nullptr, nullptr);
  pa_stream_set_read_callback(stream_, nullptr, nullptr);
  pa_stream_set_write_callback(stream_, nullptr, nullptr);
  pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
}

void CPulseStream::AttachVolume() {
  if (!volume_) return;
  attachedIndex_ = pa_stream_get_index(stream_);
  // Attached first, then the wanted volume read: a slider moved meanwhile
  // either finds this stream or is read here.
  volume_->Attach(attachedIndex_);
  const uint32_t wanted = volume_->Wanted();
  if (wanted == CStreamVolume::kNone) return;
  pa_cvolume volume{};
  pa_cvolume_set(&volume, spec_.channels, wanted);
  pa_context* context = connection_.Context();
  pa_operation* operation =
      input_ ? pa_context_set_source_output_volume(context, attachedIndex_, &volume, nullptr, nullptr)
             : pa_context_set_sink_input_volume(context, attachedIndex_, &volume, nullptr, nullptr);
  if (operation) pa_operation_unref(operation);
}

void CPulseStream::OnState(pa_stream* stream, void* self) {
  auto& me = *static_cast<CPulseStream*>(self);
  me.connection_.Wake();
  if (!me.started_ || stream != me.stream_) return;
  const pa_stream_state_t state = pa_stream_get_state(stream);
  if (state == PA_STREAM_READY) {
    me.AttachVolume();
    me.follower_->Ready();
  } else if (!PA_STREAM_IS_GOOD(state)) {
    me.follower_->Failed();
  }
}

void CPulseStream::OnMoved(pa_stream*, void* self) {
  static_cast<CPulseStream*>(self)->follower_->Moved();
}

void CPulseStream::Reopen(const std::string& device) {
  Drop();
  if (!Connect(device.c_str())) Drop();
}

// The stream's thread, for this and OnReadable: the buffer is the object's
// own, so nothing here allocates or waits (libpulse copies into its own
// preallocated pool).
void CPulseStream::OnWritable(pa_stream* stream, std::size_t bytes, void* self) {
  auto& me = *static_cast<CPulseStream*>(self);
  const std::size_t callbackBytes = me.buffer_.size() * kSampleBytes;
  // Whole callbacks only; a last part beyond what was asked is queued too.
  for (std::size_t written = 0; written < bytes; written += callbackBytes) {
    me.callback_(me.buffer_.data(), me.buffer_.size(), me.user_);
    if (pa_stream_write(stream, me.buffer_.data(), callbackBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) break;
    me.NoteLatency(stream);
  }
}

void CPulseStream::OnReadable(pa_stream* stream, std::size_t, void* self) {
  auto& me = *static_cast<CPulseStream*>(self);
  const void* data = nullptr;
  std::size_t bytes = 0;
  while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
    if (me.Stale(stream)) {
      // The frame under way is older still.
      me.filled_ = 0;
    } else {
      // A hole (data lost on the way) still took its time: it counts as silence.
      me.Record(static_cast<const int16_t*>(data), bytes / kSampleBytes);
    }
    pa_stream_drop(stream);
  }
}

bool CPulseStream::Stale(pa_stream* stream) const {
  const pa_timing_info* timing = pa_stream_get_timing_info(stream);
  pa_usec_t latency = 0;
  int negative = 0;
  if (!timing || pa_stream_get_latency(stream, &latency, &negative) != 0 || negative) return false;
  // What the device itself holds before the server has it is no backlog.
  return latency > timing->source_usec + freshUsec_;
}

void CPulseStream::Record(const int16_t* samples, std::size_t count) {
  while (count > 0) {
    const std::size_t taken = std::min(count, buffer_.size() - filled_);
    if (samples) {
      std::copy_n(samples, taken, buffer_.begin() + static_cast<std::ptrdiff_t>(filled_));
      samples += taken;
    } else {
      std::fill_n(buffer_.begin() + static_cast<std::ptrdiff_t>(filled_), taken, int16_t{0});
    }
    filled_ += taken;
    count -= taken;
    if (filled_ == buffer_.size()) {
      filled_ = 0;
      callback_(buffer_.data(), buffer_.size(), user_);
      NoteLatency(stream_);
    }
  }
}

void CPulseStream::NoteLatency(pa_stream* stream) {
  pa_usec_t latency = 0;
  int negative = 0;
  if (pa_stream_get_latency(stream, &latency, &negative) != 0 || negative) latency = 0;
  delay_.Note(static_cast<double>(latency) / 1e6);
}
