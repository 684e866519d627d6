#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
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

// What the server holds of a device ("sink t_spk") or a stream: every
// channel's volume and the mute.
struct Held {
  std::vector<long> volumes;
  bool muted = false;
  bool operator==(const Held&) const = default;
};

Held FromJson(const QJsonObject& object) {
  Held held;
  const QJsonObject volume = object.value("volume").toObject();
  for (const QString& channel : volume.keys())
    held.volumes.push_back(volume.value(channel).toObject().value("value").toInteger());
  held.muted = object.value("mute").toBool();
  return held;
}

QJsonArray List(const std::string& what) {
  const auto text = Pactl("-f json list " + what);
  return text ? QJsonDocument::fromJson(QByteArray::fromStdString(*text)).array() : QJsonArray{};
}

std::optional<Held> Device(const std::string& kind, const std::string& name) {
  for (const auto& entry : List(kind + "s")) {
    if (entry.toObject().value("name").toString().toStdString() == name) return FromJson(entry.toObject());
  }
  return std::nullopt;
}

// A stream of the program by its name ("Loudspeaker", "Microphone"), with its index.
std::optional<std::pair<long, Held>> Stream(const std::string& kind, const std::string& name) {
  for (const auto& entry : List(kind)) {
    const QJsonObject object = entry.toObject();
    if (object.value("properties").toObject().value("media.name").toString().toStdString() == name)
      return std::pair(object.value("index").toInteger(), FromJson(object));
  }
  return std::nullopt;
}

struct Side {
  MixerSide side;
  const char* streams;  // as pactl lists them
  const char* setVolume;
  const char* name;
};

const Side kSides[] = {
    {MixerSide::Playback, "sink-inputs", "set-sink-input-volume", "Loudspeaker"},
    {MixerSide::Capture, "source-outputs", "set-source-output-volume", "Microphone"},
};

// Mixers on the program's own streams on a private PulseAudio server with
// the sinks t_spk (the default) and t_mic, whose monitor is the default source.
class CPulseMixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pulse->Error(), "");
    std::string error;
    backend = CPulseAudioBackend::Connect(error);
    ASSERT_TRUE(backend) << error;
  }

  // A call's stream (or, with call false, another one such as the ringer's).
  std::unique_ptr<AudioStream> Open(MixerSide side, bool call = true) {
    StreamRequest request{-1, 8000, 2, 160, 0.1};
    request.call = call;
    std::string error;
    auto stream = side == MixerSide::Playback
                      ? backend->OpenOutput(request, &audiosignals::ToneSource::Fill, &tone, error)
                      : backend->OpenInput(request, &audiosignals::Recorder::Take, &recorder, error);
    EXPECT_TRUE(stream) << error;
    return stream;
  }

  std::unique_ptr<CPulseServer> pulse =
      std::make_unique<CPulseServer>(std::vector<std::string>{"t_spk", "t_mic"}, "t_mic.monitor");
  std::unique_ptr<CPulseAudioBackend> backend;
  audiosignals::ToneSource tone{8000, 2, 500};
  audiosignals::Recorder recorder{8000, 2};
};

TEST_F(CPulseMixerTest, EachSideHasOneControlWhateverTheDevice) {
  for (const int device : {-1, 0, 1, 7}) {
    SCOPED_TRACE(device);
    CPulseMixer speaker(*backend), microphone(*backend);
    ASSERT_TRUE(speaker.Open(MixerSide::Playback, device));
    ASSERT_TRUE(microphone.Open(MixerSide::Capture, device));
    const MixerControlId playback = CPulseMixer::ControlOf(MixerSide::Playback);
    const MixerControlId capture = CPulseMixer::ControlOf(MixerSide::Capture);
    EXPECT_NE(playback, capture);

    // The output as a whole is the user's device: no control for it.
    EXPECT_FALSE(speaker.PlaybackVolume());
    const std::vector<MixerLine> out = speaker.PlaybackLines();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, MixerLineType::WaveOut);
    EXPECT_EQ(out[0].volume, playback);
    EXPECT_TRUE(speaker.SelectorLines().empty());

    // The microphone and the line input are the one stream.
    for (const auto& lines : {microphone.SelectorLines(), microphone.CaptureLines()}) {
      ASSERT_EQ(lines.size(), 2u);
      EXPECT_EQ(lines[0].type, MixerLineType::Microphone);
      EXPECT_EQ(lines[1].type, MixerLineType::LineIn);
      EXPECT_EQ(lines[0].volume, capture);
      EXPECT_EQ(lines[1].volume, capture);
    }
    EXPECT_TRUE(microphone.PlaybackLines().empty());

    int64_t min = -1, max = -1;
    ASSERT_TRUE(speaker.VolumeRange(playback, min, max));
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 65536);
    EXPECT_FALSE(speaker.VolumeRange(capture, min, max));
    bool muted = false;
    EXPECT_FALSE(speaker.ReadMute(playback, muted)) << "no mute switch";
  }
}

TEST_F(CPulseMixerTest, VolumeIsTheCallStreamsOwnBothWays) {
  const Held sink = *Device("sink", "t_mic");
  const Held source = *Device("source", "t_mic.monitor");
  for (const Side& s : kSides) {
    SCOPED_TRACE(s.streams);
    auto stream = Open(s.side);
    ASSERT_TRUE(stream);
    CPulseMixer mixer(*backend);
    ASSERT_TRUE(mixer.Open(s.side, -1));
    const MixerControlId control = CPulseMixer::ControlOf(s.side);
    const auto index = std::to_string(Stream(s.streams, s.name)->first);
    int64_t value = -1;

    ASSERT_TRUE(mixer.WriteVolume(control, 19661));
    EXPECT_EQ(Stream(s.streams, s.name)->second.volumes, (std::vector<long>{19661, 19661}));
    ASSERT_TRUE(Pactl(std::string(s.setVolume) + " " + index + " 12345"));
    ASSERT_TRUE(mixer.ReadVolume(control, value));
    EXPECT_EQ(value, 12345);

    // A balance reads as its loudest channel and survives having that
    // written back (as binding a slider does) and other values too.
    ASSERT_TRUE(Pactl(std::string(s.setVolume) + " " + index + " 20000 40000"));
    ASSERT_TRUE(mixer.ReadVolume(control, value));
    EXPECT_EQ(value, 40000);
    ASSERT_TRUE(mixer.WriteVolume(control, value));
    EXPECT_EQ(Stream(s.streams, s.name)->second.volumes, (std::vector<long>{20000, 40000}));
    ASSERT_TRUE(mixer.WriteVolume(control, 60000));
    EXPECT_EQ(Stream(s.streams, s.name)->second.volumes, (std::vector<long>{30000, 60000}));

    // Above 100% reads as the top of the range, and writing the top keeps it.
    ASSERT_TRUE(Pactl(std::string(s.setVolume) + " " + index + " 90000"));
    ASSERT_TRUE(mixer.ReadVolume(control, value));
    EXPECT_EQ(value, 65536);
    ASSERT_TRUE(mixer.WriteVolume(control, 65536));
    EXPECT_EQ(Stream(s.streams, s.name)->second.volumes, (std::vector<long>{90000, 90000}));

    EXPECT_FALSE(mixer.ReadVolume(control ^ 3, value));
    EXPECT_FALSE(mixer.WriteVolume(control ^ 3, 1000));
  }
  // The devices are as they were.
  EXPECT_EQ(Device("sink", "t_mic"), sink);
  EXPECT_EQ(Device("source", "t_mic.monitor"), source);
}

TEST_F(CPulseMixerTest, BetweenCallsTheVolumeWaitsForTheNextStream) {
  for (const Side& s : kSides) {
    SCOPED_TRACE(s.streams);
    CPulseMixer mixer(*backend);
    ASSERT_TRUE(mixer.Open(s.side, -1));
    const MixerControlId control = CPulseMixer::ControlOf(s.side);
    int64_t value = -1;

    // Unset: the slider reads the top, and writing that back leaves the
    // server to choose the stream's volume.
    ASSERT_TRUE(mixer.ReadVolume(control, value));
    EXPECT_EQ(value, 65536);
    ASSERT_TRUE(mixer.WriteVolume(control, value));
    EXPECT_EQ(backend->CallVolume(s.side).Wanted(), CStreamVolume::kNone);

    ASSERT_TRUE(mixer.WriteVolume(control, 30000));
    ASSERT_TRUE(mixer.ReadVolume(control, value));
    EXPECT_EQ(value, 30000);
    {
      auto stream = Open(s.side);
      ASSERT_TRUE(stream);
      EXPECT_TRUE(WaitUntil([&] {
        return Stream(s.streams, s.name)->second.volumes == std::vector<long>{30000, 30000};
      }));
      // Changed elsewhere during the call: the next call starts there.
      ASSERT_TRUE(Pactl(std::string(s.setVolume) + " " + std::to_string(Stream(s.streams, s.name)->first) +
                        " 20000"));
      ASSERT_TRUE(WaitUntil([&] { return mixer.ReadVolume(control, value) && value == 20000; }));
    }
    EXPECT_FALSE(Stream(s.streams, s.name));
    ASSERT_TRUE(mixer.ReadVolume(control, value));
    EXPECT_EQ(value, 20000);
    auto next = Open(s.side);
    ASSERT_TRUE(next);
    EXPECT_TRUE(WaitUntil([&] {
      return Stream(s.streams, s.name)->second.volumes == std::vector<long>{20000, 20000};
    }));
  }
}

// The sliders as the program binds them, whatever "deviceSp" and "deviceMc"
// choose: the user's muted devices stay muted and keep their volumes.
TEST_F(CPulseMixerTest, SlidersLeaveTheUsersDevicesAlone) {
  CMemoryKeyStore store;
  CParams params{store};
  CFakeWindowPort window;
  params.SetInt("deviceSp", 2);  // t_mic
  params.SetInt("deviceMc", 0);
  ASSERT_TRUE(Pactl("set-sink-mute t_mic 1"));
  ASSERT_TRUE(Pactl("set-sink-mute t_spk 1"));
  ASSERT_TRUE(Pactl("set-source-mute t_mic.monitor 1"));
  ASSERT_TRUE(Pactl("set-sink-volume t_spk 40000"));
  const Held sinks[] = {*Device("sink", "t_spk"), *Device("sink", "t_mic")};
  const Held source = *Device("source", "t_mic.monitor");

  auto loudspeaker = Open(MixerSide::Playback);
  auto ringer = Open(MixerSide::Playback, false);
  CMixerSp speaker(params, window, std::make_unique<CPulseMixer>(*backend));
  CMixerMc microphone(params, window, std::make_unique<CPulseMixer>(*backend));
  for (const int source : {0, 1}) {  // "Line In level control" off and on
    SCOPED_TRACE(source);
    params.SetInt("audioSource", source);
    const auto sliders = CMixerPair(&speaker, &microphone).ReadMixers();
    EXPECT_TRUE(sliders.speaker.enabled);
    EXPECT_TRUE(sliders.microphone.enabled);
    EXPECT_EQ(sliders.speaker.position, 65535u);
  }
  speaker.SetVolume(32768);
  microphone.SetVolume(16384);
  auto capture = Open(MixerSide::Capture);
  EXPECT_TRUE(WaitUntil([&] {
    return Stream("source-outputs", "Microphone")->second.volumes == std::vector<long>{16384, 16384};
  }));

  // Only the call's loudspeaker follows the slider, not the ringer's stream.
  std::vector<std::vector<long>> played;
  for (const auto& entry : List("sink-inputs")) played.push_back(FromJson(entry.toObject()).volumes);
  std::sort(played.begin(), played.end());
  EXPECT_EQ(played, (std::vector<std::vector<long>>{{32769, 32769}, {65536, 65536}}));

  EXPECT_EQ(Device("sink", "t_spk"), sinks[0]);
  EXPECT_EQ(Device("sink", "t_mic"), sinks[1]);
  EXPECT_EQ(Device("source", "t_mic.monitor"), source);
  EXPECT_TRUE(Device("source", "t_mic.monitor")->muted);
}

TEST_F(CPulseMixerTest, ChangesElsewhereAndNewStreamsReportTheControlUntilClosed) {
  CMixerReports closed, open, capture;
  CPulseMixer closing(*backend), staying(*backend), source(*backend);
  closing.SetChangeCallback(closed.Callback());
  staying.SetChangeCallback(open.Callback());
  source.SetChangeCallback(capture.Callback());
  ASSERT_TRUE(closing.Open(MixerSide::Playback, -1));
  ASSERT_TRUE(staying.Open(MixerSide::Playback, 0));
  ASSERT_TRUE(source.Open(MixerSide::Capture, 1));
  const MixerControlId sink = CPulseMixer::ControlOf(MixerSide::Playback);
  const MixerControlId microphone = CPulseMixer::ControlOf(MixerSide::Capture);

  // A stream that starts is news to the slider of its side alone.
  auto stream = Open(MixerSide::Playback);
  ASSERT_TRUE(stream);
  EXPECT_TRUE(WaitUntil([&] { return open.Count(MixerChange::Control, sink) > 0; }));
  EXPECT_TRUE(WaitUntil([&] { return closed.Count(MixerChange::Control, sink) > 0; }));
  EXPECT_EQ(capture.Count(), 0u);

  // A device's change is not the stream's.
  const std::size_t before = open.Count();
  ASSERT_TRUE(Pactl("set-sink-volume t_spk 30%"));
  const auto index = std::to_string(Stream("sink-inputs", "Loudspeaker")->first);
  ASSERT_TRUE(Pactl("set-sink-input-volume " + index + " 30%"));
  EXPECT_TRUE(WaitUntil([&] { return open.Count() > before; }));
  int64_t value = 0;
  ASSERT_TRUE(staying.ReadVolume(sink, value));
  EXPECT_NEAR(static_cast<double>(value), 0.3 * 65536, 1);

  auto input = Open(MixerSide::Capture);
  EXPECT_TRUE(WaitUntil([&] { return capture.Count(MixerChange::Control, microphone) > 0; }));
  EXPECT_EQ(capture.Count(), capture.Count(MixerChange::Control, microphone))
      << "a loudspeaker's news reached the microphone's mixer";

  closing.Close();
  closing.Close();
  const std::size_t closedBefore = closed.Count();
  const std::size_t heard = open.Count();
  ASSERT_TRUE(Pactl("set-sink-input-volume " + index + " 1000"));
  // By the time the open mixer has heard of the change, the closed one would have too.
  EXPECT_TRUE(WaitUntil([&] { return open.Count() > heard; }));
  stream.reset();
  stream = Open(MixerSide::Playback);
  EXPECT_TRUE(WaitUntil([&] { return open.Count() > heard + 1; }));
  EXPECT_EQ(closed.Count(), closedBefore);
  EXPECT_FALSE(closing.ReadVolume(sink, value));
  EXPECT_TRUE(closing.PlaybackLines().empty());
}

TEST_F(CPulseMixerTest, AServerThatHasGoneAnswersFalse) {
  CMixerReports reports;
  CPulseMixer mixer(*backend);
  mixer.SetChangeCallback(reports.Callback());
  ASSERT_TRUE(mixer.Open(MixerSide::Playback, -1));
  const MixerControlId control = CPulseMixer::ControlOf(MixerSide::Playback);
  pulse.reset();

  int64_t value = 0;
  EXPECT_FALSE(mixer.ReadVolume(control, value));
  EXPECT_FALSE(mixer.WriteVolume(control, 1000));
  mixer.Close();
  EXPECT_FALSE(mixer.ReadVolume(control, value));
}

// A call's streams say they are one.
TEST_F(CPulseMixerTest, CallStreamsPlayInThePhoneRole) {
  auto output = Open(MixerSide::Playback);
  auto input = Open(MixerSide::Capture);
  ASSERT_TRUE(output && input);
  for (const char* streams : {"sink-inputs", "source-outputs"}) {
    const auto text = Pactl(std::string("list ") + streams);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("media.role = \"phone\""), std::string::npos) << *text;
  }
}

}  // namespace
