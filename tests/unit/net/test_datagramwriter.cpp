#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/codes.h"
#include "core/windowmessage.h"
#include "net/datagramwriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

// head, then the fill byte up to total.
Bytes Literal(Bytes head, std::size_t total = 0, uint8_t fill = 0) {
  if (head.size() < total) head.resize(total, fill);
  return head;
}

Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

template <typename Array>
Bytes AsBytes(const Array& datagram) {
  return Bytes(datagram.begin(), datagram.end());
}

struct LayoutCase {
  const char* name;
  Bytes built;
  Bytes expected;
};

class DatagramLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(DatagramLayout, MatchesTheWireBytes) {
  EXPECT_EQ(GetParam().built, GetParam().expected);
}

// Builds into a dirty buffer, so header bytes that are not written show up.
Bytes Audio(uint32_t soundType, const Bytes& payload) {
  datagram::AudioDatagram out;
  out.fill(0xEE);
  const std::size_t length = datagram::BuildAudio(*SoundTypeOf(soundType), payload, out);
  return Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(length));
}

const Bytes kGsmFrame(33, 0xA1);
const Bytes kG711Frame(160, 0xB2);
const Bytes kPcm8Frame(320, 0xC3);
const Bytes kPcm44Frame(1280, 0xD4);
const Bytes kSpeex18(18, 0xE5);
const Bytes kSpeex1280(1280, 0xF6);

INSTANTIATE_TEST_SUITE_P(
    Builders, DatagramLayout,
    testing::Values(
        LayoutCase{
            "ShortPresenceQuery", AsBytes(datagram::BuildShort(code::kPresenceQuery)), {0x2D, 0x23, 0, 0}},
        LayoutCase{"ShortRejection", AsBytes(datagram::BuildShort(code::kRejection)), {0x54, 0x23, 0, 0}},
        LayoutCase{"CallRequestName", AsBytes(datagram::BuildSignalling(code::kCallRequest, "Alice")),
                   Literal({0x3F, 0x23, 0, 0, 0, 0, 0, 0, 'A', 'l', 'i', 'c', 'e'}, 520)},
        LayoutCase{"EmptyTextIsAllZero", AsBytes(datagram::BuildSignalling(code::kRinging, "")),
                   Literal({0x40, 0x23, 0, 0}, 520)},
        LayoutCase{"LongTextCutTo511",
                   AsBytes(datagram::BuildSignalling(code::kNameReply, std::string(600, 'x'))),
                   Join(Join(Literal({0x50, 0x23, 0, 0}, 8), Bytes(511, 'x')), {0})},
        LayoutCase{"TextEndsAtItsZero",
                   AsBytes(datagram::BuildSignalling(code::kCallRequest, std::string("ab\0cd", 5))),
                   Literal({0x3F, 0x23, 0, 0, 0, 0, 0, 0, 'a', 'b'}, 520)},
        LayoutCase{"SoundTypeRequest", AsBytes(datagram::BuildNumber(code::kSoundTypeRequest, 9058)),
                   Literal({0x58, 0x23, 0, 0, 0, 0, 0, 0, '9', '0', '5', '8'}, 520)},
        LayoutCase{"NegativeOption", AsBytes(datagram::BuildNumber(code::kSpeexQuality, -7)),
                   Literal({0x8C, 0x23, 0, 0, 0, 0, 0, 0, '-', '7'}, 520)},
        LayoutCase{"WidestNumber",
                   AsBytes(datagram::BuildNumber(code::kSpeexDtx, std::numeric_limits<int32_t>::min())),
                   Literal(Join({0x91, 0x23, 0, 0, 0, 0, 0, 0}, Text("-2147483648")), 520)},
        LayoutCase{"Gsm41", Audio(code::kSoundGsm, kGsmFrame),
                   Join({0x5A, 0x23, 0, 0, 0, 0, 0, 0}, kGsmFrame)},
        LayoutCase{"G711At168", Audio(code::kSoundG711, kG711Frame),
                   Join({0x68, 0x23, 0, 0, 0, 0, 0, 0}, kG711Frame)},
        LayoutCase{"Pcm8kFramePlus8", Audio(9051, kPcm8Frame),
                   Join({0x5B, 0x23, 0, 0, 0, 0, 0, 0}, kPcm8Frame)},
        LayoutCase{"Pcm44kFramePlus8", Audio(9057, kPcm44Frame),
                   Join({0x61, 0x23, 0, 0, 0, 0, 0, 0}, kPcm44Frame)},
        LayoutCase{"Speex18Is27", Audio(9058, kSpeex18),
                   Join({0x62, 0x23, 0, 0, '1', '8', 0, 0, 0}, kSpeex18)},
        LayoutCase{"Speex1280FillsTheField", Audio(9061, kSpeex1280),
                   Join({0x65, 0x23, 0, 0, '1', '2', '8', '0', 0}, kSpeex1280)}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(DatagramBuildAudio, SendsNothingForAPayloadTheTypeCannotCarry) {
  struct Case {
    uint32_t soundType;
    std::size_t payload;
  };
  const Case cases[] = {
      {code::kSoundGsm, 32},
      {code::kSoundGsm, 34},
      {code::kSoundG711, 159},
      {code::kSoundG711, 161},
      {9051, 0},
      {9057, 1281},
      {9058, 0},
      {9062, 1281},
      {Number(WindowMessage::kSwitchSoundType), 33},
      {9065, 33},
  };
  datagram::AudioDatagram out{};
  for (const Case& c : cases) {
    const Bytes payload(c.payload, 0x11);
    EXPECT_EQ(datagram::BuildAudio(SoundType{c.soundType}, payload, out), 0u)
        << c.soundType << " with " << c.payload;
  }
}

TEST(DatagramBuildAudio, SendsNothingWhenTheBufferIsTooSmall) {
  std::array<uint8_t, 40> out{};
  EXPECT_EQ(datagram::BuildAudio(SoundType{code::kSoundGsm}, kGsmFrame, out), 0u);
  std::array<uint8_t, 41> exact{};
  EXPECT_EQ(datagram::BuildAudio(SoundType{code::kSoundGsm}, kGsmFrame, exact), 41u);
}

}  // namespace
