#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/clientbook.h"
#include "core/textlookup.h"
#include "settings/ccontact.h"
#include "settings/clientdirectory.h"

class CParams;
class ClientListObserver;
class MessageBoxPort;

// The live client list. It keeps each client twice: by address text, the
// order of every walk, the export file and the stored copy; and in the order
// the clients were added, which is the order of the rows of the main
// window's list. Every operation runs on the main thread.
class CContacts : public ClientDirectory, public ClientBook {
 public:
  using ImportAction = ClientBook::RecordAction;

  // The observer outlives the list.
  CContacts(CParams& store, ClientListObserver& observer, MessageBoxPort& boxes, TextLookup language = {});
  ~CContacts() override;
  CContacts(const CContacts&) = delete;
  CContacts& operator=(const CContacts&) = delete;

  // Start-up: adds every client of the store's stored copy. Writes nothing.
  void LoadFromStore();
  // Rebuilds the store's stored copy from the list and saves it.
  void WriteStoredCopy() override;

  // Refuses, without a message, an empty text, an address beginning
  // "127.0." and an address that is already a client.
  bool Add(const std::string& address, const std::string& name) override;
  bool Remove(const std::string& address) override;
  AddressChange ChangeAddress(const std::string& from, const std::string& to) override;
  // Asks the user first; false on No or when the row names no client.
  bool ConfirmRemove(int row);

  std::size_t Count() const { return byDisplay_.size(); }
  // Pointers stay valid until their client is removed.
  const CContact* At(int row) const;
  bool ClientAt(int row, std::string& address, std::string& name) const override;
  const CContact* FindByAddress(const NetAddress& address) const;
  bool Contains(const std::string& address) override;
  std::optional<std::string> NameOf(const NetAddress& address) override;

  // Presence marks, as the signalling learns them; addresses of no client
  // change nothing.
  void MarkOnline(const NetAddress& address);
  void BusyChanged(const NetAddress& address, bool busy);
  void GoneOffline(const NetAddress& address);
  // Once a second: probe is called for every client whose probe is due.
  void Tick(const std::function<void(const NetAddress& address)>& probe);

  // Two independent walks in address-text order: the first for shutdown and
  // the dialogs, the second only for the busy and free announcements, so
  // that neither disturbs the other.
  void Rewind() override;
  bool Next(std::string& address, std::string& name) override;
  void RewindBroadcast();
  bool NextBroadcast(std::string& address, std::string& name);

  // The file choosers belong to the client dialog; these take the chosen
  // path. Export is false when the file could not be written.
  bool Export(const std::string& path) const override;
  // Runs add (the dialog's Add action, with its checks) for every record,
  // then writes the stored copy. False, with nothing added or written, when
  // the file cannot be read.
  bool Import(const std::string& path, const ImportAction& add) override;

 private:
  using ByAddress = std::map<std::string, std::unique_ptr<CContact>>;

  CContact* Find(const NetAddress& address);
  bool Step(ByAddress::const_iterator& cursor, std::string& address, std::string& name) const;

  CParams& store_;
  ClientListObserver& observer_;
  MessageBoxPort& boxes_;
  TextLookup language_;
  ByAddress byAddress_;
  std::vector<CContact*> byDisplay_;
  ByAddress::const_iterator cursor_;
  ByAddress::const_iterator broadcastCursor_;
};
