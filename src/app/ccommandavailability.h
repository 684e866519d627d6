#pragma once

#include "app/cappstate.h"

class CClients;
class CContacts;
class MainWindowView;

// What may be done on the page in front: Connect and Disconnect, adding the
// peer of a line page to the clients, editing the selected client. The
// current line follows a line page in front. Asked again after everything
// that may change it; main thread.
class CCommandAvailability {
 public:
  CCommandAvailability(CAppState& state, MainWindowView& window, CClients& lines, CContacts& contacts)
      : state_(state), window_(window), lines_(lines), contacts_(contacts) {}

  void Recompute();

 private:
  CAppState& state_;
  MainWindowView& window_;
  CClients& lines_;
  CContacts& contacts_;
};
