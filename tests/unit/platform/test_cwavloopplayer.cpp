#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audiosignals.h"
#include "fakes/cfakeaudiobackend.h"
#include "fakes/cpulseserver.h"
#include "fakes/ctempdirectory.h"
#include "platform/cportaudiobackend.h"
#include "platform/cwavloopplayer.h"

namespace {

using namespace audiosignals;

constexpr int kFrames = 700;  // not a whole number of callbacks, so the loop wraps mid-callback

// A sawtooth in steps of 256 per channel, so every width down to 8 bits keeps it exactly.
std::vector<int16_t> Pattern(int channels) {
  std::vector<int16_t> samples;
  for (int f = 0; f < kFrames; ++f) {
    for (int c = 0; c < channels; ++c) samples.push_back(static_cast<int16_t>(256 * ((f + 7 * c) % 60 - 30)));
  }
  return samples;
}

// The first two channels of interleaved frames.
std::vector<int16_t> FirstTwo(const std::vector<int16_t>& samples, int channels) {
  if (channels <= 2) return samples;
  std::vector<int16_t> kept;
  for (std::size_t i = 0; i < samples.size(); i += channels)
    kept.insert(kept.end(), {samples[i], samples[i + 1]});
  return kept;
}

class CWavLoopPlayerTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name, int rate, int channels, int format) {
    const std::string path = dir.PathOf(name);
    EXPECT_TRUE(WriteSoundFile(path, rate, channels, format, Pattern(channels)));
    return path;
  }

  CTempDirectory dir;
  CFakeAudioBackend backend;
  CWavLoopPlayer player{backend};
};

TEST_F(CWavLoopPlayerTest, LoopsFilesOfAnyWidthAtTheirOwnRate) {
  struct Case {
    int rate;
    int channels;
    int format;
  };
  const Case cases[] = {
      {11025, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_U8},  {44100, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
      {8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_24},   {22050, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
      {16000, 1, SF_FORMAT_AIFF | SF_FORMAT_PCM_16}, {48000, 4, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
    CFakeAudioBackend fresh;
    CWavLoopPlayer loop(fresh);
    std::string error;
    ASSERT_TRUE(loop.PlayFileLooping(File("sound", c.rate, c.channels, c.format), error)) << error;

    ASSERT_EQ(fresh.Opens().size(), 1u);
    const StreamRequest request = fresh.Opens()[0].request;
    EXPECT_FALSE(fresh.Opens()[0].input);
    EXPECT_EQ(request.device, -1);
    EXPECT_EQ(request.sampleRate, c.rate);
    const int channels = std::min(c.channels, 2);
    EXPECT_EQ(request.channels, channels);

    fresh.Pump(3);  // 1536 frames: the sound twice and a bit
    const std::vector<int16_t> once = FirstTwo(Pattern(c.channels), c.channels);
    std::vector<int16_t> expected;
    while (expected.size() < fresh.Played().size()) expected.insert(expected.end(), once.begin(), once.end());
    expected.resize(fresh.Played().size());
    EXPECT_EQ(fresh.Played(), expected);
  }
}

TEST_F(CWavLoopPlayerTest, AStartWhilePlayingIsIgnored) {
  const std::string first = File("first.wav", 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  const std::string second = File("second.wav", 16000, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  std::string error;
  ASSERT_TRUE(player.PlayFileLooping(first, error)) << error;
  backend.Pump(1);
  EXPECT_TRUE(player.PlayFileLooping(second, error));
  EXPECT_TRUE(player.PlayBuiltInLooping(error));
  backend.Pump(1);
  EXPECT_EQ(backend.Opens().size(), 1u);
  const std::vector<int16_t> played = backend.Played();
  const std::vector<int16_t> pattern = Pattern(1);
  ASSERT_EQ(played.size(), 2u * CWavLoopPlayer::kFramesPerCallback);
  EXPECT_TRUE(std::equal(pattern.begin(), pattern.end(), played.begin())) << "the first sound goes on";
}

TEST_F(CWavLoopPlayerTest, StopSilencesAtOnceAndTheNextStartBeginsAgain) {
  const std::string file = File("ring.wav", 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
  std::string error;
  player.Stop();  // nothing playing: nothing to do
  ASSERT_TRUE(player.PlayFileLooping(file, error)) << error;
  backend.Pump(1);
  player.Stop();
  EXPECT_FALSE(player.Playing());
  EXPECT_EQ(backend.OpenStreams(), 0);
  backend.Pump(5);
  EXPECT_EQ(backend.Played().size(), std::size_t{CWavLoopPlayer::kFramesPerCallback});

  ASSERT_TRUE(player.PlayFileLooping(file, error)) << error;
  backend.Pump(1);
  const std::vector<int16_t> played = backend.Played();
  EXPECT_TRUE(std::equal(played.begin(), played.begin() + CWavLoopPlayer::kFramesPerCallback,
                         played.begin() + CWavLoopPlayer::kFramesPerCallback));
}

TEST_F(CWavLoopPlayerTest, UnreadableFilesPlayNothingAndSayWhy) {
  CTempDirectory::Put(dir.Path() / "text.wav", "not a sound");
  ASSERT_TRUE(WriteSoundFile(dir.Path() / "empty.wav", 8000, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, {}));
  for (const std::string name : {"missing.wav", "text.wav", "empty.wav", ""}) {
    const std::string path = name.empty() ? "" : dir.PathOf(name);
    std::string error;
    EXPECT_FALSE(player.PlayFileLooping(path, error)) << path;
    EXPECT_NE(error.find("\"" + path + "\""), std::string::npos) << error;
  }
  EXPECT_TRUE(backend.Opens().empty());
}

TEST_F(CWavLoopPlayerTest, TheBuiltInSoundIsATwoSecondRingAt11025Hz) {
  std::string error;
  ASSERT_TRUE(player.PlayBuiltInLooping(error)) << error;
  ASSERT_EQ(backend.Opens().size(), 1u);
  EXPECT_EQ(backend.Opens()[0].request.sampleRate, 11025);
  EXPECT_EQ(backend.Opens()[0].request.channels, 1);

  constexpr std::size_t kRingFrames = 21432;
  backend.Pump(2 * kRingFrames / CWavLoopPlayer::kFramesPerCallback + 1);
  const std::vector<int16_t> played = backend.Played();
  ASSERT_GT(played.size(), 2 * kRingFrames);
  EXPECT_TRUE(std::equal(played.begin(), played.begin() + kRingFrames, played.begin() + kRingFrames));
  // Rung in two tones: 400 and 450 Hz hold the sound of the first burst.
  const double share = ToneShare(played, 1103, 2205, 11025, 400) + ToneShare(played, 1103, 2205, 11025, 450);
  EXPECT_GT(share, 0.8);
}

TEST_F(CWavLoopPlayerTest, ADeviceThatCannotOpenIsReportedAndTriedAgainNextTime) {
  backend.openError = "Could not open output audio device \"default\": Device unavailable";
  std::string error;
  EXPECT_FALSE(player.PlayBuiltInLooping(error));
  EXPECT_EQ(error, backend.openError);
  EXPECT_FALSE(player.Playing());

  backend.openError.clear();
  EXPECT_TRUE(player.PlayBuiltInLooping(error));
  EXPECT_EQ(backend.OpenStreams(), 1);
}

TEST_F(CWavLoopPlayerTest, PlaysOnTheChosenDeviceAndStopsWhenDestroyed) {
  backend.outputNames = {"one", "two"};
  {
    CWavLoopPlayer chosen(backend, 1);
    std::string error;
    ASSERT_TRUE(chosen.PlayBuiltInLooping(error)) << error;
    EXPECT_EQ(backend.Opens().back().request.device, 1);
  }
  EXPECT_EQ(backend.OpenStreams(), 0);
}

// The ring through PortAudio into a private PulseAudio server, recorded from the loudspeaker's monitor.
TEST(CWavLoopPlayerSoundServerTest, RingsInALoopUntilStopped) {
  constexpr int kRate = 16000;
  CPulseServer pulse({"t_spk"}, "t_spk.monitor");
  ASSERT_EQ(pulse.Error(), "");
  CPortAudioBackend backend;
  ASSERT_TRUE(backend.Started()) << backend.StartError();
  CWavLoopPlayer player(backend);
  const auto file = pulse.Directory() / "beep.wav";
  ASSERT_TRUE(WriteSoundFile(file, 22050, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_U8, Tone(22050, 1, 1000, 0.3)));

  const auto looped = pulse.Directory() / "looped.raw";
  pulse.Record("t_spk.monitor", kRate, looped);
  std::string error;
  ASSERT_TRUE(player.PlayFileLooping(file.string(), error)) << error;
  EXPECT_TRUE(WaitUntil([&] { return ToneWindows(CPulseServer::Samples(looped), kRate, {1000}) >= 12; }))
      << "a 0.3 s sound heard for 1.2 s";
  player.Stop();
  pulse.StopHelpers();

  const auto after = pulse.Directory() / "after.raw";
  pulse.Record("t_spk.monitor", kRate, after);
  ASSERT_TRUE(WaitUntil([&] { return CPulseServer::Samples(after).size() >= std::size_t{kRate}; }));
  EXPECT_EQ(ToneWindows(CPulseServer::Samples(after), kRate, {1000}), 0);

  ASSERT_TRUE(player.PlayBuiltInLooping(error)) << error;
  EXPECT_TRUE(WaitUntil([&] { return ToneWindows(CPulseServer::Samples(after), kRate, {400, 450}) >= 2; }));
}

}  // namespace
