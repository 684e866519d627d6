#pragma once

#include <string>
#include <vector>

#include "core/settingsstore.h"

// Passes every call to a real store and keeps the names written, in order,
// with a "Save" entry for each save.
class CRecordingSettings : public SettingsStore {
 public:
  explicit CRecordingSettings(SettingsStore& store) : store_(store) {}

  bool GetString(const std::string& name, std::string& out) override { return store_.GetString(name, out); }
  void SetString(const std::string& name, const std::string& value) override {
    writes.push_back(name);
    store_.SetString(name, value);
  }
  int32_t GetInt(const std::string& name) override { return store_.GetInt(name); }
  void SetInt(const std::string& name, int32_t value) override {
    writes.push_back(name);
    store_.SetInt(name, value);
  }
  void Save() override {
    writes.push_back("Save");
    store_.Save();
  }

  std::vector<std::string> writes;

 private:
  SettingsStore& store_;
};
