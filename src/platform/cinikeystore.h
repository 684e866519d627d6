#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/keystore.h"

// The settings file: an INI file whose sections hold numbered entries, each
// the exact text of one stored line. The file is UTF-8 with every byte of a
// value written as its Latin-1 character, so all byte values 1 to 255 come
// back; control characters and the backslash are escaped ("\x0a", "\\").
// Saving writes a temporary file and renames it over the old one, so a crash
// never leaves half a file behind.
class CIniKeyStore : public KeyStore {
 public:
  explicit CIniKeyStore(std::filesystem::path file);

  std::optional<Values> ReadSection(const std::string& section) override;
  bool WriteSection(const std::string& section, const Values& values) override;

  const std::filesystem::path& File() const { return file_; }

  // The on-disk text of one value, and back.
  static std::string EncodeValue(const std::string& bytes);
  static std::string DecodeValue(const std::string& text);

 private:
  void ReadFile();
  bool WriteFile() const;

  std::filesystem::path file_;
  std::vector<std::pair<std::string, Values>> sections_;
};
