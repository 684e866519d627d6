#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audiosignals.h"
#include "fakes/cpulseserver.h"
#include "platform/cportaudiobackend.h"

namespace {

using namespace audiosignals;

constexpr int kMonitorRate = 16000;

// Real streams through PortAudio's ALSA devices into a private PulseAudio
// server: "t_spk" is the loudspeaker, "t_mic" feeds the microphone through
// its monitor.
class CPortAudioBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pulse.Error(), "");
    backend = std::make_unique<CPortAudioBackend>();
    ASSERT_TRUE(backend->Started()) << backend->StartError();
  }

  // -1 for the default device, else the index of the named one.
  int DeviceIndex(bool input, const std::string& name) {
    if (name.empty()) return -1;
    const int count = input ? backend->InputDeviceCount() : backend->OutputDeviceCount();
    for (int i = 0; i < count; ++i) {
      std::string found;
      if ((input ? backend->InputDeviceName(i, found) : backend->OutputDeviceName(i, found)) && found == name)
        return i;
    }
    ADD_FAILURE() << "no device " << name;
    return -1;
  }

  CPulseServer pulse{{"t_spk", "t_mic"}, "t_mic.monitor"};
  std::unique_ptr<CPortAudioBackend> backend;
};

struct StreamCase {
  std::string device;  // empty: the default device
  int rate;
  int channels;
  int frames;
  double hz;
};

const StreamCase kStreamCases[] = {
    {"", 8000, 1, 160, 500},         // GSM and the 8 kHz types
    {"", 44100, 2, 640, 1000},       // 44 kHz stereo, two frames per playback buffer
    {"pulse", 16000, 2, 160, 1500},  // a named device of the enumeration
    {"default", 22050, 1, 160, 700},
};

TEST_F(CPortAudioBackendTest, OutputStreamsReachTheLoudspeaker) {
  for (const StreamCase& c : kStreamCases) {
    SCOPED_TRACE(c.device + " " + std::to_string(c.rate));
    const auto recording = pulse.Directory() / "speaker.raw";
    pulse.Record("t_spk.monitor", kMonitorRate, recording);
    ToneSource tone(c.rate, c.channels, c.hz);
    const StreamRequest request{DeviceIndex(false, c.device), c.rate, c.channels, c.frames,
                                8.0 * c.frames / c.rate};
    std::string error;
    auto stream = backend->OpenOutput(request, &ToneSource::Fill, &tone, error);
    ASSERT_TRUE(stream) << error;
    EXPECT_TRUE(WaitUntil([&] { return EndsInTone(CPulseServer::Samples(recording), kMonitorRate, c.hz); }));
    stream.reset();
    EXPECT_EQ(tone.sizes.smallest.load(), std::size_t(c.frames * c.channels));
    EXPECT_EQ(tone.sizes.largest.load(), std::size_t(c.frames * c.channels));
    pulse.StopHelpers();
  }
}

TEST_F(CPortAudioBackendTest, InputStreamsRecordTheMicrophone) {
  const auto toneFile = pulse.Directory() / "tone.wav";
  ASSERT_TRUE(WriteSoundFile(toneFile, 16000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, Tone(16000, 1, 1200, 60)));
  pulse.Play("t_mic", toneFile);
  for (const StreamCase& c : kStreamCases) {
    SCOPED_TRACE(c.device + " " + std::to_string(c.rate));
    Recorder recorder(static_cast<std::size_t>(c.rate) * 40, c.channels);
    const StreamRequest request{DeviceIndex(true, c.device), c.rate, c.channels, c.frames, 0.1};
    std::string error;
    auto stream = backend->OpenInput(request, &Recorder::Take, &recorder, error);
    ASSERT_TRUE(stream) << error;
    EXPECT_TRUE(WaitUntil([&] { return EndsInTone(recorder.Recorded(), c.rate, 1200); }));
    stream.reset();
    EXPECT_EQ(recorder.sizes.smallest.load(), std::size_t(c.frames * c.channels));
    EXPECT_EQ(recorder.sizes.largest.load(), std::size_t(c.frames * c.channels));
  }
}

TEST_F(CPortAudioBackendTest, DevicesAreListedWithShortNames) {
  for (const bool input : {true, false}) {
    SCOPED_TRACE(input ? "input" : "output");
    const int count = input ? backend->InputDeviceCount() : backend->OutputDeviceCount();
    auto name = [&](int index, std::string& out) {
      return input ? backend->InputDeviceName(index, out) : backend->OutputDeviceName(index, out);
    };
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
      std::string n;
      ASSERT_TRUE(name(i, n));
      EXPECT_FALSE(n.empty());
      EXPECT_LE(n.size(), 49u);
      names.push_back(n);
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "pulse"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "default"), names.end());
    std::string untouched = "untouched";
    EXPECT_FALSE(name(count, untouched));
    EXPECT_FALSE(name(-1, untouched));
    EXPECT_EQ(untouched, "untouched");
  }
}

TEST_F(CPortAudioBackendTest, StreamsThatCannotOpenSayWhy) {
  struct Case {
    bool input;
    int device;  // kPastTheEnd: the device count
    int channels;
    std::string reason;
  };
  constexpr int kPastTheEnd = 1000;
  const Case cases[] = {
      {true, kPastTheEnd, 1, "There is no input audio device"},
      {false, kPastTheEnd, 1, "There is no output audio device"},
      {false, -2, 1, "There is no output audio device -2"},
      {false, -1, 0, "Could not open output audio device \"default\": invalid stream format"},
      {true, -1, 200, "Could not open input audio device \"default\": Invalid number of channels"},
  };
  for (const Case& c : cases) {
    StreamRequest request{c.device, 8000, c.channels, 160, 0.1};
    if (c.device == kPastTheEnd)
      request.device = c.input ? backend->InputDeviceCount() : backend->OutputDeviceCount();
    ToneSource tone(8000, 1, 500);
    std::string error;
    auto stream = c.input ? backend->OpenInput(request, &ToneSource::Fill, &tone, error)
                          : backend->OpenOutput(request, &ToneSource::Fill, &tone, error);
    EXPECT_FALSE(stream);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST_F(CPortAudioBackendTest, StreamsMayOutliveTheBackend) {
  ToneSource tone(8000, 1, 500);
  std::string error;
  auto stream = backend->OpenOutput({-1, 8000, 1, 160, 0.1}, &ToneSource::Fill, &tone, error);
  ASSERT_TRUE(stream) << error;
  backend.reset();
  EXPECT_TRUE(WaitUntil([&] { return tone.sizes.calls.load() > 10; }));
  stream.reset();
}

}  // namespace
