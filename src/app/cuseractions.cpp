#include "app/cuseractions.h"

#include "app/cobjectgraph.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "settings/ccontacts.h"
#include "ui/dlgmain.h"

CUserActions::CUserActions(CObjectGraph& graph) : graph_(graph) {}

void CUserActions::OnConnectClicked() {
  const int page = graph_.window->PageInFront();
  if (CClient* line = graph_.Line(page)) {
    line->Answer();
    return;
  }
  if (page != 0) return;
  const CContact* client = graph_.contacts->At(graph_.window->SelectedClientRow());
  if (client) graph_.lines->PlaceCall(client->Ip(), client->Name());
}

void CUserActions::OnDisconnectClicked() {
  if (CClient* line = graph_.Line(graph_.window->PageInFront())) line->HangUp();
}

void CUserActions::SendToTray() {
  graph_.window->SendToTray();
}
