#pragma once

#include <QWidget>
#include <array>
#include <functional>

class QListWidget;
class QTabWidget;
class QToolButton;
class TLinePage;

// The main window: a page control with the client list (page 0) and one
// page per call line (pages 1 and 2), and the Connect and Disconnect
// buttons. Closing it never ends the program by itself: the owner decides
// (to the tray while running, torn down only when quitting).
class TDlg : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kCaption = "Ondrel";
  static constexpr int kLines = 2;

  explicit TDlg(QWidget* parent = nullptr);

  // Called on every close request; returns true when the window may close.
  void SetCloseHandler(std::function<bool()> handler) { closeHandler_ = std::move(handler); }

  QListWidget* ListBox1;
  QTabWidget* PageControl1;
  QToolButton* SBYes;
  QToolButton* SBNo;

  // Line pages by line number, 1 or 2.
  TLinePage& LinePage(int line) const;
  static bool IsLine(int line) { return line >= 1 && line <= kLines; }

  bool IsTabShown(int page) const;
  void ShowTab(int page, bool shown);
  void SetTabImage(int page, int image);
  int TabImage(int page) const;
  int PageInFront() const;
  void BringToFront(int page);

  void SetCommandAvailability(bool connect, bool disconnect, bool add, bool edit);
  bool AddEnabled() const { return addEnabled_; }
  bool EditEnabled() const { return editEnabled_; }

 signals:
  void PageChanged(int page);
  void ConnectClicked();
  void DisconnectClicked();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<bool()> closeHandler_;
  std::array<TLinePage*, kLines> linePages_{};
  std::array<int, kLines + 1> tabImages_{2, 2, 2};
  bool addEnabled_ = true;
  bool editEnabled_ = false;
};
