#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/audiobackend.h"
#include "audiosignals.h"
#include "fakes/cpulseserver.h"

// What every audio backend must do, checked through a private sound server
// whose sink "t_spk" is the loudspeaker and whose sink "t_mic" feeds the
// microphone through its monitor.
namespace backendchecks {

using namespace audiosignals;

constexpr int kMonitorRate = 16000;

struct StreamCase {
  std::string output;  // device names; empty: the default device
  std::string input;
  int rate;
  int channels;
  int frames;
  double hz;
};

// -1 for the default device, else the index of the named one.
inline int DeviceIndex(AudioBackend& backend, bool input, const std::string& name) {
  if (name.empty()) return -1;
  const int count = input ? backend.InputDeviceCount() : backend.OutputDeviceCount();
  for (int i = 0; i < count; ++i) {
    std::string found;
    if ((input ? backend.InputDeviceName(i, found) : backend.OutputDeviceName(i, found)) && found == name)
      return i;
  }
  ADD_FAILURE() << "no device " << name;
  return -1;
}

// A tone played through an output stream reaches the loudspeaker, in
// callbacks of exactly the size asked for.
inline void CheckOutputReachesTheLoudspeaker(AudioBackend& backend, CPulseServer& pulse,
                                             const StreamCase& c) {
  SCOPED_TRACE(c.output + " " + std::to_string(c.rate));
  const auto recording = pulse.Directory() / "speaker.raw";
  pulse.Record("t_spk.monitor", kMonitorRate, recording);
  ToneSource tone(c.rate, c.channels, c.hz);
  const StreamRequest request{DeviceIndex(backend, false, c.output), c.rate, c.channels, c.frames,
                              8.0 * c.frames / c.rate};
  std::string error;
  auto stream = backend.OpenOutput(request, &ToneSource::Fill, &tone, error);
  ASSERT_TRUE(stream) << error;
  EXPECT_TRUE(WaitUntil([&] { return EndsInTone(CPulseServer::Samples(recording), kMonitorRate, c.hz); }));
  stream.reset();
  EXPECT_EQ(tone.sizes.smallest.load(), std::size_t(c.frames * c.channels));
  EXPECT_EQ(tone.sizes.largest.load(), std::size_t(c.frames * c.channels));
  pulse.StopHelpers();
}

// Starts the microphone's tone; CheckInputRecordsTheMicrophone then hears it.
inline void PlayMicrophoneTone(CPulseServer& pulse) {
  const auto toneFile = pulse.Directory() / "tone.wav";
  ASSERT_TRUE(WriteSoundFile(toneFile, 16000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, Tone(16000, 1, 1200, 60)));
  pulse.Play("t_mic", toneFile);
}

inline void CheckInputRecordsTheMicrophone(AudioBackend& backend, const StreamCase& c,
                                           double latencySeconds) {
  SCOPED_TRACE(c.input + " " + std::to_string(c.rate));
  Recorder recorder(static_cast<std::size_t>(c.rate) * 40, c.channels);
  const StreamRequest request{DeviceIndex(backend, true, c.input), c.rate, c.channels, c.frames,
                              latencySeconds};
  std::string error;
  auto stream = backend.OpenInput(request, &Recorder::Take, &recorder, error);
  ASSERT_TRUE(stream) << error;
  EXPECT_TRUE(WaitUntil([&] { return EndsInTone(recorder.Recorded(), c.rate, 1200); }));
  stream.reset();
  EXPECT_EQ(recorder.sizes.smallest.load(), std::size_t(c.frames * c.channels));
  EXPECT_EQ(recorder.sizes.largest.load(), std::size_t(c.frames * c.channels));
}

// Every listed name is short and present; indexes outside the list give nothing.
inline std::vector<std::string> CheckDeviceNames(AudioBackend& backend, bool input) {
  const int count = input ? backend.InputDeviceCount() : backend.OutputDeviceCount();
  auto name = [&](int index, std::string& out) {
    return input ? backend.InputDeviceName(index, out) : backend.OutputDeviceName(index, out);
  };
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    std::string n;
    EXPECT_TRUE(name(i, n));
    EXPECT_FALSE(n.empty());
    EXPECT_LE(n.size(), 49u);
    names.push_back(n);
  }
  std::string untouched = "untouched";
  EXPECT_FALSE(name(count, untouched));
  EXPECT_FALSE(name(-1, untouched));
  EXPECT_EQ(untouched, "untouched");
  return names;
}

// An open that fails says why, and gives no stream.
inline void CheckOpenFails(AudioBackend& backend, bool input, const StreamRequest& request,
                           const std::string& reason) {
  SCOPED_TRACE(reason);
  ToneSource tone(8000, 1, 500);
  std::string error;
  auto stream = input ? backend.OpenInput(request, &ToneSource::Fill, &tone, error)
                      : backend.OpenOutput(request, &ToneSource::Fill, &tone, error);
  EXPECT_FALSE(stream);
  EXPECT_NE(error.find(reason), std::string::npos) << error;
}

// A stream goes on after its backend is gone, and calls back no more once closed.
template <typename Backend>
void CheckStreamsOutliveTheBackend(std::unique_ptr<Backend>& backend) {
  ToneSource tone(8000, 1, 500);
  std::string error;
  auto stream = backend->OpenOutput({-1, 8000, 1, 160, 0.1}, &ToneSource::Fill, &tone, error);
  ASSERT_TRUE(stream) << error;
  backend.reset();
  EXPECT_TRUE(WaitUntil([&] { return tone.sizes.calls.load() > 10; }));
  stream.reset();
  const int calls = tone.sizes.calls.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(tone.sizes.calls.load(), calls);
}

}  // namespace backendchecks
