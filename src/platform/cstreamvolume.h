#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

// The volume of the program's own call stream on one side (the loudspeaker's
// sink input, the microphone's source output), as every desktop program
// keeps its own: the devices themselves stay as the user set them.
//
// A call's streams come and go with the calls and with every change of
// sound type; the wanted volume outlives them. A stream, once it runs, says
// which one it is on the server (Attach) and takes the wanted volume; the
// mixer sets and reads the volume of that stream, and the wanted volume
// when none runs. Unset until the user or the server gives one: a stream
// then starts at whatever the server chooses for it (a desktop remembers
// the last volume of the "phone" role).
//
// Attach and Detach run on a stream's event thread, the rest on the main
// thread; listeners are told of every attach on the stream's thread.
class CStreamVolume {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;  // no index; no volume
  using Listener = std::function<void()>;

  void Attach(uint32_t index);
  // Only the stream attached under index detaches it.
  void Detach(uint32_t index);
  uint32_t Index() const { return index_.load(); }

  uint32_t Wanted() const { return wanted_.load(); }
  void SetWanted(uint32_t volume) { wanted_.store(volume); }

  // owner: whatever removes the listener later. After RemoveListener
  // returns, that listener is not running and is never called again.
  void AddListener(const void* owner, Listener listener);
  void RemoveListener(const void* owner);

 private:
  std::atomic<uint32_t> index_{kNone};
  std::atomic<uint32_t> wanted_{kNone};
  std::mutex mutex_;  // the listeners; never taken on an audio callback
  std::vector<std::pair<const void*, Listener>> listeners_;
};
