#pragma once

#include <QWidget>
#include <functional>

// The main window. Closing it never ends the program by itself: the owner
// decides (to the tray while running, torn down only when quitting).
class TDlg : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kCaption = "Ondrel";

  explicit TDlg(QWidget* parent = nullptr);

  // Called on every close request; returns true when the window may close.
  void SetCloseHandler(std::function<bool()> handler) { closeHandler_ = std::move(handler); }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<bool()> closeHandler_;
};
