#include "settings/callsettings.h"

#include "core/settingnames.h"
#include "core/settingsstore.h"

std::optional<std::string> CallSettings::UserName() const {
  std::string name;
  if (!store_.GetString(setting::kUserName, name)) return std::nullopt;
  return name;
}

bool CallSettings::PasswordOn() const {
  return store_.GetInt(setting::kKeyOn) != 0;
}

std::string CallSettings::StoredPassword() const {
  std::string key;
  store_.GetString(setting::kKey, key);
  return key;
}

bool CallSettings::OnlyClientsMayCall() const {
  return store_.GetInt(setting::kAutoConnectRestrict) != 0;
}

std::string CallSettings::AutoCallAddress() const {
  std::string address;
  store_.GetString(setting::kAutoCallOutIp, address);
  return address;
}

bool CallSettings::AutoCallWithDns() const {
  return store_.GetInt(setting::kAutoCallOutIpDns) != 0;
}
