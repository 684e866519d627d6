#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/cmixermc.h"
#include "audio/cmixerpair.h"
#include "audio/cmixersp.h"
#include "fakes/cfakewindowport.h"
#include "fakes/cmemorykeystore.h"
#include "fakes/cmixerreports.h"
#include "fakes/cpulsemixerserver.h"
#include "platform/calsamixer.h"
#include "settings/cparams.h"

namespace {

struct TypeCase {
  const char* name;
  MixerLineType playback;
  MixerLineType capture;
};

TEST(AlsaMixerNames, ElementNamesTellWhatALineCarries) {
  constexpr auto kWave = MixerLineType::WaveOut;
  constexpr auto kMic = MixerLineType::Microphone;
  constexpr auto kLine = MixerLineType::LineIn;
  constexpr auto kOther = MixerLineType::Other;
  const TypeCase cases[] = {
      {"Master", kWave, kOther},    {"PCM", kWave, kOther},         {"Speaker", kWave, kOther},
      {"Headphone", kWave, kOther}, {"Front", kWave, kOther},       {"Master Mono", kWave, kOther},
      {"Mic", kMic, kMic},          {"Front Mic", kMic, kMic},      {"Internal Mic", kMic, kMic},
      {"Line", kLine, kLine},       {"Line In", kLine, kLine},      {"Capture", kOther, kMic},
      {"Mic Boost", kMic, kOther},  {"Line Boost", kOther, kOther}, {"Beep", kOther, kOther},
      {"CD", kOther, kOther},       {"Masterful", kOther, kOther},  {"Auto-Mute Mode", kOther, kOther},
  };
  for (const TypeCase& c : cases) {
    EXPECT_EQ(CAlsaMixer::PlaybackType(c.name), c.playback) << c.name;
    EXPECT_EQ(CAlsaMixer::CaptureType(c.name), c.capture) << c.name;
  }
}

struct CandidateCase {
  const char* device;
  std::vector<std::string> mixers;
};

TEST(AlsaMixerNames, TheDevicesCardIsTriedBeforeTheDefaultMixer) {
  const std::vector<std::pair<int, std::string>> cards = {{0, "HDA Intel PCH"}, {2, "USB Audio Device"}};
  const CandidateCase cases[] = {
      {"HDA Intel PCH: ALC892 Analog (hw:0,0)", {"hw:0", "default"}},
      {"USB Audio Device: USB Audio (hw:2,0)", {"hw:2", "default"}},
      {"Some Card: its device (hw:11,3)", {"hw:11", "default"}},
      {"USB Audio Device: a name cut before its (h", {"hw:2", "default"}},
      {"pulse", {"pulse", "default"}},
      {"default", {"default"}},
      {"Unknown Card: a name cut", {"default"}},
      {"", {"default"}},
  };
  for (const CandidateCase& c : cases) {
    EXPECT_EQ(CAlsaMixer::MixerCandidates(c.device, cards), c.mixers) << c.device;
  }
}

// The default ALSA mixer under a private PulseAudio server with one null sink.
class AlsaMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CPulseMixerServer::Installed())
      GTEST_SKIP() << "pulseaudio or pactl is not installed; these tests need both";
    server = std::make_unique<CPulseMixerServer>();
    ASSERT_TRUE(server->Running()) << server->Problem();
    ASSERT_TRUE(
        server->Pactl(std::string("set-sink-volume ") + CPulseMixerServer::kSink + " 65536", nullptr));
  }

  static std::optional<MixerLine> LineNamed(const std::vector<MixerLine>& lines, const std::string& name) {
    const auto it =
        std::find_if(lines.begin(), lines.end(), [&](const MixerLine& l) { return l.name == name; });
    return it != lines.end() ? std::optional(*it) : std::nullopt;
  }

  std::unique_ptr<CPulseMixerServer> server;
  CMemoryKeyStore store;
  CParams params{store};
  CFakeWindowPort window;
};

TEST_F(AlsaMixerTest, DefaultMixerOffersMasterForPlaybackAndCaptureForTheMicrophone) {
  CAlsaMixer playback;
  CAlsaMixer capture;
  ASSERT_TRUE(playback.Open(MixerSide::Playback, -1));
  ASSERT_TRUE(capture.Open(MixerSide::Capture, -1));
  EXPECT_EQ(playback.MixerName(), "default");

  const std::vector<MixerLine> lines = playback.PlaybackLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().name, "Master");
  EXPECT_EQ(lines.front().type, MixerLineType::WaveOut);
  EXPECT_EQ(playback.PlaybackVolume(), lines.front().volume);
  int64_t min = -1;
  int64_t max = -1;
  ASSERT_TRUE(playback.VolumeRange(*lines.front().volume, min, max));
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 65536);
  EXPECT_FALSE(LineNamed(playback.CaptureLines(), "Capture"));  // a playback mixer offers no recording lines

  const auto microphone = LineNamed(capture.CaptureLines(), "Capture");
  ASSERT_TRUE(microphone);
  EXPECT_EQ(microphone->type, MixerLineType::Microphone);
  EXPECT_NE(microphone->volume, lines.front().volume);
  EXPECT_TRUE(capture.SelectorLines().empty());
}

TEST_F(AlsaMixerTest, SpeakerSliderSetsTheSinkVolumeAndBindingUnmutesTheSink) {
  ASSERT_TRUE(server->Pactl(std::string("set-sink-mute ") + CPulseMixerServer::kSink + " 1", nullptr));
  CMixerSp speaker(params, window, std::make_unique<CAlsaMixer>());
  speaker.BindSpeaker();
  ASSERT_TRUE(speaker.SlotValid(CMixer::kSpeakerSlot));
  EXPECT_EQ(server->SinkMuted(), false);
  EXPECT_EQ(speaker.GetVolume(), 65535u);

  speaker.SetVolume(32768);  // half of 0..65536, rounded up
  EXPECT_TRUE(CPulseMixerServer::WaitFor([&] { return server->SinkVolume() == 32769; }))
      << *server->SinkVolume();
  EXPECT_EQ(speaker.GetVolume(), 32768u);
  speaker.SetVolume(0);
  EXPECT_TRUE(CPulseMixerServer::WaitFor([&] { return server->SinkVolume() == 0; })) << *server->SinkVolume();
}

TEST_F(AlsaMixerTest, ChangesMadeElsewhereArriveAsMessagesThatMoveOnlyTheirSlider) {
  CMixerSp speaker(params, window, std::make_unique<CAlsaMixer>());
  CMixerMc microphone(params, window, std::make_unique<CAlsaMixer>());
  CMixerPair pair(&speaker, &microphone);
  const CMixerPair::Sliders sliders = pair.ReadMixers();
  ASSERT_TRUE(sliders.speaker.enabled);
  ASSERT_TRUE(sliders.microphone.enabled);

  ASSERT_TRUE(server->Pactl(std::string("set-sink-volume ") + CPulseMixerServer::kSink + " 16384", nullptr));
  std::optional<uint32_t> moved;
  EXPECT_TRUE(CPulseMixerServer::WaitFor([&] {
    for (const auto& m : window.Messages()) {
      if (m.kind != CFakeWindowPort::Message::Kind::PostCode ||
          m.code != Number(WindowMessage::kMixerControlChange))
        continue;
      const CMixerPair::Moves moves =
          pair.Changed(m.wParam, sliders.speaker.position, sliders.microphone.position);
      EXPECT_FALSE(moves.microphone) << "the sink's change moved the microphone slider";
      if (moves.speaker) moved = moves.speaker;
    }
    return moved.has_value();
  }));
  EXPECT_EQ(moved, 16384u);
}

TEST_F(AlsaMixerTest, ClosingEndsThePollThreadAndItsReports) {
  CMixerReports closed;
  CMixerReports open;
  CAlsaMixer closing;
  CAlsaMixer staying;
  closing.SetChangeCallback(closed.Callback());
  staying.SetChangeCallback(open.Callback());
  ASSERT_TRUE(closing.Open(MixerSide::Playback, -1));
  ASSERT_TRUE(staying.Open(MixerSide::Playback, -1));
  const MixerControlId master = *staying.PlaybackVolume();
  EXPECT_TRUE(closing.Watching());

  closing.Close();
  EXPECT_FALSE(closing.Watching());
  EXPECT_EQ(closing.MixerName(), "");
  const std::size_t before = closed.Count();
  ASSERT_TRUE(server->Pactl(std::string("set-sink-volume ") + CPulseMixerServer::kSink + " 1000", nullptr));
  // By the time the open mixer has heard of the change, the closed one would have too.
  EXPECT_TRUE(CPulseMixerServer::WaitFor([&] { return open.Saw(MixerChange::Control, master); }));
  EXPECT_EQ(closed.Count(), before);
  int64_t value = 0;
  EXPECT_FALSE(closing.ReadVolume(master, value));
}

TEST_F(AlsaMixerTest, ServerGoingAwayStopsThePollThreadInsteadOfSpinning) {
  CAlsaMixer mixer;
  ASSERT_TRUE(mixer.Open(MixerSide::Playback, -1));
  ASSERT_TRUE(mixer.Watching());
  server->Stop();
  EXPECT_TRUE(CPulseMixerServer::WaitFor([&] { return !mixer.Watching(); }));
  mixer.Close();
  EXPECT_EQ(mixer.MixerName(), "");
}

struct DeviceCase {
  const char* deviceName;
  const char* mixer;
};

TEST_F(AlsaMixerTest, ChosenDeviceOpensItsOwnMixerOrElseTheDefault) {
  const DeviceCase cases[] = {
      {"pulse", "pulse"},
      {"Gone Card: USB Audio (hw:29,0)", "default"},
      {"Nothing Known", "default"},
  };
  for (const DeviceCase& c : cases) {
    MixerSide asked = MixerSide::Capture;
    int askedDevice = -1;
    CAlsaMixer mixer([&](MixerSide side, int device, std::string& name) {
      asked = side;
      askedDevice = device;
      name = c.deviceName;
      return true;
    });
    ASSERT_TRUE(mixer.Open(MixerSide::Playback, 3)) << c.deviceName;
    EXPECT_EQ(mixer.MixerName(), c.mixer) << c.deviceName;
    EXPECT_EQ(asked, MixerSide::Playback);
    EXPECT_EQ(askedDevice, 3);
    EXPECT_TRUE(mixer.PlaybackVolume()) << c.deviceName;
  }
}

}  // namespace
