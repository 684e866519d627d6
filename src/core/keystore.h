#pragma once

#include <map>
#include <optional>
#include <string>

// The per-user persistent store behind the settings: named sections, each a
// numbered list of one-line texts. The texts are 8-bit strings as the program
// uses them; how they are kept on disk is the implementation's business.
class KeyStore {
 public:
  using Values = std::map<int, std::string>;

  virtual ~KeyStore() = default;

  // nullopt when the section has never been written (a first run).
  virtual std::optional<Values> ReadSection(const std::string& section) = 0;

  // Replaces the whole section, so no entry of an earlier, longer write is
  // left behind. False when nothing could be written.
  virtual bool WriteSection(const std::string& section, const Values& values) = 0;
};
