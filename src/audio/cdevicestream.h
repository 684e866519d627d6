#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/audiobackend.h"

// The open stream of a device object and the flag its callback tests.
// The flag goes up before the stream starts, so the first callback is not
// lost, and down before the stream is stopped, so a callback that comes
// while closing does nothing; stopping the stream waits for the one that
// may be running.
class CDeviceStream {
 public:
  using Opener = std::function<std::unique_ptr<AudioStream>(std::string& error)>;

  ~CDeviceStream() { Close(); }

  // Idempotent: true at once when already open.
  bool Open(const Opener& open, std::string& error) {
    if (open_.load()) return true;
    open_.store(true);
    stream_ = open(error);
    if (!stream_) open_.store(false);
    return stream_ != nullptr;
  }

  void Close() {
    open_.store(false);
    stream_.reset();
  }

  // Read on the device's thread.
  bool IsOpen() const { return open_.load(); }

  // What the running stream reports (AudioStream); 0 when closed. Main thread.
  double ReportedDelaySeconds() const { return stream_ ? stream_->ReportedDelaySeconds() : 0.0; }
  uint64_t CallbackCount() const { return stream_ ? stream_->CallbackCount() : 0; }
  // Where the running stream is (AudioStream); when closed, nothing is lost. Main thread.
  bool OnChosenDevice() const { return stream_ ? stream_->OnChosenDevice() : true; }
  uint64_t DeviceLosses() const { return stream_ ? stream_->DeviceLosses() : 0; }
  std::string DeviceName() const { return stream_ ? stream_->DeviceName() : std::string(); }

 private:
  std::atomic<bool> open_{false};
  std::unique_ptr<AudioStream> stream_;
};
