#pragma once

#include <string>

// One row of the main window's client list as it is drawn: the mark in
// front (its image number), the name, and the address for the row's hint.
struct ClientRow {
  enum Mark { kOffline = 0, kOnline = 1, kBusy = 4 };
  Mark mark = kOffline;
  std::string address;  // dotted, 8-bit text
  std::string name;     // 8-bit text
};

// Where the window's list takes its rows from when it draws: the client list
// itself, so what is drawn is never a stale copy.
class ClientRows {
 public:
  virtual ~ClientRows() = default;
  // False past the last client.
  virtual bool RowAt(int row, ClientRow& out) const = 0;
};
