#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "net/transport.h"
#include "settings/clientdirectory.h"
#include "settings/cparams.h"

// A client list held in a map from address text to name. Like the real
// list, removing the client named by "AutoCallOutIp" clears that setting
// when a store is given. refused holds addresses the list will not take,
// as the real list refuses loopback addresses.
class CFakeClientDirectory : public ClientDirectory {
 public:
  explicit CFakeClientDirectory(CParams* params = nullptr) : params_(params) {}

  std::optional<std::string> NameOf(const NetAddress& address) override {
    const auto it = clients.find(address.Text());
    if (address.IsNone() || it == clients.end()) return std::nullopt;
    return it->second;
  }
  bool Contains(const std::string& addressText) override { return clients.count(addressText) != 0; }
  bool Add(const std::string& addressText, const std::string& name) override {
    if (refused.count(addressText) != 0 || addressText.empty() || name.empty() || Contains(addressText))
      return false;
    clients[addressText] = name;
    return true;
  }
  bool Remove(const std::string& addressText) override {
    if (clients.erase(addressText) == 0) return false;
    std::string autoCall;
    if (params_ && params_->GetString("AutoCallOutIp", autoCall) && autoCall == addressText) {
      params_->SetString("AutoCallOutIp", "");
    }
    return true;
  }

  AddressChange ChangeAddress(const std::string& from, const std::string& to) override {
    const auto it = clients.find(from);
    if (it == clients.end()) return AddressChange::kNotAClient;
    if (to == from) return AddressChange::kDone;
    if (refused.count(to) != 0 || to.empty()) return AddressChange::kRefused;
    if (Contains(to)) return AddressChange::kTaken;
    clients[to] = it->second;
    clients.erase(from);
    std::string autoCall;
    if (params_ && params_->GetString("AutoCallOutIp", autoCall) && autoCall == from) {
      params_->SetString("AutoCallOutIp", to);
    }
    return AddressChange::kDone;
  }

  std::map<std::string, std::string> clients;
  std::set<std::string> refused;

 private:
  CParams* params_;
};
