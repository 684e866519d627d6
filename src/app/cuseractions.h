#pragma once

struct CObjectGraph;

// What the user does from the window: connect, disconnect, quit, send to
// the tray. Each acts on the page in front, as the buttons do.
class CUserActions {
 public:
  explicit CUserActions(CObjectGraph& graph);

  // Connect: on the client list, call the selected client; on a line page,
  // answer that page's line.
  void OnConnectClicked();
  // Disconnect: hang up the line of the page in front; nothing on page 0.
  void OnDisconnectClicked();
  void SendToTray();

 private:
  CObjectGraph& graph_;
};
