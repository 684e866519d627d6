#include "core/decimaltext.h"

#include <cctype>
#include <limits>

namespace {

struct Scan {
  bool negative = false;
  bool anyDigit = false;
  bool overflow = false;
  uint64_t magnitude = 0;
  std::size_t end = 0;
};

Scan ScanDecimal(std::string_view text) {
  Scan s;
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    s.negative = text[i] == '-';
    ++i;
  }
  constexpr uint64_t kLimit = std::numeric_limits<uint64_t>::max() / 10;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    s.anyDigit = true;
    const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
    if (s.magnitude > kLimit || s.magnitude * 10 > std::numeric_limits<uint64_t>::max() - digit) {
      s.overflow = true;
    } else {
      s.magnitude = s.magnitude * 10 + digit;
    }
  }
  s.end = i;
  return s;
}

}  // namespace

int32_t DecimalToInt(std::string_view text) {
  const Scan s = ScanDecimal(text);
  if (!s.anyDigit) return 0;
  constexpr uint64_t kMaxPositive = std::numeric_limits<int32_t>::max();
  if (s.negative) {
    if (s.overflow || s.magnitude > kMaxPositive + 1) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(-static_cast<int64_t>(s.magnitude));
  }
  if (s.overflow || s.magnitude > kMaxPositive) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(s.magnitude);
}

bool IsDecimalInteger(std::string_view text) {
  const Scan s = ScanDecimal(text);
  return s.anyDigit && s.end == text.size();
}
