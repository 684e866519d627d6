#pragma once

#include <QObject>
#include <QString>

// What the program asks of the desktop session over D-Bus: a notification
// (the desktop's notification service) and, while a call is connected,
// that the session does not go idle or suspend (the screen saver's inhibit
// interface). Either service may be missing; the program then does without.
// Main thread only; no call waits for the session's answer.
class CDesktopSession : public QObject {
  Q_OBJECT
 public:
  explicit CDesktopSession(QString appId, QObject* parent = nullptr);
  ~CDesktopSession() override;

  // False when no notification service is there to show it.
  bool Notify(const QString& summary, const QString& body);
  // Holds off idling and suspend while on; acts only on a change.
  void KeepAwake(bool on);
  bool KeepingAwake() const { return awake_; }

 private:
  void Inhibit();
  void UnInhibit();

  QString appId_;
  bool awake_ = false;
  // The cookie of the inhibition the session granted; 0 while none is held.
  uint cookie_ = 0;
  // Asked for, not yet granted.
  bool inhibitPending_ = false;
};
