#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Every copy into a fixed-size text field goes through here, so a long text
// is cut to the field instead of overrunning it.

// The text cut to at most maxChars characters and to its first zero byte.
inline std::string BoundedText(std::string_view text, std::size_t maxChars) {
  const auto zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  return std::string(text.substr(0, std::min(text.size(), maxChars)));
}

// Copies text into a zero-terminated field of N bytes, zero-filling the rest.
template <std::size_t N>
void CopyToField(std::array<char, N>& field, std::string_view text) {
  static_assert(N > 0);
  field.fill('\0');
  const std::string cut = BoundedText(text, N - 1);
  std::copy(cut.begin(), cut.end(), field.begin());
}

// The zero-terminated text held in a field, never reading past its end.
template <std::size_t N>
std::string FieldText(const std::array<char, N>& field) {
  return BoundedText(std::string_view(field.data(), N), N);
}
