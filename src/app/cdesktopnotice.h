#pragma once

#include <string>

class CDesktopSession;
class TDlg;

// A notice for the user: the desktop's notification service where there is
// one, else the tray icon's balloon. Main thread.
class CDesktopNotice {
 public:
  // session may be nullptr: then the balloon.
  CDesktopNotice(CDesktopSession* session, TDlg& window) : session_(session), window_(window) {}

  void Tell(const std::string& summary, const std::string& body);
  // A call ringing in is told only while the window is out of sight: in
  // sight, the ringing and the window show it.
  void TellIfOutOfSight(const std::string& summary, const std::string& body);

 private:
  CDesktopSession* session_;
  TDlg& window_;
};
