#include "app/ccommandavailability.h"

#include "core/mainwindowview.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "settings/ccontacts.h"

void CCommandAvailability::Recompute() {
  if (state_.quitting.load() > 0 || state_.shownOnce == 0) return;
  MainWindowView::Availability can;
  const int front = window_.PageInFront();
  if (const CClient* line = lines_.Line(front)) {
    state_.currentLine = front;
    can.add = line->State() != LineState::kIdle && !contacts_.Contains(line->PeerAddressText());
    can.disconnect = line->CanHangUp();
    can.connect = line->CanAnswer();
  } else if (front == 0) {
    if (contacts_.At(window_.SelectedClientRow()) != nullptr) can.connect = can.edit = true;
  }
  window_.SetCommandAvailability(can);
}
