#pragma once

#include <functional>
#include <string>

// The client list as the dialogs see it: add and remove clients, walk them
// in address-text order, the rows of the main window's list, the stored copy
// and the text file of exported clients. Main thread only.
class ClientBook {
 public:
  using RecordAction = std::function<void(const std::string& address, const std::string& name)>;

  virtual ~ClientBook() = default;

  // False when the list refuses the client (an address it holds already,
  // or one it never takes).
  virtual bool Add(const std::string& address, const std::string& name) = 0;
  virtual bool Remove(const std::string& address) = 0;
  virtual bool Contains(const std::string& address) = 0;
  virtual void Rewind() = 0;
  virtual bool Next(std::string& address, std::string& name) = 0;
  // The client of a row of the main window's list; false past the last.
  virtual bool ClientAt(int row, std::string& address, std::string& name) const = 0;
  // Rebuilds the stored copy from the list and saves it.
  virtual void WriteStoredCopy() = 0;

  // False, with nothing written, when the file cannot be written.
  virtual bool Export(const std::string& path) const = 0;
  // Runs add for every record of the file, then writes the stored copy.
  // False, with nothing added or written, when the file cannot be read.
  virtual bool Import(const std::string& path, const RecordAction& add) = 0;
};
