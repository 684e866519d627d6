#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/cmixermc.h"
#include "audio/cmixerpair.h"
#include "audio/cmixersp.h"
#include "fakes/cfakemixerbackend.h"
#include "fakes/cfakewindowport.h"
#include "fakes/cmemorykeystore.h"
#include "settings/cparams.h"

namespace {

using Control = CFakeMixerBackend::Control;

MixerLine Line(MixerLineType type, std::optional<MixerControlId> volume) {
  return {"", type, volume};
}

constexpr auto kWaveOut = MixerLineType::WaveOut;
constexpr auto kMic = MixerLineType::Microphone;
constexpr auto kLineIn = MixerLineType::LineIn;
constexpr auto kOther = MixerLineType::Other;

class MixerTest : public ::testing::Test {
 protected:
  // The fake stays owned by the mixer; the test keeps a view of it.
  template <typename Mixer>
  std::unique_ptr<Mixer> Make(CFakeMixerBackend*& fake) {
    auto backend = std::make_unique<CFakeMixerBackend>();
    fake = backend.get();
    return std::make_unique<Mixer>(params, window, std::move(backend));
  }

  // A speaker mixer whose slot 1 is control 1 with the given range.
  std::unique_ptr<CMixerSp> Speaker(CFakeMixerBackend*& fake, Control control) {
    auto mixer = Make<CMixerSp>(fake);
    fake->controls[1] = control;
    fake->playbackLines = {Line(kWaveOut, 1)};
    mixer->BindSpeaker();
    return mixer;
  }

  // A speaker mixer with control 1 and a microphone mixer with control 2.
  struct Mixers {
    CFakeMixerBackend* fakeSp = nullptr;
    CFakeMixerBackend* fakeMc = nullptr;
    std::unique_ptr<CMixerSp> sp;
    std::unique_ptr<CMixerMc> mc;
    CMixerPair Pair() { return CMixerPair(sp.get(), mc.get()); }
  };
  Mixers Both(Control speaker, Control microphone) {
    Mixers m;
    m.sp = Make<CMixerSp>(m.fakeSp);
    m.mc = Make<CMixerMc>(m.fakeMc);
    m.fakeSp->controls[1] = speaker;
    m.fakeSp->playbackLines = {Line(kWaveOut, 1)};
    m.fakeMc->controls[2] = microphone;
    m.fakeMc->captureLines = {Line(kMic, 2)};
    return m;
  }

  CMemoryKeyStore store;
  CParams params{store};
  CFakeWindowPort window;
};

struct ScaleCase {
  int64_t min, max;
  uint32_t position;
  int64_t written;
};

TEST_F(MixerTest, SliderPositionsAreScaledToTheWholeRangeOfTheControl) {
  const ScaleCase cases[] = {
      {0, 87, 0, 0},      {0, 87, 32768, 44},       {0, 87, 65535, 87},
      {-10, 10, 0, -10},  {-10, 10, 32768, 0},      {-10, 10, 65535, 10},
      {0, 65536, 0, 0},   {0, 65536, 32768, 32769}, {0, 65536, 65535, 65536},
      {0, 87, 70000, 87},  // past the slider's end: its end
  };
  for (const ScaleCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max) + " at " + std::to_string(c.position));
    CFakeMixerBackend* fake = nullptr;
    auto mixer = Speaker(fake, Control().Range(c.min, c.max).Value(c.min));
    mixer->SetVolume(c.position);
    EXPECT_EQ(fake->controls[1].value, c.written);
  }
}

struct ReadCase {
  int64_t min, max, value;
  uint32_t position;
};

TEST_F(MixerTest, ControlValuesReadBackAsSliderPositionsOverTheWholeRange) {
  const ReadCase cases[] = {
      {0, 87, 0, 0},       {0, 87, 43, 32391},       {0, 87, 87, 65535},
      {-10, 10, -10, 0},   {-10, 10, 0, 32768},      {-10, 10, 10, 65535},
      {0, 65536, 0, 0},    {0, 65536, 32768, 32768}, {0, 65536, 65536, 65535},
      {0, 87, 100, 65535}, {0, 87, -3, 0},  // outside the reported range: its ends
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max) + " at " + std::to_string(c.value));
    CFakeMixerBackend* fake = nullptr;
    auto mixer = Speaker(fake, Control().Range(c.min, c.max).Value(c.max / 3));
    fake->controls[1].value = c.value;
    EXPECT_EQ(mixer->GetVolume(), c.position);
    EXPECT_EQ(mixer->GetVolume(1), c.position);
  }
}

TEST_F(MixerTest, CoarseControlReadsBackThePositionLastSetUntilItChangesElsewhere) {
  CFakeMixerBackend* fake = nullptr;
  auto mixer = Speaker(fake, Control().Range(0, 31).Value(0));
  mixer->SetVolume(1000);  // less than one step of the control
  EXPECT_EQ(fake->controls[1].value, 0);
  EXPECT_EQ(mixer->GetVolume(1), 1000u);
  fake->controls[1].value = 5;
  EXPECT_EQ(mixer->GetVolume(1), 10570u);
}

struct SourceCase {
  const char* what;
  int audioSource;
  std::vector<MixerLine> selector;
  std::vector<MixerLine> capture;
  std::optional<MixerControlId> bound;
};

TEST_F(MixerTest, AudioSourceChoosesTheRecordingLineWithTheFallbackWalk) {
  const SourceCase cases[] = {
      {"microphone from the selector", 0, {Line(kLineIn, 2), Line(kMic, 3)}, {Line(kMic, 5)}, 3},
      {"line in from the selector", 1, {Line(kLineIn, 2), Line(kMic, 3)}, {Line(kLineIn, 6)}, 2},
      {"first of the kind only", 0, {Line(kMic, 3), Line(kMic, 4)}, {}, 3},
      {"no selector", 0, {}, {Line(kLineIn, 6), Line(kMic, 5)}, 5},
      {"no selector, line in", 1, {}, {Line(kMic, 5), Line(kLineIn, 6)}, 6},
      {"selector source without volume", 0, {Line(kMic, std::nullopt), Line(kMic, 4)}, {Line(kMic, 5)}, 5},
      {"selector source unreadable", 0, {Line(kMic, 7)}, {Line(kMic, 5)}, 5},
      {"nothing of the kind", 1, {Line(kMic, 3)}, {Line(kMic, 5), Line(kOther, 6)}, std::nullopt},
  };
  for (const SourceCase& c : cases) {
    SCOPED_TRACE(c.what);
    params.SetInt("audioSource", c.audioSource);
    CFakeMixerBackend* fake = nullptr;
    auto mixer = Make<CMixerMc>(fake);
    for (MixerControlId id : {2, 3, 4, 5, 6}) fake->controls[id] = Control().Value(100 * id);
    fake->controls[7] = Control().Value(700).Unreadable();
    fake->selectorLines = c.selector;
    fake->captureLines = c.capture;
    mixer->BindMicrophone();
    EXPECT_EQ(mixer->SlotValid(CMixer::kRecordingSlot), c.bound.has_value());
    for (const auto& [id, control] : fake->controls) {
      EXPECT_EQ(mixer->GetVolume(id).has_value(), id == c.bound) << "control " << id;
    }
  }
}

TEST_F(MixerTest, EachSideOpensItsOwnChosenDevice) {
  for (const auto& [setting, device] : {std::pair{0, -1}, std::pair{1, 0}, std::pair{4, 3}}) {
    params.SetInt("deviceSp", setting);
    params.SetInt("deviceMc", setting + 1);
    CFakeMixerBackend* fakeSp = nullptr;
    CFakeMixerBackend* fakeMc = nullptr;
    auto sp = Make<CMixerSp>(fakeSp);
    auto mc = Make<CMixerMc>(fakeMc);
    sp->BindSpeaker();
    mc->BindMicrophone();
    EXPECT_EQ(fakeSp->openedSide, MixerSide::Playback);
    EXPECT_EQ(fakeSp->openedDevice, device);
    EXPECT_EQ(fakeMc->openedSide, MixerSide::Capture);
    EXPECT_EQ(fakeMc->openedDevice, device + 1);
  }
}

TEST_F(MixerTest, SpeakerBindsTheFirstDrivableWaveOutputAndSwitchesItsMuteOff) {
  CFakeMixerBackend* fake = nullptr;
  auto mixer = Make<CMixerSp>(fake);
  fake->playbackVolume = 1;
  fake->controls[1] = Control().Value(10);
  fake->controls[2] = Control().Value(20).Muted(true);             // microphone playing into the output
  fake->controls[3] = Control().Value(30).Muted(true);             // some other line
  fake->controls[4] = Control().Value(40).ReadOnly().Muted(true);  // cannot take a slider
  fake->controls[5] = Control().Value(50).Muted(true);
  fake->controls[6] = Control().Value(60).Muted(true);  // a later wave output
  fake->playbackLines = {Line(kMic, 2), Line(kOther, 3), Line(kWaveOut, 4), Line(kWaveOut, 5),
                         Line(kWaveOut, 6)};
  mixer->BindSpeaker();

  EXPECT_TRUE(mixer->SlotValid(CMixer::kDestinationSlot));
  EXPECT_TRUE(mixer->GetVolume(5).has_value());
  EXPECT_FALSE(mixer->GetVolume(1).has_value());  // the destination is not the slider's
  EXPECT_EQ(fake->controls[5].muted, false);
  for (MixerControlId untouched : {2, 3, 6}) EXPECT_EQ(fake->controls[untouched].muted, true) << untouched;
}

TEST_F(MixerTest, MuteSwitchIsWrittenOnlyWhenItIsOn) {
  for (bool muted : {false, true}) {
    CFakeMixerBackend* fake = nullptr;
    auto mixer = Speaker(fake, Control().Muted(muted));
    EXPECT_EQ(fake->controls[1].muted, false);
    EXPECT_EQ(fake->controls[1].muteWrites, muted ? 1 : 0);
  }
}

struct MissingCase {
  const char* what;
  bool openFails;
  MixerLineType type;
  Control control;
};

TEST_F(MixerTest, WithoutAControlTheSliderIsDisabledAtZeroAndMovesWriteNothing) {
  const MissingCase cases[] = {
      {"no mixer", true, kWaveOut, Control()},
      {"no wave output", false, kMic, Control()},
      {"empty range", false, kWaveOut, Control().Range(5, 5).Value(5)},
      {"unreadable", false, kWaveOut, Control().Unreadable()},
      {"read-only", false, kWaveOut, Control().ReadOnly()},
  };
  for (const MissingCase& c : cases) {
    SCOPED_TRACE(c.what);
    Mixers m = Both(c.control, Control());
    m.fakeSp->openFails = c.openFails;
    m.fakeSp->playbackLines = {Line(c.type, 1)};
    m.fakeMc->captureLines.clear();
    CMixerPair pair = m.Pair();

    const CMixerPair::Sliders sliders = pair.ReadMixers();
    EXPECT_FALSE(sliders.speaker.enabled);
    EXPECT_EQ(sliders.speaker.position, 0u);
    EXPECT_FALSE(sliders.microphone.enabled);
    const int64_t before = m.fakeSp->controls[1].value;
    pair.MoveSpeaker(40000, true);
    EXPECT_EQ(m.fakeSp->controls[1].value, before);
    EXPECT_EQ(m.fakeSp->controls[1].volumeWrites, 0);
  }
}

TEST_F(MixerTest, ReadMixersEnablesEachSliderAtItsControlsPosition) {
  Mixers m = Both(Control().Range(0, 100).Value(50), Control().Range(-10, 10).Value(10));
  const CMixerPair::Sliders sliders = m.Pair().ReadMixers();
  EXPECT_TRUE(sliders.speaker.enabled);
  EXPECT_EQ(sliders.speaker.position, 32768u);
  EXPECT_TRUE(sliders.microphone.enabled);
  EXPECT_EQ(sliders.microphone.position, 65535u);
  // Missing mixers, as while the sound system is rebuilt, give disabled sliders.
  const CMixerPair::Sliders none = CMixerPair(nullptr, nullptr).ReadMixers();
  EXPECT_FALSE(none.speaker.enabled);
  EXPECT_FALSE(none.microphone.enabled);
}

TEST_F(MixerTest, ChangeMovesOnlyTheSliderOfTheNamedControlAndOnlyWhenItDiffers) {
  Mixers m = Both(Control().Value(1000), Control().Value(2000));
  m.fakeSp->controls[3] = Control().Value(3000);  // on the mixer, but not the slider's
  m.fakeSp->playbackLines.push_back(Line(kWaveOut, 3));
  CMixerPair pair = m.Pair();
  pair.ReadMixers();

  m.fakeSp->controls[1].value = 1111;
  m.fakeSp->controls[3].value = 3333;
  m.fakeMc->controls[2].value = 2222;
  for (int64_t other : {int64_t{3}, int64_t{99}, int64_t{-1}, int64_t{1} << 40}) {
    const CMixerPair::Moves moves = pair.Changed(other, 1000, 2000);
    EXPECT_FALSE(moves.speaker.has_value()) << other;
    EXPECT_FALSE(moves.microphone.has_value()) << other;
  }
  const CMixerPair::Moves speaker = pair.Changed(1, 1000, 2000);
  EXPECT_EQ(speaker.speaker, 1111u);
  EXPECT_FALSE(speaker.microphone.has_value());
  const CMixerPair::Moves microphone = pair.Changed(2, 1111, 2000);
  EXPECT_FALSE(microphone.speaker.has_value());
  EXPECT_EQ(microphone.microphone, 2222u);
  // The sliders already stand there.
  const CMixerPair::Moves settled = pair.Changed(1, 1111, 2222);
  EXPECT_FALSE(settled.speaker.has_value());
}

TEST_F(MixerTest, SliderMovesReachTheMixerOnlyWhileTheSoundSystemRuns) {
  Mixers m = Both(Control().Value(1000), Control().Value(2000));
  CMixerPair pair = m.Pair();
  pair.ReadMixers();

  EXPECT_FALSE(pair.MoveSpeaker(5000, false));
  EXPECT_FALSE(pair.MoveMicrophone(6000, false));
  EXPECT_EQ(m.fakeSp->controls[1].value, 1000);
  EXPECT_EQ(m.fakeMc->controls[2].value, 2000);
  EXPECT_TRUE(pair.MoveSpeaker(5000, true));
  EXPECT_TRUE(pair.MoveMicrophone(6000, true));
  EXPECT_EQ(m.fakeSp->controls[1].value, 5000);
  EXPECT_EQ(m.fakeMc->controls[2].value, 6000);
}

TEST_F(MixerTest, BackendChangesArePostedAsMixerMessagesWithTheControl) {
  CFakeMixerBackend* fake = nullptr;
  auto mixer = Make<CMixerMc>(fake);
  fake->Report(MixerChange::Control, 7);
  fake->Report(MixerChange::Line, 8);
  const auto messages = window.Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].kind, CFakeWindowPort::Message::Kind::PostCode);
  EXPECT_EQ(messages[0].code, 977u);
  EXPECT_EQ(messages[0].wParam, 7);
  EXPECT_EQ(messages[1].kind, CFakeWindowPort::Message::Kind::PostCode);
  EXPECT_EQ(messages[1].code, 976u);
  EXPECT_EQ(messages[1].wParam, 8);
}

TEST_F(MixerTest, RebindingClosesTheMixerBeforeOpeningItAgain) {
  CFakeMixerBackend* fake = nullptr;
  auto mixer = Speaker(fake, Control().Value(1000));
  fake->controls.clear();  // the card lost its controls meanwhile
  mixer->BindSpeaker();
  EXPECT_EQ(fake->opens, 2);
  EXPECT_EQ(fake->closes, 1);
  EXPECT_FALSE(mixer->SlotValid(CMixer::kSpeakerSlot));
  EXPECT_FALSE(mixer->GetVolume().has_value());
}

}  // namespace
