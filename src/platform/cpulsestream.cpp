#include "platform/cpulsestream.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kClientName = "Ondrel";
constexpr std::size_t kSampleBytes = sizeof(int16_t);

}  // namespace

CPulseStream::CPulseStream(AudioBackend::StreamCallback callback, void* user)
    : callback_(callback), user_(user) {}

CPulseStream::~CPulseStream() {
  // No callback runs once the event thread has ended, so the stream can go.
  connection_.Stop();
  if (stream_) {
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
  }
}

bool CPulseStream::Start(bool input, const std::string& device, const std::string& shownName,
                         const StreamRequest& request, std::string& error) {
  const std::string what =
      std::string("Could not open ") + (input ? "input" : "output") + " audio device \"" + shownName + "\": ";
  pa_sample_spec spec{PA_SAMPLE_S16LE, static_cast<uint32_t>(std::max(request.sampleRate, 0)),
                      static_cast<uint8_t>(std::clamp(request.channels, 0, 255))};
  pa_channel_map map{};
  if (request.framesPerCallback <= 0 || request.channels != spec.channels || !pa_sample_spec_valid(&spec) ||
      !pa_channel_map_init_auto(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT)) {
    error = what + "invalid stream format (" + std::to_string(request.sampleRate) + " Hz, " +
            std::to_string(request.channels) + " channels, " + std::to_string(request.framesPerCallback) +
            " frames per buffer).";
    return false;
  }
  buffer_.assign(static_cast<std::size_t>(request.framesPerCallback) * spec.channels, 0);
  std::string why;
  if (!connection_.Connect(kClientName, why)) {
    error = what + why;
    return false;
  }

  CPulseConnection::Lock lock(connection_);
  // A call's streams say so, for the desktop to treat them as one: pausing
  // music while it lasts, or routing it to a headset meant for calls.
  pa_proplist* properties = pa_proplist_new();
  pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "phone");
  stream_ = pa_stream_new_with_proplist(connection_.Context(), input ? "Microphone" : "Loudspeaker", &spec,
                                        &map, properties);
  pa_proplist_free(properties);
  if (!stream_) {
    error = what + connection_.LastError();
    return false;
  }
  pa_stream_set_state_callback(
      stream_, [](pa_stream*, void* self) { static_cast<CPulseStream*>(self)->connection_.Wake(); }, this);
  const auto callbackBytes = static_cast<uint32_t>(buffer_.size() * kSampleBytes);
  // The queue in whole callbacks, as asked, and at least one.
  const auto queueCallbacks = static_cast<uint32_t>(
      std::max(1.0, std::ceil(request.latencySeconds * request.sampleRate / request.framesPerCallback - 1e-9)));
  pa_buffer_attr attributes{};
  attributes.maxlength = static_cast<uint32_t>(-1);
  attributes.tlength = input ? static_cast<uint32_t>(-1) : queueCallbacks * callbackBytes;
  attributes.prebuf = static_cast<uint32_t>(-1);
  // A queue of one callback leaves the request size to the server: asked
  // for a whole callback each time, it would keep a second queue's worth.
  attributes.minreq = input || queueCallbacks < 2 ? static_cast<uint32_t>(-1) : callbackBytes;
  attributes.fragsize = input ? callbackBytes : static_cast<uint32_t>(-1);
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                                    PA_STREAM_AUTO_TIMING_UPDATE);
  const char* name = device.empty() ? nullptr : device.c_str();
  int result = 0;
  if (input) {
    pa_stream_set_read_callback(stream_, &CPulseStream::OnReadable, this);
    result = pa_stream_connect_record(stream_, name, &attributes, flags);
  } else {
    pa_stream_set_write_callback(stream_, &CPulseStream::OnWritable, this);
    result = pa_stream_connect_playback(stream_, name, &attributes, flags, nullptr, nullptr);
  }
  if (result == 0) {
    connection_.WaitUntil([this] {
      const pa_stream_state_t state = pa_stream_get_state(stream_);
      return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    });
  }
  if (result != 0 || pa_stream_get_state(stream_) != PA_STREAM_READY) {
    error = what + connection_.LastError();
    return false;
  }
  return true;
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
    // A hole (data lost on the way) still took its time: it counts as silence.
    me.Record(static_cast<const int16_t*>(data), bytes / kSampleBytes);
    pa_stream_drop(stream);
  }
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
