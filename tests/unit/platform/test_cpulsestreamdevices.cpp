#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <optional>
#include <sstream>
#include <string>

#include "backendchecks.h"
#include "platform/cpulseaudiobackend.h"

namespace {

using namespace backendchecks;

// What pactl prints, talking to the private server this process points at.
std::string Pactl(const std::string& arguments) {
  std::string output;
  if (FILE* pipe = popen(("pactl " + arguments + " 2>&1").c_str(), "r")) {
    char chunk[256];
    while (fgets(chunk, sizeof chunk, pipe)) output += chunk;
    pclose(pipe);
  }
  return output;
}

// The module that made the null sink of that name.
std::string ModuleOf(const std::string& sink) {
  std::istringstream modules(Pactl("list short modules"));
  for (std::string row; std::getline(modules, row);) {
    if (row.find("sink_name=" + sink + " ") != std::string::npos) return row.substr(0, row.find('\t'));
  }
  return {};
}

// A headset that comes and goes ("t_head"), beside the server's default
// loudspeaker ("t_spk") and microphone ("t_mic").
class CPulseStreamDevicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pulse.Error(), "");
    PlugHeadset();
    Pactl("set-default-sink t_spk");
    Pactl("set-default-source t_mic.monitor");
    std::string error;
    backend = CPulseAudioBackend::Connect(error);
    ASSERT_TRUE(backend) << error;
  }

  static void PlugHeadset() {
    Pactl("load-module module-null-sink sink_name=t_head sink_properties=device.description=t_head");
  }
  static void UnplugHeadset() { Pactl("unload-module " + ModuleOf("t_head")); }

  // Whether what is played to the monitor's sink now ends in the tone.
  bool Hears(const std::string& monitor, double hz) {
    pulse.StopHelpers();
    const auto file = pulse.Directory() / (monitor + ".raw");
    std::filesystem::remove(file);
    pulse.Record(monitor, kMonitorRate, file);
    const bool heard = WaitUntil([&] { return EndsInTone(CPulseServer::Samples(file), kMonitorRate, hz); });
    pulse.StopHelpers();
    return heard;
  }

  CPulseServer pulse{{"t_spk", "t_mic"}, "t_mic.monitor"};
  std::unique_ptr<CPulseAudioBackend> backend;
};

TEST_F(CPulseStreamDevicesTest, ALoudspeakerStandsInOnTheDefaultWhileItsDeviceIsAwayAndGoesBack) {
  ToneSource tone(16000, 1, 500);
  std::string error;
  auto stream = backend->OpenOutput({DeviceIndex(*backend, false, "t_head"), 16000, 1, 320, 0.08},
                                    &ToneSource::Fill, &tone, error);
  ASSERT_TRUE(stream) << error;
  EXPECT_TRUE(WaitUntil([&] { return stream->DeviceName() == "t_head"; }));
  EXPECT_TRUE(stream->OnChosenDevice());
  EXPECT_TRUE(Hears("t_head.monitor", 500));

  UnplugHeadset();
  EXPECT_TRUE(WaitUntil([&] { return !stream->OnChosenDevice() && stream->DeviceName() == "t_spk"; }));
  EXPECT_EQ(stream->DeviceLosses(), 1u);
  EXPECT_TRUE(Hears("t_spk.monitor", 500));

  PlugHeadset();
  EXPECT_TRUE(WaitUntil([&] { return stream->OnChosenDevice() && stream->DeviceName() == "t_head"; }));
  EXPECT_TRUE(Hears("t_head.monitor", 500));
  EXPECT_EQ(stream->DeviceLosses(), 1u);
}

TEST_F(CPulseStreamDevicesTest, AMicrophoneStandsInOnTheDefaultWhileItsDeviceIsAwayAndGoesBack) {
  const auto headTone = pulse.Directory() / "head.wav", micTone = pulse.Directory() / "mic.wav";
  ASSERT_TRUE(WriteSoundFile(headTone, 16000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, Tone(16000, 1, 700, 60)));
  ASSERT_TRUE(WriteSoundFile(micTone, 16000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, Tone(16000, 1, 1200, 60)));
  pulse.Play("t_head", headTone);
  pulse.Play("t_mic", micTone);
  Recorder recorder(16000 * 60, 1);
  std::string error;
  auto stream = backend->OpenInput({DeviceIndex(*backend, true, "Monitor of t_head"), 16000, 1, 320, 0.04},
                                   &Recorder::Take, &recorder, error);
  ASSERT_TRUE(stream) << error;
  EXPECT_TRUE(WaitUntil([&] { return EndsInTone(recorder.Recorded(), 16000, 700); }));

  UnplugHeadset();
  EXPECT_TRUE(WaitUntil([&] { return EndsInTone(recorder.Recorded(), 16000, 1200); }));
  EXPECT_FALSE(stream->OnChosenDevice());
  EXPECT_EQ(stream->DeviceName(), "Monitor of t_mic");

  PlugHeadset();
  pulse.Play("t_head", headTone);
  EXPECT_TRUE(WaitUntil([&] { return EndsInTone(recorder.Recorded(), 16000, 700); }));
  EXPECT_TRUE(stream->OnChosenDevice());
  EXPECT_EQ(stream->DeviceLosses(), 1u);
}

// Left with no device at all, the server ends the stream; it opens again
// as soon as there is somewhere to run.
TEST_F(CPulseStreamDevicesTest, AStreamLeftWithNoDeviceOpensAgainWhenOneComes) {
  ToneSource tone(8000, 1, 500);
  std::string error;
  auto stream = backend->OpenOutput({DeviceIndex(*backend, false, "t_head"), 8000, 1, 160, 0.08},
                                    &ToneSource::Fill, &tone, error);
  ASSERT_TRUE(stream) << error;
  EXPECT_TRUE(WaitUntil([&] { return stream->DeviceName() == "t_head"; }));

  UnplugHeadset();
  Pactl("unload-module " + ModuleOf("t_spk"));
  Pactl("unload-module " + ModuleOf("t_mic"));
  EXPECT_TRUE(WaitUntil([&] { return stream->DeviceLosses() == 1 && stream->DeviceName().empty(); }));
  PlugHeadset();
  EXPECT_TRUE(WaitUntil([&] { return stream->OnChosenDevice() && stream->DeviceName() == "t_head"; }));
  EXPECT_TRUE(Hears("t_head.monitor", 500));
}

// With the system's device chosen, the stream goes where the server's
// default goes, and never counts that as a loss.
TEST_F(CPulseStreamDevicesTest, TheSystemsDeviceFollowsTheServersDefault) {
  const char* routed = getenv("PULSE_SINK");
  const std::optional<std::string> saved = routed ? std::optional<std::string>(routed) : std::nullopt;
  unsetenv("PULSE_SINK");
  ToneSource tone(8000, 1, 500);
  std::string error;
  auto stream = backend->OpenOutput({-1, 8000, 1, 160, 0.08}, &ToneSource::Fill, &tone, error);
  if (saved) setenv("PULSE_SINK", saved->c_str(), 1);
  ASSERT_TRUE(stream) << error;
  EXPECT_TRUE(WaitUntil([&] { return stream->DeviceName() == "t_spk"; }));

  Pactl("set-default-sink t_head");
  EXPECT_TRUE(WaitUntil([&] { return stream->DeviceName() == "t_head"; }));
  EXPECT_TRUE(Hears("t_head.monitor", 500));
  Pactl("set-default-sink t_mic");
  EXPECT_TRUE(WaitUntil([&] { return stream->DeviceName() == "t_mic"; }));
  EXPECT_TRUE(stream->OnChosenDevice());
  EXPECT_EQ(stream->DeviceLosses(), 0u);
}

}  // namespace
