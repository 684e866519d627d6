#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "backendchecks.h"
#include "platform/cpulseaudiobackend.h"

namespace {

using namespace backendchecks;

// Real streams straight into a private PulseAudio server.
class CPulseAudioBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pulse.Error(), "");
    std::string error;
    backend = CPulseAudioBackend::Connect(error);
    ASSERT_TRUE(backend) << error;
  }

  CPulseServer pulse{{"t_spk", "t_mic"}, "t_mic.monitor"};
  std::unique_ptr<CPulseAudioBackend> backend;
};

const StreamCase kStreamCases[] = {
    {"", "", 8000, 1, 160, 500},                         // GSM and the 8 kHz types
    {"", "", 44100, 2, 640, 1000},                       // 44 kHz stereo, two frames per playback buffer
    {"t_spk", "Monitor of t_mic", 16000, 2, 160, 1500},  // named devices of the enumeration
    {"", "", 22050, 1, 160, 700},
};

TEST_F(CPulseAudioBackendTest, OutputStreamsReachTheLoudspeaker) {
  for (const StreamCase& c : kStreamCases) CheckOutputReachesTheLoudspeaker(*backend, pulse, c);
}

TEST_F(CPulseAudioBackendTest, InputStreamsRecordTheMicrophone) {
  PlayMicrophoneTone(pulse);
  for (const StreamCase& c : kStreamCases) CheckInputRecordsTheMicrophone(*backend, c, 0.02);
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

// A microphone whose first callback holds its thread up, as a server busy
// with the call's new streams holds back the first capture: the time it
// keeps it waiting, it notes when each callback came.
struct HeldUpMicrophone {
  static void Take(int16_t*, std::size_t, void* user) {
    auto& self = *static_cast<HeldUpMicrophone*>(user);
    const int n = self.calls.load();
    if (n == 0) std::this_thread::sleep_for(kHeldUp);
    if (n < static_cast<int>(self.times.size())) self.times[static_cast<std::size_t>(n)] = Now();
    self.calls.store(n + 1);
  }
  static double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }
  static constexpr std::chrono::milliseconds kHeldUp{600};
  std::array<double, 400> times{};
  std::atomic<int> calls{0};
};

// What waited meanwhile is a backlog: sent on, the peer would hear the whole
// call that much later. The 20 ms callbacks go on at their pace from fresh
// sound instead, with at most a few frames of what waited.
TEST_F(CPulseAudioBackendTest, ACaptureStreamHeldUpGoesOnWithFreshSoundNotTheBacklog) {
  PlayMicrophoneTone(pulse);
  HeldUpMicrophone mic;
  std::string error;
  auto stream = backend->OpenInput({-1, 8000, 1, 160, 0.02}, &HeldUpMicrophone::Take, &mic, error);
  ASSERT_TRUE(stream) << error;
  ASSERT_TRUE(WaitUntil([&] { return mic.calls.load() > 60; }));
  stream.reset();
  // From the first callback after the hold-up: a tenth of a second of them.
  const double resumed = mic.times[0];
  int within = 0;
  for (int i = 1; i < mic.calls.load(); ++i) within += mic.times[static_cast<std::size_t>(i)] < resumed + 0.1;
  // About 9: five at the pace, four of the 80 ms a capture may wait; 35 with the backlog.
  EXPECT_LE(within, 15) << "the 600 ms held up came as a burst";
}

TEST_F(CPulseAudioBackendTest, DevicesAreTheServersSinksAndSourcesByDescription) {
  EXPECT_EQ(CheckDeviceNames(*backend, false), (std::vector<std::string>{"t_spk", "t_mic"}));
  EXPECT_EQ(CheckDeviceNames(*backend, true),
            (std::vector<std::string>{"Monitor of t_spk", "Monitor of t_mic"}));
}

TEST_F(CPulseAudioBackendTest, StreamsThatCannotOpenSayWhy) {
  CheckOpenFails(*backend, true, {2, 8000, 1, 160, 0.1}, "There is no input audio device 2 (2 found).");
  CheckOpenFails(*backend, false, {2, 8000, 1, 160, 0.1}, "There is no output audio device 2 (2 found).");
  CheckOpenFails(*backend, false, {-2, 8000, 1, 160, 0.1}, "There is no output audio device -2");
  CheckOpenFails(*backend, false, {-1, 8000, 0, 160, 0.1},
                 "Could not open output audio device \"default\": invalid stream format");
  CheckOpenFails(*backend, true, {-1, 8000, 200, 160, 0.1},
                 "Could not open input audio device \"default\": invalid stream format");
  CheckOpenFails(*backend, false, {0, 0, 1, 160, 0.1},
                 "Could not open output audio device \"t_spk\": invalid stream format");
}

TEST_F(CPulseAudioBackendTest, StreamsOutliveTheBackendAndStopCallingWhenClosed) {
  CheckStreamsOutliveTheBackend(backend);
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
