#pragma once

#include <pulse/pulseaudio.h>

#include <functional>
#include <string>

// One connection to the user's PulseAudio (or PipeWire) server with its own
// event thread, on which every callback of the connection runs. Callers
// touch the connection's objects only while they hold the thread's lock
// (Lock), as libpulse requires.
class CPulseConnection {
 public:
  CPulseConnection() = default;
  ~CPulseConnection();
  CPulseConnection(const CPulseConnection&) = delete;
  CPulseConnection& operator=(const CPulseConnection&) = delete;

  // Starts the event thread and waits until the server has accepted the
  // connection; false, with the server's reason in error, when it does not.
  // Never starts a server of its own.
  bool Connect(const char* clientName, std::string& error);

  // Ends the event thread, waiting for a callback that may be running; no
  // callback runs afterwards. Idempotent; called by the destructor anyway.
  void Stop();

  pa_context* Context() const { return context_; }
  // The reason of the last failure on this connection.
  std::string LastError() const;

  // Holds the event thread's lock for its lifetime.
  class Lock {
   public:
    explicit Lock(const CPulseConnection& connection) : loop_(connection.loop_) {
      pa_threaded_mainloop_lock(loop_);
    }
    ~Lock() { pa_threaded_mainloop_unlock(loop_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    pa_threaded_mainloop* loop_;
  };

  // With the lock held: sleeps until done() holds, waking whenever a
  // callback calls Wake.
  void WaitUntil(const std::function<bool()>& done) const;
  void Wake() const { pa_threaded_mainloop_signal(loop_, 0); }
  // With the lock held: waits for an operation to finish, then drops it.
  void Finish(pa_operation* operation) const;

 private:
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  bool running_ = false;
};
