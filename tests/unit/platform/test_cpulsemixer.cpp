#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "audio/cmixermc.h"
#include "audio/cmixerpair.h"
#include "audio/cmixersp.h"
#include "audiosignals.h"
#include "fakes/cfakewindowport.h"
#include "fakes/cmemorykeystore.h"
#include "fakes/cmixerreports.h"
#include "fakes/cpulseserver.h"
#include "platform/cpulseaudiobackend.h"
#include "platform/cpulsemixer.h"
#include "settings/cparams.h"

namespace {

using audiosignals::WaitUntil;

// "pactl <arguments>" against the private server; nothing when it fails.
std::optional<std::string> Pactl(const std::string& arguments) {
  FILE* pipe = ::popen(("pactl " + arguments + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string text;
  std::array<char, 256> chunk{};
  while (std::fgets(chunk.data(), chunk.size(), pipe) != nullptr) text += chunk.data();
  if (::pclose(pipe) != 0) return std::nullopt;
  return text;
}

// Every channel's volume of a sink or source ("sink t_spk"), as the server holds it.
std::vector<long> Volumes(const std::string& device) {
  const auto space = device.find(' ');
  const auto text = Pactl("get-" + device.substr(0, space) + "-volume" + device.substr(space));
  std::vector<long> volumes;
  if (!text) return volumes;
  static const std::regex channel(R"([a-z-]+: (\d+) /)");
  for (auto it = std::sregex_iterator(text->begin(), text->end(), channel); it != std::sregex_iterator();
       ++it)
    volumes.push_back(std::stol((*it)[1]));
  return volumes;
}

std::optional<bool> Muted(const std::string& device) {
  const auto space = device.find(' ');
  const auto text = Pactl("get-" + device.substr(0, space) + "-mute" + device.substr(space));
  if (!text) return std::nullopt;
  return text->find("yes") != std::string::npos;
}

bool Set(const std::string& what, const std::string& device, const std::string& value) {
  const auto space = device.find(' ');
  return Pactl("set-" + device.substr(0, space) + "-" + what + device.substr(space) + " " + value)
      .has_value();
}

// Mixers on the sinks and sources of a private PulseAudio server: output
// devices t_spk (the default) and t_mic, input devices their monitors, the
// monitor of t_mic the default.
class CPulseMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pulse->Error(), "");
    std::string error;
    backend = CPulseAudioBackend::Connect(error);
    ASSERT_TRUE(backend) << error;
  }

  std::unique_ptr<CPulseServer> pulse =
      std::make_unique<CPulseServer>(std::vector<std::string>{"t_spk", "t_mic"}, "t_mic.monitor");
  std::unique_ptr<CPulseAudioBackend> backend;
};

struct OpenCase {
  MixerSide side;
  int device;
  const char* id;  // empty: Open fails
  const char* line;
};

TEST_F(CPulseMixerTest, OpensTheDefaultOrTheNumberedDeviceAsOneLine) {
  constexpr auto kPlayback = MixerSide::Playback;
  constexpr auto kCapture = MixerSide::Capture;
  const OpenCase cases[] = {
      {kPlayback, -1, "t_spk", "t_spk"},
      {kPlayback, 0, "t_spk", "t_spk"},
      {kPlayback, 1, "t_mic", "t_mic"},
      {kCapture, -1, "t_mic.monitor", "Monitor of t_mic"},
      {kCapture, 0, "t_spk.monitor", "Monitor of t_spk"},
      {kCapture, 1, "t_mic.monitor", "Monitor of t_mic"},
      {kPlayback, 2, "", ""},
      {kCapture, 2, "", ""},
      {kPlayback, -2, "", ""},
  };
  std::vector<std::pair<std::string, MixerControlId>> controls;
  for (const OpenCase& c : cases) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.side)) + " " + std::to_string(c.device));
    CPulseMixer mixer(*backend);
    if (std::string(c.id).empty()) {
      EXPECT_FALSE(mixer.Open(c.side, c.device));
      EXPECT_FALSE(mixer.PlaybackVolume());
      EXPECT_TRUE(mixer.PlaybackLines().empty());
      EXPECT_TRUE(mixer.CaptureLines().empty());
      continue;
    }
    ASSERT_TRUE(mixer.Open(c.side, c.device));
    EXPECT_EQ(mixer.DeviceId(), c.id);
    const bool playback = c.side == kPlayback;
    const std::vector<MixerLine> lines = playback ? mixer.PlaybackLines() : mixer.CaptureLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].name, c.line);
    EXPECT_EQ(lines[0].type, playback ? MixerLineType::WaveOut : MixerLineType::Microphone);
    ASSERT_TRUE(lines[0].volume);
    const MixerControlId control = *lines[0].volume;
    // The other side's lines are not this mixer's.
    if (playback) {
      EXPECT_EQ(mixer.PlaybackVolume(), control);
      EXPECT_TRUE(mixer.SelectorLines().empty());
      EXPECT_TRUE(mixer.CaptureLines().empty());
    } else {
      EXPECT_FALSE(mixer.PlaybackVolume());
      EXPECT_TRUE(mixer.PlaybackLines().empty());
      const std::vector<MixerLine> selector = mixer.SelectorLines();
      ASSERT_EQ(selector.size(), 1u);
      EXPECT_EQ(selector[0].volume, control);
      EXPECT_EQ(selector[0].type, MixerLineType::Microphone);
    }
    int64_t min = -1;
    int64_t max = -1;
    ASSERT_TRUE(mixer.VolumeRange(control, min, max));
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 65536);
    EXPECT_FALSE(mixer.VolumeRange(control + 1, min, max));
    controls.emplace_back(c.id, control);
  }
  // One device, one control, however it was opened; another device, another control.
  for (const auto& [id, control] : controls) {
    for (const auto& [otherId, otherControl] : controls) EXPECT_EQ(id == otherId, control == otherControl);
  }

  // Without PULSE_SINK, the default is the server's (the fixture puts PULSE_SINK back).
  ASSERT_EQ(::unsetenv("PULSE_SINK"), 0);
  ASSERT_TRUE(Pactl("set-default-sink t_mic"));
  CPulseMixer mixer(*backend);
  ASSERT_TRUE(mixer.Open(MixerSide::Playback, -1));
  EXPECT_EQ(mixer.DeviceId(), "t_mic");
}

struct DeviceCase {
  MixerSide side;
  int device;
  const char* pactl;  // the device as pactl names it, "sink t_mic"
};

const DeviceCase kDevices[] = {
    {MixerSide::Playback, 1, "sink t_mic"},
    {MixerSide::Capture, 0, "source t_spk.monitor"},
};

TEST_F(CPulseMixerTest, VolumeAndMuteAreTheDevicesOwnBothWays) {
  for (const DeviceCase& c : kDevices) {
    SCOPED_TRACE(c.pactl);
    CPulseMixer mixer(*backend);
    ASSERT_TRUE(mixer.Open(c.side, c.device));
    const MixerControlId control =
        *(c.side == MixerSide::Playback ? mixer.PlaybackLines() : mixer.CaptureLines()).at(0).volume;
    int64_t value = -1;

    ASSERT_TRUE(mixer.WriteVolume(control, 19661));
    EXPECT_EQ(Volumes(c.pactl), (std::vector<long>{19661, 19661}));
    ASSERT_TRUE(Set("volume", c.pactl, "12345"));
    ASSERT_TRUE(mixer.ReadVolume(control, value));
    EXPECT_EQ(value, 12345);

    // A balance reads as its average and survives having that written back
    // (as binding a slider does); another value levels it.
    ASSERT_TRUE(Set("volume", c.pactl, "20000 40000"));
    ASSERT_TRUE(mixer.ReadVolume(control, value));
    EXPECT_EQ(value, 30000);
    ASSERT_TRUE(mixer.WriteVolume(control, value));
    EXPECT_EQ(Volumes(c.pactl), (std::vector<long>{20000, 40000}));
    ASSERT_TRUE(mixer.WriteVolume(control, 50000));
    EXPECT_EQ(Volumes(c.pactl), (std::vector<long>{50000, 50000}));

    // Above 100% reads as the top of the range, and writing the top keeps it.
    ASSERT_TRUE(Set("volume", c.pactl, "90000"));
    ASSERT_TRUE(mixer.ReadVolume(control, value));
    EXPECT_EQ(value, 65536);
    ASSERT_TRUE(mixer.WriteVolume(control, 65536));
    EXPECT_EQ(Volumes(c.pactl), (std::vector<long>{90000, 90000}));

    bool muted = false;
    ASSERT_TRUE(mixer.WriteMute(control, true));
    EXPECT_EQ(Muted(c.pactl), true);
    ASSERT_TRUE(mixer.ReadMute(control, muted));
    EXPECT_TRUE(muted);
    ASSERT_TRUE(Set("mute", c.pactl, "0"));
    ASSERT_TRUE(mixer.ReadMute(control, muted));
    EXPECT_FALSE(muted);

    // Only the mixer's own control answers.
    EXPECT_FALSE(mixer.ReadVolume(control + 1, value));
    EXPECT_FALSE(mixer.WriteVolume(control + 1, 1000));
    EXPECT_FALSE(mixer.WriteMute(control + 1, true));
    EXPECT_EQ(Muted(c.pactl), false);
  }
}

// The sliders as the program binds them, on the devices "deviceSp" and "deviceMc" choose.
TEST_F(CPulseMixerTest, SlidersActOnTheChosenSinkAndSourceAlone) {
  CMemoryKeyStore store;
  CParams params{store};
  CFakeWindowPort window;
  params.SetInt("deviceSp", 2);  // t_mic
  params.SetInt("deviceMc", 1);  // the monitor of t_spk
  params.SetInt("audioSource", 0);
  ASSERT_TRUE(Set("mute", "sink t_mic", "1"));

  CMixerSp speaker(params, window, std::make_unique<CPulseMixer>(*backend));
  speaker.BindSpeaker();
  ASSERT_TRUE(speaker.SlotValid(CMixer::kDestinationSlot));
  ASSERT_TRUE(speaker.SlotValid(CMixer::kSpeakerSlot));
  EXPECT_EQ(Muted("sink t_mic"), false);
  EXPECT_EQ(speaker.GetVolume(), 65535u);
  speaker.SetVolume(32768);
  EXPECT_EQ(Volumes("sink t_mic"), (std::vector<long>{32769, 32769}));

  // The sink's volume changed from elsewhere reaches the window as a
  // control change, and the slider follows it.
  ASSERT_TRUE(Set("volume", "sink t_mic", "25%"));
  const auto change = [&]() -> std::optional<int64_t> {
    for (const auto& m : window.Messages())
      if (m.code == Number(WindowMessage::kMixerControlChange)) return m.wParam;
    return std::nullopt;
  };
  ASSERT_TRUE(WaitUntil([&] { return change().has_value(); }));
  const auto moves = CMixerPair(&speaker, nullptr).Changed(*change(), 32768, 0);
  ASSERT_TRUE(moves.speaker);
  EXPECT_NEAR(static_cast<double>(*moves.speaker), 0.25 * 65536, 1);

  CMixerMc microphone(params, window, std::make_unique<CPulseMixer>(*backend));
  microphone.BindMicrophone();
  ASSERT_TRUE(microphone.SlotValid(CMixer::kRecordingSlot));
  microphone.SetVolume(16384);
  EXPECT_EQ(Volumes("source t_spk.monitor"), (std::vector<long>{16384, 16384}));
  EXPECT_EQ(microphone.GetVolume(), 16384u);

  EXPECT_EQ(Volumes("sink t_spk"), (std::vector<long>{65536, 65536}));
  EXPECT_EQ(Volumes("source t_mic.monitor"), (std::vector<long>{65536, 65536}));

  // A line input has no stand-in among the server's sources.
  params.SetInt("audioSource", 1);
  microphone.BindMicrophone();
  EXPECT_FALSE(microphone.SlotValid(CMixer::kRecordingSlot));
}

TEST_F(CPulseMixerTest, ChangesFromElsewhereReportTheControlUntilClosed) {
  CMixerReports closed, open, capture, neighbour;
  CPulseMixer closing(*backend), staying(*backend), source(*backend), other(*backend);
  closing.SetChangeCallback(closed.Callback());
  staying.SetChangeCallback(open.Callback());
  source.SetChangeCallback(capture.Callback());
  other.SetChangeCallback(neighbour.Callback());
  ASSERT_TRUE(closing.Open(MixerSide::Playback, -1));
  ASSERT_TRUE(staying.Open(MixerSide::Playback, 0));
  ASSERT_TRUE(source.Open(MixerSide::Capture, 1));
  ASSERT_TRUE(other.Open(MixerSide::Playback, 1));
  const MixerControlId sink = *staying.PlaybackVolume();
  const MixerControlId microphone = *source.CaptureLines().at(0).volume;

  // Another sink's change is that sink's mixer's alone.
  ASSERT_TRUE(Set("volume", "sink t_mic", "40%"));
  EXPECT_TRUE(WaitUntil([&] { return neighbour.Count(MixerChange::Control, *other.PlaybackVolume()) > 0; }));
  EXPECT_EQ(open.Count(), 0u);
  EXPECT_EQ(closed.Count(), 0u);

  ASSERT_TRUE(Set("volume", "sink t_spk", "30%"));
  EXPECT_TRUE(WaitUntil([&] { return closed.Count(MixerChange::Control, sink) > 0; }));
  EXPECT_TRUE(WaitUntil([&] { return open.Count(MixerChange::Control, sink) > 0; }));
  int64_t value = 0;
  ASSERT_TRUE(staying.ReadVolume(sink, value));
  EXPECT_EQ(Volumes("sink t_spk").at(0), value);
  EXPECT_NEAR(static_cast<double>(value), 0.3 * 65536, 1);

  ASSERT_TRUE(Set("mute", "source t_mic.monitor", "1"));
  EXPECT_TRUE(WaitUntil([&] { return capture.Count(MixerChange::Control, microphone) > 0; }));
  EXPECT_EQ(capture.Count(), capture.Count(MixerChange::Control, microphone))
      << "a sink's change reached the source's mixer";

  closing.Close();
  closing.Close();
  const std::size_t before = closed.Count();
  const std::size_t heard = open.Count(MixerChange::Control, sink);
  ASSERT_TRUE(Set("volume", "sink t_spk", "1000"));
  // By the time the open mixer has heard of the change, the closed one would have too.
  EXPECT_TRUE(WaitUntil([&] { return open.Count(MixerChange::Control, sink) > heard; }));
  EXPECT_EQ(closed.Count(), before);
  EXPECT_FALSE(closing.ReadVolume(sink, value));
  EXPECT_FALSE(closing.PlaybackVolume());
  EXPECT_EQ(closing.DeviceId(), "");
}

// As when a card's profile changes: the sink is removed and made anew under its name.
TEST_F(CPulseMixerTest, ADeviceThatGoesAndComesBackIsTheSameControlAgain) {
  CMixerReports reports;
  CPulseMixer mixer(*backend);
  mixer.SetChangeCallback(reports.Callback());
  ASSERT_TRUE(mixer.Open(MixerSide::Playback, 1));
  const MixerControlId control = *mixer.PlaybackVolume();
  const auto modules = Pactl("list short modules");
  ASSERT_TRUE(modules);
  std::smatch module;
  ASSERT_TRUE(
      std::regex_search(*modules, module, std::regex(R"((\d+)\tmodule-null-sink\tsink_name=t_mic )")));

  ASSERT_TRUE(Pactl("unload-module " + module[1].str()));
  EXPECT_TRUE(WaitUntil([&] { return reports.Count(MixerChange::Line, control) == 1; }));
  int64_t value = 0;
  EXPECT_FALSE(mixer.ReadVolume(control, value));
  EXPECT_FALSE(mixer.WriteVolume(control, 1000));

  ASSERT_TRUE(Pactl("load-module module-null-sink sink_name=t_mic sink_properties=device.description=t_mic"));
  EXPECT_TRUE(WaitUntil([&] { return reports.Count(MixerChange::Line, control) == 2; }));
  ASSERT_TRUE(Set("volume", "sink t_mic", "16384"));
  EXPECT_TRUE(WaitUntil([&] { return reports.Count(MixerChange::Control, control) > 0; }));
  ASSERT_TRUE(mixer.ReadVolume(control, value));
  EXPECT_EQ(value, 16384);
}

TEST_F(CPulseMixerTest, AServerThatHasGoneAnswersFalse) {
  CMixerReports reports;
  CPulseMixer mixer(*backend);
  mixer.SetChangeCallback(reports.Callback());
  ASSERT_TRUE(mixer.Open(MixerSide::Playback, -1));
  const MixerControlId control = *mixer.PlaybackVolume();
  pulse.reset();

  int64_t value = 0;
  bool muted = false;
  EXPECT_FALSE(mixer.ReadVolume(control, value));
  EXPECT_FALSE(mixer.WriteVolume(control, 1000));
  EXPECT_FALSE(mixer.ReadMute(control, muted));
  EXPECT_FALSE(mixer.WriteMute(control, true));
  mixer.Close();
  EXPECT_FALSE(mixer.ReadVolume(control, value));
}

// The mixer's neighbour on the same server: a call's streams say they are one.
TEST_F(CPulseMixerTest, CallStreamsPlayInThePhoneRole) {
  audiosignals::ToneSource tone(8000, 1, 500);
  audiosignals::Recorder recorder(8000, 1);
  std::string error;
  auto output = backend->OpenOutput({-1, 8000, 1, 160, 0.1}, &audiosignals::ToneSource::Fill, &tone, error);
  ASSERT_TRUE(output) << error;
  auto input = backend->OpenInput({-1, 8000, 1, 160, 0.1}, &audiosignals::Recorder::Take, &recorder, error);
  ASSERT_TRUE(input) << error;
  for (const char* streams : {"sink-inputs", "source-outputs"}) {
    const auto text = Pactl(std::string("list ") + streams);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("media.role = \"phone\""), std::string::npos) << *text;
  }
}

}  // namespace
