#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audiosignals.h"
#include "fakes/cpulseserver.h"
#include "platform/cpulseaudiobackend.h"

namespace {

using namespace audiosignals;

constexpr int kMonitorRate = 16000;

// Real streams straight into a private PulseAudio server: "t_spk" is the
// loudspeaker, "t_mic" feeds the microphone through its monitor.
class CPulseAudioBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pulse.Error(), "");
    std::string error;
    backend = CPulseAudioBackend::Connect(error);
    ASSERT_TRUE(backend) << error;
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
  std::unique_ptr<CPulseAudioBackend> backend;
};

struct StreamCase {
  std::string output;  // empty: the default device
  std::string input;
  int rate;
  int channels;
  int frames;
  double hz;
};

const StreamCase kStreamCases[] = {
    {"", "", 8000, 1, 160, 500},                         // GSM and the 8 kHz types
    {"", "", 44100, 2, 640, 1000},                       // 44 kHz stereo, two frames per playback buffer
    {"t_spk", "Monitor of t_mic", 16000, 2, 160, 1500},  // named devices of the enumeration
    {"", "", 22050, 1, 160, 700},
};

TEST_F(CPulseAudioBackendTest, OutputStreamsReachTheLoudspeaker) {
  for (const StreamCase& c : kStreamCases) {
    SCOPED_TRACE(c.output + " " + std::to_string(c.rate));
    const auto recording = pulse.Directory() / "speaker.raw";
    pulse.Record("t_spk.monitor", kMonitorRate, recording);
    ToneSource tone(c.rate, c.channels, c.hz);
    const StreamRequest request{DeviceIndex(false, c.output), c.rate, c.channels, c.frames,
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

TEST_F(CPulseAudioBackendTest, InputStreamsRecordTheMicrophone) {
  const auto toneFile = pulse.Directory() / "tone.wav";
  ASSERT_TRUE(WriteSoundFile(toneFile, 16000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, Tone(16000, 1, 1200, 60)));
  pulse.Play("t_mic", toneFile);
  for (const StreamCase& c : kStreamCases) {
    SCOPED_TRACE(c.input + " " + std::to_string(c.rate));
    Recorder recorder(static_cast<std::size_t>(c.rate) * 40, c.channels);
    const StreamRequest request{DeviceIndex(true, c.input), c.rate, c.channels, c.frames, 0.02};
    std::string error;
    auto stream = backend->OpenInput(request, &Recorder::Take, &recorder, error);
    ASSERT_TRUE(stream) << error;
    EXPECT_TRUE(WaitUntil([&] { return EndsInTone(recorder.Recorded(), c.rate, 1200); }));
    stream.reset();
    EXPECT_EQ(recorder.sizes.smallest.load(), std::size_t(c.frames * c.channels));
    EXPECT_EQ(recorder.sizes.largest.load(), std::size_t(c.frames * c.channels));
  }
}

// The point of talking to the server directly: the queue asked for is the
// delay heard, with no second queue of the server's behind it.
TEST_F(CPulseAudioBackendTest, APlaybackStreamHoldsTheQueueItAsksFor) {
  for (const double queue : {0.16, 0.08}) {
    SCOPED_TRACE(queue);
    ToneSource tone(8000, 1, 500);
    std::string error;
    auto stream = backend->OpenOutput({-1, 8000, 1, 320, queue}, &ToneSource::Fill, &tone, error);
    ASSERT_TRUE(stream) << error;
    EXPECT_TRUE(WaitUntil([&] { return stream->CallbackCount() > 40; }));
    EXPECT_GT(stream->ReportedDelaySeconds(), queue / 2);
    EXPECT_LT(stream->ReportedDelaySeconds(), queue + 0.06);  // one 40 ms buffer and some scheduling
  }
}

TEST_F(CPulseAudioBackendTest, DevicesAreListedWithShortNames) {
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
      EXPECT_LE(n.size(), 49u);
      names.push_back(n);
    }
    const std::vector<std::string> expected =
        input ? std::vector<std::string>{"Monitor of t_spk", "Monitor of t_mic"}
              : std::vector<std::string>{"t_spk", "t_mic"};
    EXPECT_EQ(names, expected);
    std::string untouched = "untouched";
    EXPECT_FALSE(name(count, untouched));
    EXPECT_FALSE(name(-1, untouched));
    EXPECT_EQ(untouched, "untouched");
  }
}

TEST_F(CPulseAudioBackendTest, StreamsThatCannotOpenSayWhy) {
  struct Case {
    bool input;
    int device;
    int channels;
    int rate;
    std::string reason;
  };
  const Case cases[] = {
      {true, 2, 1, 8000, "There is no input audio device 2 (2 found)."},
      {false, 2, 1, 8000, "There is no output audio device 2 (2 found)."},
      {false, -2, 1, 8000, "There is no output audio device -2"},
      {false, -1, 0, 8000, "Could not open output audio device \"default\": invalid stream format"},
      {true, -1, 200, 8000, "Could not open input audio device \"default\": invalid stream format"},
      {false, 0, 1, 0, "Could not open output audio device \"t_spk\": invalid stream format"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reason);
    const StreamRequest request{c.device, c.rate, c.channels, 160, 0.1};
    ToneSource tone(8000, 1, 500);
    std::string error;
    auto stream = c.input ? backend->OpenInput(request, &ToneSource::Fill, &tone, error)
                          : backend->OpenOutput(request, &ToneSource::Fill, &tone, error);
    EXPECT_FALSE(stream);
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST_F(CPulseAudioBackendTest, StreamsOutliveTheBackendAndStopCallingWhenClosed) {
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

TEST(CPulseAudioBackendWithoutServerTest, NoServerMeansNoBackendAndSaysWhy) {
  const char* saved = getenv("PULSE_SERVER");
  const std::string previous = saved ? saved : "";
  setenv("PULSE_SERVER", ("unix:" + ::testing::TempDir() + "ondrel-no-such-server").c_str(), 1);
  std::string error;
  EXPECT_FALSE(CPulseAudioBackend::Connect(error));
  EXPECT_FALSE(error.empty());
  if (saved) {
    setenv("PULSE_SERVER", previous.c_str(), 1);
  } else {
    unsetenv("PULSE_SERVER");
  }
}

}  // namespace
