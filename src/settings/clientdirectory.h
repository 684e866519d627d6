#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the call side asks of the client list: whether a caller is a client
// and under which name, and the re-addressing of a client whose name
// resolved to a new address. The live client list implements it.
class ClientDirectory {
 public:
  virtual ~ClientDirectory() = default;

  // The client's name when the address (IPv4, network order) is a client.
  virtual std::optional<std::string> NameOf(uint32_t address) = 0;
  // Whether a client has exactly this address text.
  virtual bool Contains(const std::string& addressText) = 0;
  virtual bool Add(const std::string& addressText, const std::string& name) = 0;
  virtual bool Remove(const std::string& addressText) = 0;
};
