#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/audiobackend.h"

// The sound card for tests. Streams open at once and run only when driven:
// by hand with Pump, on the caller's thread, or by a clock thread standing in
// for the device's own. Input streams deliver what FeedInput gave them (then
// silence); whatever output streams produce is kept for Played. Every open is
// recorded, and opens fail as the real ones do: for a device outside the
// lists, and for every device while openError is set.
class CFakeAudioBackend : public AudioBackend {
 public:
  struct Open {
    bool input;
    StreamRequest request;
  };

  ~CFakeAudioBackend() override { StopClock(); }

  std::unique_ptr<AudioStream> OpenInput(const StreamRequest& request, StreamCallback callback, void* user,
                                         std::string& error) override {
    return OpenStream(true, request, callback, user, error);
  }
  std::unique_ptr<AudioStream> OpenOutput(const StreamRequest& request, StreamCallback callback, void* user,
                                          std::string& error) override {
    return OpenStream(false, request, callback, user, error);
  }
  int InputDeviceCount() override { return static_cast<int>(inputNames.size()); }
  int OutputDeviceCount() override { return static_cast<int>(outputNames.size()); }
  bool InputDeviceName(int index, std::string& name) override { return NameOf(inputNames, index, name); }
  bool OutputDeviceName(int index, std::string& name) override { return NameOf(outputNames, index, name); }

  // One callback of every open stream, times times over.
  void Pump(int times) {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < times; ++i) {
      for (Stream* stream : streams_) stream->Run(*this);
    }
  }
  // Pumps once every period from a thread of its own until StopClock.
  void StartClock(std::chrono::microseconds period) {
    StopClock();
    clockRunning_ = true;
    clock_ = std::thread([this, period] {
      std::unique_lock lock(clockMutex_);
      while (clockRunning_) {
        lock.unlock();
        Pump(1);
        lock.lock();
        clockStop_.wait_for(lock, period, [this] { return !clockRunning_; });
      }
    });
  }
  void StopClock() {
    {
      std::lock_guard lock(clockMutex_);
      clockRunning_ = false;
    }
    clockStop_.notify_all();
    if (clock_.joinable()) clock_.join();
  }

  void FeedInput(const std::vector<int16_t>& samples) {
    std::lock_guard lock(mutex_);
    feed_.insert(feed_.end(), samples.begin(), samples.end());
  }
  std::vector<int16_t> Played() const {
    std::lock_guard lock(mutex_);
    return played_;
  }
  std::vector<Open> Opens() const {
    std::lock_guard lock(mutex_);
    return opens_;
  }
  int OpenStreams() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(streams_.size());
  }

  std::vector<std::string> inputNames{"Fake microphone"};
  std::vector<std::string> outputNames{"Fake speaker"};
  std::string openError;

 private:
  class Stream : public AudioStream {
   public:
    Stream(CFakeAudioBackend& backend, bool input, const StreamRequest& request, StreamCallback callback,
           void* user)
        : backend_(backend),
          input_(input),
          callback_(callback),
          user_(user),
          buffer_(static_cast<std::size_t>(request.framesPerCallback * request.channels)) {
      std::lock_guard lock(backend_.mutex_);
      backend_.streams_.push_back(this);
    }
    // Waits for a running Pump, as a real stream waits for its callback.
    ~Stream() override {
      std::lock_guard lock(backend_.mutex_);
      std::erase(backend_.streams_, this);
    }
    void Run(CFakeAudioBackend& backend) {
      if (input_) {
        for (int16_t& sample : buffer_) {
          sample = backend.feed_.empty() ? int16_t{0} : backend.feed_.front();
          if (!backend.feed_.empty()) backend.feed_.pop_front();
        }
      } else {
        std::fill(buffer_.begin(), buffer_.end(), int16_t{0});
      }
      callback_(buffer_.data(), buffer_.size(), user_);
      if (!input_) backend.played_.insert(backend.played_.end(), buffer_.begin(), buffer_.end());
    }

   private:
    CFakeAudioBackend& backend_;
    bool input_;
    StreamCallback callback_;
    void* user_;
    std::vector<int16_t> buffer_;
  };

  std::unique_ptr<AudioStream> OpenStream(bool input, const StreamRequest& request, StreamCallback callback,
                                          void* user, std::string& error) {
    const std::size_t devices = input ? inputNames.size() : outputNames.size();
    {
      std::lock_guard lock(mutex_);
      opens_.push_back({input, request});
    }
    if (!openError.empty()) {
      error = openError;
      return nullptr;
    }
    if (request.device < -1 || request.device >= static_cast<int>(devices) || devices == 0) {
      error = std::string("There is no ") + (input ? "input" : "output") + " audio device " +
              std::to_string(request.device) + ".";
      return nullptr;
    }
    return std::make_unique<Stream>(*this, input, request, callback, user);
  }

  static bool NameOf(const std::vector<std::string>& names, int index, std::string& name) {
    if (index < 0 || index >= static_cast<int>(names.size())) return false;
    name = names[static_cast<std::size_t>(index)];
    return true;
  }

  mutable std::mutex mutex_;
  std::vector<Stream*> streams_;
  std::deque<int16_t> feed_;
  std::vector<int16_t> played_;
  std::vector<Open> opens_;

  std::mutex clockMutex_;
  std::condition_variable clockStop_;
  bool clockRunning_ = false;
  std::thread clock_;
};
