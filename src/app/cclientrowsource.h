#pragma once

#include "core/clientrows.h"

class CContacts;

// The main window's list rows, read from the client list as it is drawn:
// the presence mark, the name and the address of each client in row order.
class CClientRowSource : public ClientRows {
 public:
  explicit CClientRowSource(const CContacts& contacts) : contacts_(contacts) {}
  bool RowAt(int row, ClientRow& out) const override;

 private:
  const CContacts& contacts_;
};
