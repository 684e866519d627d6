#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/codes.h"
#include "net/datagramreader.h"
#include "net/datagramwriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A receive buffer holding more than was received: whatever lies beyond the
// received count must not be read.
struct Received {
  Bytes buffer;
  std::size_t count;
  std::span<const uint8_t> Span() const { return std::span<const uint8_t>(buffer.data(), count); }
};

Received Receive(std::string content, std::size_t count) {
  return Received{Bytes(content.begin(), content.end()), count};
}

TEST(DatagramReadCode, MissingBytesReadAsZero) {
  const Bytes full = {0x2D, 0x23, 0x01, 0x02, 0x7F};
  const struct {
    std::size_t count;
    uint32_t code;
  } cases[] = {{0, 0}, {1, 0x2D}, {2, code::kPresenceQuery}, {3, 0x01232D}, {4, 0x0201232D}, {5, 0x0201232D}};
  for (const auto& c : cases) {
    EXPECT_EQ(datagram::ReadCode(std::span<const uint8_t>(full.data(), c.count)), c.code)
        << c.count << " bytes";
  }
}

TEST(DatagramReadText, StopsAtTheZeroOrTheLastReceivedByte) {
  const std::string header("\x3F\x23\0\0\0\0\0\0", 8);
  const struct {
    const char* name;
    Received received;
    std::string text;
  } cases[] = {
      {"terminated", Receive(header + std::string("Bob\0xyz", 7), 15), "Bob"},
      {"unterminated up to the count", Receive(header + "AAAAAAAAAAAA", 12), "AAAA"},
      {"no text area", Receive(header + "AAAA", 6), ""},
      {"empty", Receive(header + std::string(512, '\0'), 520), ""},
      {"kept whole beyond the field", Receive(header + std::string(600, 'n'), 608), std::string(600, 'n')},
  };
  for (const auto& c : cases) EXPECT_EQ(datagram::ReadText(c.received.Span()), c.text) << c.name;
}

TEST(DatagramReadNumber, ConvertsLikeTheDecimalConversion) {
  const std::string header("\x58\x23\0\0\0\0\0\0", 8);
  const struct {
    Received received;
    int32_t value;
  } cases[] = {
      {Receive(header + "9058", 12), 9058},
      {Receive(header + "abc", 11), 0},
      {Receive(header + std::string(" \t-12x\0", 7), 15), -12},
      {Receive(header + "+5", 10), 5},
      {Receive(header, 8), 0},
      {Receive(header + "12345", 10), 12},  // received only "12"
      {Receive(header + "99999999999", 19), std::numeric_limits<int32_t>::max()},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(datagram::ReadNumber(c.received.Span()), c.value)
        << std::string(c.received.buffer.begin() + 8, c.received.buffer.end());
  }
}

TEST(DatagramReadSpeex, LengthComesFromTheFieldOnly) {
  const std::string header("\x62\x23\0\0", 4);
  const struct {
    const char* name;
    Received received;
    int32_t length;
  } cases[] = {
      {"terminated", Receive(header + std::string("18\0\0\0", 5) + "payload", 16), 18},
      {"field full, digits run on", Receive(header + "1234567", 11), 12345},
      {"cut by the count", Receive(header + "1234567", 5), 1},
      {"no field", Receive(header, 4), 0},
      {"not a number", Receive(header + std::string("ab\0\0\0", 5), 9), 0},
      {"negative", Receive(header + std::string("-5\0\0\0", 5), 9), -5},
  };
  for (const auto& c : cases) EXPECT_EQ(datagram::ReadSpeexLength(c.received.Span()), c.length) << c.name;
}

TEST(DatagramReadSpeex, PayloadIsTheDeclaredLengthCutToWhatArrived) {
  const std::string header("\x62\x23\0\0", 4);
  const std::string payload(20, 'p');
  const struct {
    const char* name;
    std::string field;
    std::size_t count;
    std::size_t size;
  } cases[] = {
      {"whole", std::string("18\0\0\0", 5), 27, 18},
      {"declared beyond the received bytes", std::string("18\0\0\0", 5), 20, 11},
      {"declared shorter than received", std::string("4\0\0\0\0", 5), 29, 4},
      {"zero", std::string("0\0\0\0\0", 5), 29, 0},
      {"negative", std::string("-5\0\0\0", 5), 29, 0},
      {"nothing after the field", std::string("18\0\0\0", 5), 9, 0},
  };
  for (const auto& c : cases) {
    const Received received = Receive(header + c.field + payload, c.count);
    const auto span = datagram::SpeexPayload(received.Span());
    EXPECT_EQ(span.size(), c.size) << c.name;
    if (!span.empty()) {
      EXPECT_EQ(span.data(), received.buffer.data() + 9) << c.name;
    }
  }
}

TEST(DatagramReadPayload, MissingTailReadsAsSilence) {
  Bytes datagram = {0x5B, 0x23, 0, 0, 0, 0, 0, 0};
  datagram.insert(datagram.end(), 100, 0x42);
  std::vector<uint8_t> frame(320, 0xEE);

  datagram::ReadPayload(datagram, frame);
  EXPECT_EQ(Bytes(frame.begin(), frame.begin() + 100), Bytes(100, 0x42));
  EXPECT_EQ(Bytes(frame.begin() + 100, frame.end()), Bytes(220, 0));

  frame.assign(320, 0xEE);
  datagram::ReadPayload(std::span<const uint8_t>(datagram.data(), 5), frame);
  EXPECT_EQ(frame, Bytes(320, 0));
}

TEST(DatagramReadPayload, TakesOnlyTheFrameFromALongerDatagram) {
  Bytes gsm(33);
  for (std::size_t i = 0; i < gsm.size(); ++i) gsm[i] = static_cast<uint8_t>(i + 1);
  datagram::AudioDatagram out{};
  const std::size_t length = datagram::BuildAudio(SoundType{code::kSoundGsm}, gsm, out);
  std::array<uint8_t, 33> frame{};
  datagram::ReadPayload(std::span<const uint8_t>(out.data(), length + 10), frame);
  EXPECT_EQ(Bytes(frame.begin(), frame.end()), gsm);
}

TEST(DatagramRoundTrip, ReadersGiveBackWhatBuildersWrote) {
  const auto signalling = datagram::BuildSignalling(code::kCallRequest, "LllL\xC3\x81\x7F");
  EXPECT_EQ(datagram::ReadText(signalling), "LllL\xC3\x81\x7F");
  EXPECT_EQ(datagram::ReadCode(signalling), code::kCallRequest);

  EXPECT_EQ(datagram::ReadNumber(datagram::BuildNumber(code::kSpeexVbrQuality, -42)), -42);

  const Bytes frame(1280, 0x5C);
  datagram::AudioDatagram out{};
  const std::size_t length = datagram::BuildAudio(SoundType{9062}, frame, out);
  const std::span<const uint8_t> received(out.data(), length);
  EXPECT_EQ(datagram::ReadSpeexLength(received), 1280);
  const auto payload = datagram::SpeexPayload(received);
  EXPECT_EQ(Bytes(payload.begin(), payload.end()), frame);
}

}  // namespace
