#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "core/keycipher.h"
#include "core/keystore.h"
#include "core/settingsstore.h"

// The program's single store of named values: the settings that persist
// between runs, the runtime slots (names beginning with "_", never stored),
// and the stored copy of the client list.
//
// Nearly every access is on the main thread, but the receive thread reads
// "log" and the audio side reads settings too, so the maps sit behind a lock.
// Audio callbacks must not call in here: they take what they need from
// values cached by their owners on the main thread.
class CParams : public SettingsStore {
 public:
  static constexpr const char* kSettingsSection = "params2";
  static constexpr const char* kClientsSection = "contacts";
  static constexpr int kClientValues = 200;
  static constexpr std::size_t kMaxNameChars = 511;
  static constexpr std::size_t kMaxLineChars = 1023;
  static constexpr std::size_t kKeyBytes = keycipher::kKeyBytes;

  explicit CParams(KeyStore& store);
  ~CParams() override;
  CParams(const CParams&) = delete;
  CParams& operator=(const CParams&) = delete;

  void Load();
  void Save() override;
  void SaveClients();

  // False and "" when the name is missing or its value empty; a missing name
  // is inserted with an empty value, so the next Save writes it as "name = ".
  bool GetString(const std::string& name, std::string& out) override;
  void SetString(const std::string& name, const std::string& value) override;
  int32_t GetInt(const std::string& name) override;
  void SetInt(const std::string& name, int32_t value) override;

  void SetClient(const std::string& address, const std::string& name);
  void ClearClients();
  void RewindClients();
  bool NextClient(std::string& address, std::string& name);
  std::size_t ClientCount() const;

 private:
  bool GetStringLocked(const std::string& name, std::string& out);
  void SetStringLocked(const std::string& name, const std::string& value);

  KeyStore& store_;
  mutable std::mutex mutex_;
  std::map<std::string, std::string> settings_;
  std::map<std::string, std::string> clients_;
  std::map<std::string, std::string>::const_iterator clientsCursor_;
};
