#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/csharedtext.h"

// Where a stream ought to run and where it runs, for a stream that follows
// its device away and back. The stream's event thread tells it each device
// it lands on; the figures are read on any thread.
class CStreamRoute {
 public:
  // chosen: the server's name of the device asked for; empty to follow
  // whatever the server's default is.
  explicit CStreamRoute(std::string chosen) : chosen_(std::move(chosen)) {}

  const std::string& Chosen() const { return chosen_; }

  // Event thread: the stream now runs on device (the server's name), shown
  // to the user as shown; an empty device: it runs nowhere (killed).
  void NoteDevice(const std::string& device, const std::string& shown);
  // Event thread: the name to show for the device the stream runs on, when
  // it comes later than the device.
  void NoteShown(const std::string& device, const std::string& shown);
  const std::string& Current() const { return current_; }

  // Event thread: whether a device that appeared, by name, should take the
  // stream back.
  bool TakesBack(const std::string& device) const {
    return !chosen_.empty() && device == chosen_ && current_ != chosen_;
  }
  // Event thread: where to move when the server's default becomes
  // serverDefault; empty to stay. A stream on its chosen device stays.
  std::string MoveForDefault(const std::string& serverDefault) const;

  bool OnChosen() const { return onChosen_.load(); }
  uint64_t Losses() const { return losses_.load(); }
  std::string Shown() const { return shown_.Get(); }

 private:
  const std::string chosen_;
  std::string current_;
  std::atomic<bool> onChosen_{true};
  std::atomic<uint64_t> losses_{0};
  CSharedText shown_;
};
