#pragma once

#include <map>
#include <optional>
#include <string>

#include "core/keystore.h"

// The settings' persistent store kept in memory, for tests without files.
class CMemoryKeyStore : public KeyStore {
 public:
  std::optional<Values> ReadSection(const std::string& section) override {
    const auto it = sections.find(section);
    if (it == sections.end()) return std::nullopt;
    return it->second;
  }
  bool WriteSection(const std::string& section, const Values& values) override {
    ++writes;
    if (failWrites) return false;
    sections[section] = values;
    return true;
  }

  std::map<std::string, Values> sections;
  int writes = 0;
  bool failWrites = false;
};
