#include "app/cclientrowsource.h"

#include "settings/ccontact.h"
#include "settings/ccontacts.h"

bool CClientRowSource::RowAt(int row, ClientRow& out) const {
  const CContact* client = contacts_.At(row);
  if (!client) return false;
  out.address = client->Ip();
  out.name = client->Name();
  if (!client->IsOnline()) {
    out.mark = ClientRow::kOffline;
  } else {
    out.mark = client->IsBusy() ? ClientRow::kBusy : ClientRow::kOnline;
  }
  return true;
}
