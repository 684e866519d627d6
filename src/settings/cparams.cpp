#include "settings/cparams.h"

#include <cctype>
#include <optional>
#include <string_view>
#include <utility>

#include "core/boundedtext.h"
#include "core/decimaltext.h"
#include "core/keycipher.h"

namespace {

bool IsBlank(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// A run of non-blank characters, with the index just past it.
struct Run {
  std::string text;
  std::size_t end = 0;
};

std::optional<Run> NextRun(std::string_view line, std::size_t from) {
  while (from < line.size() && IsBlank(line[from])) ++from;
  const std::size_t start = from;
  while (from < line.size() && !IsBlank(line[from])) ++from;
  if (from == start) return std::nullopt;
  return Run{std::string(line.substr(start, from - start)), from};
}

// A stored settings line is "name = value". The value is everything after
// the name and the three characters " = ", so inner blanks survive; a line
// without a non-blank value does not count.
std::optional<std::pair<std::string, std::string>> ScanSettingLine(std::string_view line) {
  const auto name = NextRun(line, 0);
  if (!name || name->text.size() > CParams::kMaxNameChars) return std::nullopt;
  std::size_t i = name->end;
  while (i < line.size() && IsBlank(line[i])) ++i;
  if (i >= line.size() || line[i] != '=') return std::nullopt;
  if (!NextRun(line, i + 1)) return std::nullopt;
  const std::size_t valueStart = name->end + 3;
  std::string value = valueStart < line.size() ? std::string(line.substr(valueStart)) : std::string();
  return std::make_pair(name->text, std::move(value));
}

// A stored client line is "address name"; the name keeps its inner blanks.
std::optional<std::pair<std::string, std::string>> ScanClientLine(std::string_view line) {
  const auto address = NextRun(line, 0);
  if (!address || address->text.size() > CParams::kMaxNameChars) return std::nullopt;
  if (!NextRun(line, address->end)) return std::nullopt;
  const std::size_t nameStart = address->end + 1;
  std::string name = nameStart < line.size() ? std::string(line.substr(nameStart)) : std::string();
  return std::make_pair(address->text, std::move(name));
}

}  // namespace

CParams::CParams(KeyStore& store) : store_(store), clientsCursor_(clients_.end()) {
  Load();
}

CParams::~CParams() {
  Save();
}

void CParams::Load() {
  std::lock_guard lock(mutex_);
  if (const auto settings = store_.ReadSection(kSettingsSection)) {
    for (int n = 0;; ++n) {
      const auto it = settings->find(n);
      if (it == settings->end()) break;
      if (auto entry = ScanSettingLine(it->second)) SetStringLocked(entry->first, entry->second);
    }
  }
  if (const auto clients = store_.ReadSection(kClientsSection)) {
    for (int n = 0; n < kClientValues; ++n) {
      const auto it = clients->find(n);
      if (it == clients->end()) break;
      if (auto entry = ScanClientLine(it->second); entry && !entry->second.empty()) {
        clients_[entry->first] = entry->second;
      }
    }
  }
  clientsCursor_ = clients_.begin();
}

void CParams::Save() {
  KeyStore::Values values;
  {
    std::lock_guard lock(mutex_);
    int count = 0;
    for (const auto& [name, value] : settings_) {
      if (!name.empty() && name[0] == '_') continue;
      values[count++] = BoundedText(name + " = " + value, kMaxLineChars);
    }
  }
  store_.WriteSection(kSettingsSection, values);
}

void CParams::SaveClients() {
  KeyStore::Values values;
  {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& [address, name] : clients_) {
      if (n >= kClientValues) break;
      if (address.empty() || name.empty()) continue;
      values[n++] = BoundedText(address + " " + name, kMaxLineChars);
    }
    for (; n < kClientValues; ++n) values[n] = "";
  }
  store_.WriteSection(kClientsSection, values);
}

bool CParams::GetStringLocked(const std::string& name, std::string& out) {
  const std::string& value = settings_[name];
  out = value;
  return !value.empty();
}

void CParams::SetStringLocked(const std::string& name, const std::string& value) {
  settings_[name] = value;
}

bool CParams::GetString(const std::string& name, std::string& out) {
  std::lock_guard lock(mutex_);
  return GetStringLocked(name, out);
}

void CParams::SetString(const std::string& name, const std::string& value) {
  std::lock_guard lock(mutex_);
  SetStringLocked(name, value);
}

int32_t CParams::GetInt(const std::string& name) {
  std::string text;
  if (!GetString(name, text)) return 0;
  return DecimalToInt(text);
}

void CParams::SetInt(const std::string& name, int32_t value) {
  SetString(name, std::to_string(value));
}

void CParams::SetClient(const std::string& address, const std::string& name) {
  if (address.empty() || name.empty()) return;
  std::lock_guard lock(mutex_);
  clients_[address] = name;
}

void CParams::ClearClients() {
  std::lock_guard lock(mutex_);
  clients_.clear();
  clientsCursor_ = clients_.end();
}

void CParams::RewindClients() {
  std::lock_guard lock(mutex_);
  clientsCursor_ = clients_.begin();
}

bool CParams::NextClient(std::string& address, std::string& name) {
  std::lock_guard lock(mutex_);
  if (clientsCursor_ == clients_.end()) return false;
  if (clientsCursor_->first.empty() || clientsCursor_->second.empty()) return false;
  address = clientsCursor_->first;
  name = clientsCursor_->second;
  ++clientsCursor_;
  return true;
}

std::size_t CParams::ClientCount() const {
  std::lock_guard lock(mutex_);
  return clients_.size();
}


