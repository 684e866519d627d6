#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "core/mainwindowview.h"

class QListWidget;
class QTabWidget;
class QToolButton;
class TLinePage;
class TTrayIcon;

// The main window: a page control with the client list (page 0) and one
// page per call line (pages 1 and 2), and the Connect and Disconnect
// buttons. Closing it never ends the program by itself: the owner decides
// (to the tray while running, torn down only when quitting).
class TDlg : public QWidget, public MainWindowView {
  Q_OBJECT
 public:
  static constexpr const char* kCaption = "Ondrel";

  // trayHost tells whether the desktop shows tray icons; tests stand one in.
  explicit TDlg(std::function<bool()> trayHost = {}, QWidget* parent = nullptr);
  ~TDlg() override;

  // Called on every close request; returns true when the window may close.
  void SetCloseHandler(std::function<bool()> handler) { closeHandler_ = std::move(handler); }

  // Line pages by line number, 1 or 2.
  TLinePage& LinePage(int line) const;
  QListWidget& ClientList() const { return *clientList_; }
  QToolButton& ConnectButton() const { return *connectButton_; }
  QToolButton& DisconnectButton() const { return *disconnectButton_; }
  int TabImage(int page) const;
  TTrayIcon& Tray() const { return *tray_; }
  // Back from the tray (or from the task bar) and in front.
  void RestoreFromTray();
  bool AddEnabled() const { return addEnabled_; }
  bool EditEnabled() const { return editEnabled_; }

  // MainWindowView
  int PageInFront() const override;
  void BringToFront(int page) override;
  bool IsTabShown(int page) const override;
  void ShowTab(int page, bool shown) override;
  void SetTabImage(int page, int image) override;
  int ClientRowCount() const override;
  int SelectedClientRow() const override;
  void SelectClientRow(int row) override;
  void AddClientRow() override;
  void RemoveClientRow(int row) override;
  void RepaintClientList() override;
  void SetLineValues(int line, const LineValues& values) override;
  void ShowPeerName(int line, const std::string& name) override;
  std::string ShownSoundType(int line) const override;
  bool ScopeShown(int line) const override;
  void ShowScope(int line, bool shown) override;
  bool FilterShownOn(int line) const override;
  void ShowFilterOn(int line, bool on) override;
  void SetCommandAvailability(bool connect, bool disconnect, bool add, bool edit) override;
  void RequestClose() override { close(); }
  void SendToTray() override;
  void SetTrayFrame(int frame) override;

 signals:
  void PageChanged(int page);
  void ConnectClicked();
  void DisconnectClicked();
  void QuitRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::function<bool()> closeHandler_;
  QTabWidget* pages_;
  QListWidget* clientList_;
  QToolButton* connectButton_;
  QToolButton* disconnectButton_;
  std::array<TLinePage*, kLines> linePages_{};
  std::unique_ptr<TTrayIcon> tray_;
  std::array<int, kLines + 1> tabImages_{2, 2, 2};
  bool addEnabled_ = true;
  bool editEnabled_ = false;
};
