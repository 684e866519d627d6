#pragma once

#include <string>
#include <string_view>

// The text without the blanks and tabs around it, as a name typed into a
// field is kept.
inline std::string TrimmedText(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}
