#pragma once

#include <cstddef>
#include <string>

// The stored form of the call password: each byte shifted by its position,
// so the settings file never shows it as typed. Only the first kKeyBytes
// bytes (up to a NUL) take part, as the password field holds no more.
namespace keycipher {

inline constexpr std::size_t kKeyBytes = 200;

inline void EncodeKey(std::string& text) {
  for (std::size_t i = 0; i < kKeyBytes && i < text.size() && text[i] != '\0'; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    text[i] = static_cast<char>(static_cast<unsigned char>(b - i - 127));
  }
}

inline void DecodeKey(std::string& text) {
  for (std::size_t i = 0; i < kKeyBytes && i < text.size() && text[i] != '\0'; ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    text[i] = static_cast<char>(static_cast<unsigned char>(b + i + 127));
  }
}

}  // namespace keycipher
