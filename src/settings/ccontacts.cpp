#include "settings/ccontacts.h"

#include <algorithm>
#include <string_view>

#include "core/boundedtext.h"
#include "core/codes.h"
#include "core/messageboxport.h"
#include "core/settingnames.h"
#include "settings/ccontactfile.h"
#include "settings/clientlistobserver.h"
#include "settings/cparams.h"

namespace {

// Only this prefix is refused, so that two copies on one machine can list
// each other as 127.1.0.1 and 127.1.0.2.
constexpr std::string_view kRefusedLoopback = "127.0.";

// Addresses are cut to their field on the way in, so every lookup cuts the
// same way: the text that added a client also finds and removes it.
std::string KeyOf(const std::string& address) {
  return BoundedText(address, CContact::kMaxIpChars);
}

}  // namespace

CContacts::CContacts(CParams& store, ClientListObserver& observer, MessageBoxPort& boxes, TextLookup language)
    : store_(store),
      observer_(observer),
      boxes_(boxes),
      language_(std::move(language)),
      cursor_(byAddress_.end()),
      broadcastCursor_(byAddress_.end()) {}

CContacts::~CContacts() = default;

void CContacts::LoadFromStore() {
  store_.RewindClients();
  std::string address;
  std::string name;
  while (store_.NextClient(address, name)) Add(address, name);
}

void CContacts::WriteStoredCopy() {
  store_.ClearClients();
  for (const auto& [key, contact] : byAddress_) store_.SetClient(contact->Ip(), contact->Name());
  store_.SaveClients();
}

bool CContacts::Add(const std::string& address, const std::string& name) {
  auto contact = std::make_unique<CContact>(address, name);
  if (contact->Ip().empty() || contact->Name().empty()) return false;
  if (contact->Ip().starts_with(kRefusedLoopback)) return false;
  const auto [it, added] = byAddress_.try_emplace(contact->Ip(), nullptr);
  if (!added) return false;
  it->second = std::move(contact);
  byDisplay_.push_back(it->second.get());
  observer_.ClientAdded();
  return true;
}

bool CContacts::Remove(const std::string& address) {
  const std::string key = KeyOf(address);
  const auto it = byAddress_.find(key);
  if (it == byAddress_.end()) return false;
  // A walk that stands on the removed client goes on with the next one.
  if (cursor_ == it) ++cursor_;
  if (broadcastCursor_ == it) ++broadcastCursor_;
  const std::unique_ptr<CContact> removed = std::move(it->second);
  byAddress_.erase(it);

  std::string autoCall;
  if (store_.GetString(setting::kAutoCallOutIp, autoCall) && autoCall == key)
    store_.SetString(setting::kAutoCallOutIp, "");

  const auto row = std::find(byDisplay_.begin(), byDisplay_.end(), removed.get());
  const auto index = row - byDisplay_.begin();
  byDisplay_.erase(row);
  observer_.ClientRemoved(static_cast<int>(index));
  return true;
}

ClientDirectory::AddressChange CContacts::ChangeAddress(const std::string& from, const std::string& to) {
  const auto it = byAddress_.find(KeyOf(from));
  if (it == byAddress_.end()) return AddressChange::kNotAClient;
  auto moved = std::make_unique<CContact>(to, it->second->Name());
  if (moved->Ip() == it->first) return AddressChange::kDone;
  if (moved->Ip().empty() || moved->Ip().starts_with(kRefusedLoopback)) return AddressChange::kRefused;
  if (byAddress_.contains(moved->Ip())) return AddressChange::kTaken;

  // A walk that stands on the client goes on with the next one; the client
  // itself moves to its place in address order.
  if (cursor_ == it) ++cursor_;
  if (broadcastCursor_ == it) ++broadcastCursor_;
  std::replace(byDisplay_.begin(), byDisplay_.end(), it->second.get(), moved.get());
  const std::string key = moved->Ip();
  byAddress_.erase(it);
  byAddress_.emplace(key, std::move(moved));

  std::string autoCall;
  if (store_.GetString(setting::kAutoCallOutIp, autoCall) && autoCall == KeyOf(from))
    store_.SetString(setting::kAutoCallOutIp, key);
  observer_.MarksChanged();
  return AddressChange::kDone;
}

bool CContacts::ConfirmRemove(int row) {
  const std::string caption = TextOr(language_, "Remove", "Remove");
  const std::string question = TextOr(language_, "RemoveClient", "Remove this client?");
  if (!boxes_.AskYesNo(caption, question)) return false;
  const CContact* contact = At(row);
  if (contact == nullptr) return false;
  // Remove destroys the client, so its address must not be read from it.
  const std::string address = contact->Ip();
  return Remove(address);
}

const CContact* CContacts::At(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= byDisplay_.size()) return nullptr;
  return byDisplay_[static_cast<std::size_t>(row)];
}

const CContact* CContacts::FindByAddress(const NetAddress& address) const {
  if (address.IsNone()) return nullptr;
  const auto it = byAddress_.find(address.Text());
  return it == byAddress_.end() ? nullptr : it->second.get();
}

CContact* CContacts::Find(const NetAddress& address) {
  return const_cast<CContact*>(FindByAddress(address));
}

bool CContacts::Contains(const std::string& address) {
  return byAddress_.contains(KeyOf(address));
}

std::optional<std::string> CContacts::NameOf(const NetAddress& address) {
  const CContact* contact = FindByAddress(address);
  if (contact == nullptr) return std::nullopt;
  return contact->Name();
}

void CContacts::MarkOnline(const NetAddress& address) {
  if (CContact* contact = Find(address)) contact->MarkOnline();
}

void CContacts::BusyChanged(const NetAddress& address, bool busy) {
  // Peers repeat their busy state with every probe; only a change repaints.
  CContact* contact = Find(address);
  if (contact != nullptr && contact->SetBusy(busy)) observer_.MarksChanged();
}

void CContacts::GoneOffline(const NetAddress& address) {
  if (CContact* contact = Find(address)) contact->MarkOffline();
}

void CContacts::Tick(const std::function<void(const NetAddress&)>& probe) {
  bool changed = false;
  for (CContact* contact : byDisplay_) {
    if (contact->Tick()) probe(contact->Address());
    if (contact->TakeChange()) changed = true;
  }
  if (changed) observer_.MarksChanged();
}

bool CContacts::Step(ByAddress::const_iterator& cursor, std::string& address, std::string& name) const {
  address.clear();
  name.clear();
  if (cursor == byAddress_.end()) return false;
  address = cursor->second->Ip();
  name = cursor->second->Name();
  ++cursor;
  return true;
}

void CContacts::Rewind() {
  cursor_ = byAddress_.begin();
}

bool CContacts::Next(std::string& address, std::string& name) {
  return Step(cursor_, address, name);
}

void CContacts::RewindBroadcast() {
  broadcastCursor_ = byAddress_.begin();
}

bool CContacts::NextBroadcast(std::string& address, std::string& name) {
  return Step(broadcastCursor_, address, name);
}

bool CContacts::ClientAt(int row, std::string& address, std::string& name) const {
  const CContact* contact = At(row);
  if (!contact) return false;
  address = contact->Ip();
  name = contact->Name();
  return true;
}

bool CContacts::Export(const std::string& path) const {
  std::vector<CContactFile::Entry> entries;
  entries.reserve(byAddress_.size());
  for (const auto& [key, contact] : byAddress_) entries.push_back({contact->Ip(), contact->Name()});
  return CContactFile::Write(path, entries);
}

bool CContacts::Import(const std::string& path, const ImportAction& add) {
  const auto bytes = CContactFile::Read(path);
  if (!bytes) return false;
  CContactFile::Walk(*bytes, add);
  WriteStoredCopy();
  return true;
}
