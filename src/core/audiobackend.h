#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The sound card as the audio objects see it: streams of interleaved 16-bit
// PCM that call back with a fixed number of samples each time, and a fixed
// enumeration of input and output devices. The desktop implementation lives
// with the other platform stand-ins; tests drive a fake one by hand.

struct StreamRequest {
  int device = -1;  // -1: the system default; n: device n of the enumeration
  int sampleRate = 0;
  int channels = 0;
  int framesPerCallback = 0;    // sample frames (one sample per channel) per callback
  double latencySeconds = 0.0;  // how much audio the device should keep queued
  // A call's loudspeaker or microphone, whose volume the window's sliders
  // set; other streams (the ringer) keep their own.
  bool call = false;
};

// A running stream. Destroying it stops it and waits until no callback of it
// runs any more, so whatever the callback uses may go right after.
class AudioStream {
 public:
  virtual ~AudioStream() = default;

  // How long a sample handed to the latest callbacks waits before it is
  // heard (output) or how long ago it was recorded (input), as the device
  // itself reports it, sound server included; 0 when it cannot tell. Read
  // on any thread while the callbacks run.
  virtual double ReportedDelaySeconds() const { return 0.0; }
  // Callbacks run so far: a delay reported after a handful of them is the
  // start-up, not the steady state.
  virtual uint64_t CallbackCount() const { return 0; }

  // Where the stream is, for telling the user; read on any thread while the
  // callbacks run. A stream whose chosen device goes away carries on, on a
  // stand-in (the server's default), and goes back when the device returns.
  // False while it stands in, or has no device at all to run on.
  virtual bool OnChosenDevice() const { return true; }
  // Times the chosen device went away: once per loss, however long it
  // stays away (a device already gone when the stream opened counts once).
  virtual uint64_t DeviceLosses() const { return 0; }
  // The device the stream runs on now, as the device lists name it; empty
  // when it cannot tell or runs on none.
  virtual std::string DeviceName() const { return {}; }
};

class AudioBackend {
 public:
  // Called on the device's own thread with framesPerCallback x channels
  // samples: recorded ones for an input stream, ones to fill for an output
  // stream. It must not allocate, lock or block.
  using StreamCallback = void (*)(int16_t* samples, std::size_t sampleCount, void* user);

  virtual ~AudioBackend() = default;

  // nullptr, with the reason in error, when the stream cannot be opened.
  virtual std::unique_ptr<AudioStream> OpenInput(const StreamRequest& request, StreamCallback callback,
                                                 void* user, std::string& error) = 0;
  virtual std::unique_ptr<AudioStream> OpenOutput(const StreamRequest& request, StreamCallback callback,
                                                  void* user, std::string& error) = 0;

  virtual int InputDeviceCount() = 0;
  virtual int OutputDeviceCount() = 0;
  // False for an index outside the enumeration; names are cut to 49 characters.
  virtual bool InputDeviceName(int index, std::string& name) = 0;
  virtual bool OutputDeviceName(int index, std::string& name) = 0;
};
