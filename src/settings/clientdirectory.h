#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/netaddress.h"

// What the call side asks of the client list: whether a caller is a client
// and under which name, and the re-addressing of a client whose name
// resolved to a new address. The live client list implements it.
class ClientDirectory {
 public:
  enum class AddressChange {
    kDone,        // the client has the new address (or had it already)
    kNotAClient,  // no client has the old one
    kTaken,       // another client has the new one
    kRefused,     // the list takes no client at the new one (a loopback address)
  };

  virtual ~ClientDirectory() = default;

  // The client's name when the address (whatever its port) is a client's.
  virtual std::optional<std::string> NameOf(const NetAddress& address) = 0;
  // Whether a client has exactly this address text.
  virtual bool Contains(const std::string& addressText) = 0;
  virtual bool Add(const std::string& addressText, const std::string& name) = 0;
  virtual bool Remove(const std::string& addressText) = 0;
  // The client at from takes the address to in place: its row and name
  // stay, and the automatic call follows it. Otherwise nothing changes.
  virtual AddressChange ChangeAddress(const std::string& from, const std::string& to) = 0;
};
