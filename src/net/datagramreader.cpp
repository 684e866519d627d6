#include "net/datagramreader.h"

#include <algorithm>

#include "core/decimaltext.h"

namespace datagram {

namespace {

// The received bytes from offset on, at most count of them.
std::span<const uint8_t> Field(std::span<const uint8_t> bytes, std::size_t offset, std::size_t count) {
  if (offset >= bytes.size()) return {};
  return bytes.subspan(offset, std::min(count, bytes.size() - offset));
}

std::string_view TextIn(std::span<const uint8_t> field) {
  const auto zero = std::find(field.begin(), field.end(), uint8_t{0});
  return std::string_view(reinterpret_cast<const char*>(field.data()),
                          static_cast<std::size_t>(zero - field.begin()));
}

}  // namespace

uint32_t ReadCode(std::span<const uint8_t> bytes) {
  uint32_t code = 0;
  const auto field = Field(bytes, 0, kCodeBytes);
  for (std::size_t i = 0; i < field.size(); ++i) code |= static_cast<uint32_t>(field[i]) << (8 * i);
  return code;
}

std::string_view ReadText(std::span<const uint8_t> bytes) {
  return TextIn(Field(bytes, kTextOffset, bytes.size()));
}

int32_t ReadNumber(std::span<const uint8_t> bytes) {
  return DecimalToInt(ReadText(bytes));
}

int32_t ReadSpeexLength(std::span<const uint8_t> bytes) {
  return DecimalToInt(TextIn(Field(bytes, kSpeexLengthOffset, kSpeexLengthFieldBytes)));
}

std::span<const uint8_t> SpeexPayload(std::span<const uint8_t> bytes) {
  const int32_t declared = ReadSpeexLength(bytes);
  if (declared <= 0) return {};
  return Field(bytes, kSpeexPayloadOffset, static_cast<std::size_t>(declared));
}

void ReadPayload(std::span<const uint8_t> bytes, std::span<uint8_t> out) {
  const auto field = Field(bytes, kAudioPayloadOffset, out.size());
  std::copy(field.begin(), field.end(), out.begin());
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(field.size()), out.end(), uint8_t{0});
}

}  // namespace datagram
