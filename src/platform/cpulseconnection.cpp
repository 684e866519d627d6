#include "platform/cpulseconnection.h"

CPulseConnection::~CPulseConnection() {
  Stop();
  if (context_) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
  }
  if (loop_) pa_threaded_mainloop_free(loop_);
}

bool CPulseConnection::Connect(const char* clientName, std::string& error) {
  loop_ = pa_threaded_mainloop_new();
  if (!loop_) {
    error = "could not start the sound server's event thread";
    return false;
  }
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), clientName);
  if (!context_) {
    error = "could not make a sound server connection";
    return false;
  }
  pa_context_set_state_callback(
      context_, [](pa_context*, void* self) { static_cast<CPulseConnection*>(self)->Wake(); }, this);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    error = LastError();
    return false;
  }
  if (pa_threaded_mainloop_start(loop_) < 0) {
    error = "could not start the sound server's event thread";
    return false;
  }
  running_ = true;
  Lock lock(*this);
  WaitUntil([this] {
    return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) ||
           pa_context_get_state(context_) == PA_CONTEXT_READY;
  });
  if (pa_context_get_state(context_) == PA_CONTEXT_READY) return true;
  error = LastError();
  return false;
}

void CPulseConnection::Stop() {
  if (!running_) return;
  running_ = false;
  pa_threaded_mainloop_stop(loop_);
}

std::string CPulseConnection::LastError() const {
  return context_ ? pa_strerror(pa_context_errno(context_)) : "no sound server connection";
}

void CPulseConnection::WaitUntil(const std::function<bool()>& done) const {
  while (!done()) pa_threaded_mainloop_wait(loop_);
}

void CPulseConnection::Finish(pa_operation* operation) const {
  if (!operation) return;
  pa_operation_set_state_callback(
      operation, [](pa_operation*, void* self) { static_cast<const CPulseConnection*>(self)->Wake(); },
      const_cast<CPulseConnection*>(this));
  WaitUntil([operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
  pa_operation_unref(operation);
}
