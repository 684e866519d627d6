#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "backendchecks.h"
#include "platform/cportaudiobackend.h"

namespace {

using namespace backendchecks;

// Real streams through PortAudio's ALSA devices into a private PulseAudio server.
class CPortAudioBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pulse.Error(), "");
    backend = std::make_unique<CPortAudioBackend>();
    ASSERT_TRUE(backend->Started()) << backend->StartError();
  }

  CPulseServer pulse{{"t_spk", "t_mic"}, "t_mic.monitor"};
  std::unique_ptr<CPortAudioBackend> backend;
};

const StreamCase kStreamCases[] = {
    {"", "", 8000, 1, 160, 500},              // GSM and the 8 kHz types
    {"", "", 44100, 2, 640, 1000},            // 44 kHz stereo, two frames per playback buffer
    {"pulse", "pulse", 16000, 2, 160, 1500},  // a named device of the enumeration
    {"default", "default", 22050, 1, 160, 700},
};

TEST_F(CPortAudioBackendTest, OutputStreamsReachTheLoudspeaker) {
  for (const StreamCase& c : kStreamCases) CheckOutputReachesTheLoudspeaker(*backend, pulse, c);
}

TEST_F(CPortAudioBackendTest, InputStreamsRecordTheMicrophone) {
  PlayMicrophoneTone(pulse);
  for (const StreamCase& c : kStreamCases) CheckInputRecordsTheMicrophone(*backend, c, 0.1);
}

TEST_F(CPortAudioBackendTest, DevicesAreListedWithShortNames) {
  for (const bool input : {true, false}) {
    SCOPED_TRACE(input ? "input" : "output");
    const std::vector<std::string> names = CheckDeviceNames(*backend, input);
    EXPECT_NE(std::find(names.begin(), names.end(), "pulse"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "default"), names.end());
  }
}

TEST_F(CPortAudioBackendTest, StreamsThatCannotOpenSayWhy) {
  const int inputs = backend->InputDeviceCount();
  const int outputs = backend->OutputDeviceCount();
  CheckOpenFails(*backend, true, {inputs, 8000, 1, 160, 0.1}, "There is no input audio device");
  CheckOpenFails(*backend, false, {outputs, 8000, 1, 160, 0.1}, "There is no output audio device");
  CheckOpenFails(*backend, false, {-2, 8000, 1, 160, 0.1}, "There is no output audio device -2");
  CheckOpenFails(*backend, false, {-1, 8000, 0, 160, 0.1},
                 "Could not open output audio device \"default\": invalid stream format");
  CheckOpenFails(*backend, true, {-1, 8000, 200, 160, 0.1},
                 "Could not open input audio device \"default\": Invalid number of channels");
}

TEST_F(CPortAudioBackendTest, StreamsMayOutliveTheBackend) {
  CheckStreamsOutliveTheBackend(backend);
}

}  // namespace
