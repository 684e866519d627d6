#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

class QMenu;

// The program's icon in the desktop's notification area, with its menu
// ("Show", "Quit") and its frames: idle, two while the current line rings,
// three while it is in a call. A desktop without a tray host shows no icon;
// the window then stays on the task bar instead of leaving the screen.
class TTrayIcon : public QObject {
  Q_OBJECT
 public:
  static constexpr int kIdleFrame = 7;
  static constexpr int kFirstFrame = 7;
  static constexpr int kLastFrame = 12;

  // trayHost tells whether a tray host runs now (tests stand one in).
  explicit TTrayIcon(const QString& hint, std::function<bool()> trayHost, QObject* parent = nullptr);
  ~TTrayIcon() override;

  bool HostAvailable() const { return trayHost_(); }
  void SetFrame(int frame);
  int Frame() const { return frame_; }
  QMenu& Menu() const { return *menu_; }
  bool IsShown() const { return icon_.isVisible(); }
  // A balloon from the icon, where the icon is shown.
  void ShowMessage(const QString& title, const QString& text);
  // Translated captions of "Show" and "Quit"; an empty one keeps its text.
  void ApplyLanguage(const QString& show, const QString& quit);

 signals:
  void ShowRequested();
  void QuitRequested();

 private:
  std::function<bool()> trayHost_;
  std::unique_ptr<QMenu> menu_;  // outlives the icon that shows it
  QSystemTrayIcon icon_;
  int frame_ = kIdleFrame;
};
