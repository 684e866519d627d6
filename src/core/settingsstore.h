#pragma once

#include <cstdint>
#include <string>

// The named settings as the dialogs edit them: read, write, and save to the
// settings file. Every call is on the main thread.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // False and "" when the setting is missing or empty.
  virtual bool GetString(const std::string& name, std::string& out) = 0;
  virtual void SetString(const std::string& name, const std::string& value) = 0;
  // 0 when the setting is missing or not a number.
  virtual int32_t GetInt(const std::string& name) = 0;
  virtual void SetInt(const std::string& name, int32_t value) = 0;
  virtual void Save() = 0;
};
