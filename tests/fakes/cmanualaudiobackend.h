#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/audiobackend.h"

// Streams that run only when a test says so; opening can be made to fail.
class ManualBackend : public AudioBackend {
 public:
  struct Stream : AudioStream {
    Stream(ManualBackend& b, bool in) : backend(b), input(in) {}
    ~Stream() override { (input ? backend.input : backend.output) = nullptr; }
    double ReportedDelaySeconds() const override { return delay; }
    uint64_t CallbackCount() const override { return callbacks; }
    ManualBackend& backend;
    bool input;
    double delay = 0.0;
    uint64_t callbacks = 0;
    StreamRequest request;
    StreamCallback callback = nullptr;
    void* user = nullptr;
  };

  std::unique_ptr<AudioStream> OpenInput(const StreamRequest& r, StreamCallback cb, void* user,
                                         std::string& error) override {
    return Open(true, r, cb, user, error);
  }
  std::unique_ptr<AudioStream> OpenOutput(const StreamRequest& r, StreamCallback cb, void* user,
                                          std::string& error) override {
    return Open(false, r, cb, user, error);
  }
  int InputDeviceCount() override { return 1; }
  int OutputDeviceCount() override { return 1; }
  bool InputDeviceName(int, std::string& name) override { return name = "in", true; }
  bool OutputDeviceName(int, std::string& name) override { return name = "out", true; }

  std::unique_ptr<AudioStream> Open(bool in, const StreamRequest& r, StreamCallback cb, void* user,
                                    std::string& error) {
    ++opens;
    if (fail) {
      error = "no such device";
      return nullptr;
    }
    auto stream = std::make_unique<Stream>(*this, in);
    stream->request = r;
    stream->callback = cb;
    stream->user = user;
    (in ? input : output) = stream.get();
    return stream;
  }

  bool fail = false;
  int opens = 0;
  Stream* input = nullptr;
  Stream* output = nullptr;
};
