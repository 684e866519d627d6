#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "core/mainwindowview.h"
#include "core/windowactions.h"

class ClientRows;
class CScope;
class QTabWidget;
class TBottomBar;
class TClientList;
class TLinePage;
class TMainMenus;
class TTitleStrip;
class TTrayIcon;

// The main window: borderless and rounded, 293 pixels wide. A title strip,
// a page control with the client list (page 0) and one page per call line
// (pages 1 and 2), and the bottom bar with Connect, Disconnect, the volume
// panels and two lamps. Every command is in its context menu with a
// shortcut, and its tray icon brings it back from the tray.
//
// The window itself holds the keyboard: every key comes to it, character
// keys do nothing, and the keys of the table in keyPressEvent act. What the
// user does goes to the program's WindowActions; what the program shows
// comes through MainWindowView. Closing it never ends the program by itself:
// the owner decides (to the tray while running, torn down only when quitting).
class TDlg : public QWidget, public MainWindowView {
  Q_OBJECT
 public:
  static constexpr const char* kCaption = "Ondrel";
  static constexpr const char* kVersion = "Ondrel v0.57a";
  static constexpr int kWidth = 293;
  static constexpr int kPagesHeight = 107;

  // trayHost tells whether the desktop shows tray icons; tests stand one in.
  explicit TDlg(std::function<bool()> trayHost = {}, QWidget* parent = nullptr);
  ~TDlg() override;

  void SetActions(WindowActions* actions) { actions_ = actions; }
  void SetClientRows(const ClientRows* rows);
  // Called on every close request; returns true when the window may close.
  void SetCloseHandler(std::function<bool()> handler) { closeHandler_ = std::move(handler); }
  // Whether the sound system runs: the volume keys act only then.
  void SetSoundSystemRunning(bool running) { soundSystemRunning_ = running; }
  bool SystemKeyOn() const { return systemKeyOn_; }

  // Parts, for the program's start-up and for tests.
  TLinePage& LinePage(int line) const;
  TClientList& ClientList() const { return *clientList_; }
  TTitleStrip& TitleStrip() const { return *titleStrip_; }
  TBottomBar& BottomBar() const { return *bottomBar_; }
  TMainMenus& Menus() const { return *menus_; }
  TTrayIcon& Tray() const { return *tray_; }
  QTabWidget& Pages() const { return *pages_; }
  CScope& Scope() const { return *scope_; }
  int TabImage(int page) const;
  const Availability& CommandAvailability() const { return availability_; }

  // Back from the tray (or from the task bar) and in front.
  void RestoreFromTray();
  // Hidden in the tray or minimised: what happens is not seen.
  bool IsOutOfSight() const { return isHidden() || isMinimized(); }
  void ShowTrayMessage(const QString& title, const QString& text);
  void PopUpWindowMenu();

  // MainWindowView
  int PageInFront() const override;
  void BringToFront(int page) override;
  bool IsTabShown(int page) const override;
  void ShowTab(int page, bool shown) override;
  void ShowLineState(int line, LineState state) override;
  int ClientRowCount() const override;
  int SelectedClientRow() const override;
  void SelectClientRow(int row) override;
  void AddClientRow() override;
  void RemoveClientRow(int row) override;
  void RepaintClientList() override;
  void ShowOwnAddresses(const std::vector<std::string>& addresses) override;
  void SetLineValues(int line, const LineValues& values) override;
  void ShowPeerName(int line, const std::string& name) override;
  void ShowCallQuality(int line, int mark, const std::string& hint) override;
  std::string ShownSoundType(int line) const override;
  bool ScopeShown(int line) const override;
  void ShowScope(int line, bool shown) override;
  bool FilterShownOn(int line) const override;
  void ShowFilterOn(int line, bool on) override;
  void DrawScope(int line, std::span<const int16_t> speaker, std::span<const int16_t> microphone) override;
  void SetScopeZoom(int zoom) override;
  void UnfreezeScope() override;
  void SetSliders(Slider speaker, Slider microphone) override;
  void SetMeters(int speaker, int microphone) override;
  void SetMuteButtons(bool speakerDown, bool microphoneDown) override;
  void SetSystemKey(bool on) override;
  void SetRestartLamp(bool on) override;
  uint16_t RightControlState() const override { return rightControl_; }
  void SetCommandAvailability(const Availability& availability) override;
  void ApplyLanguage(const TextLookup& texts) override;
  void RequestClose() override { close(); }
  void SendToTray() override;
  void SetTrayFrame(int frame) override;
  void UpdateTitlePicture() override;

 signals:
  void QuitRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void Run(WindowActions::Command command);
  void StepPage(int direction);
  void MoveSelection(int direction);
  void Drag();
  static bool IsRightControl(const QKeyEvent& event);
  void SetTabImage(int page, int image);

  std::function<bool()> closeHandler_;
  WindowActions* actions_ = nullptr;
  TTitleStrip* titleStrip_;
  QTabWidget* pages_;
  TClientList* clientList_;
  TBottomBar* bottomBar_;
  std::array<TLinePage*, kLines> linePages_{};
  std::unique_ptr<TMainMenus> menus_;
  std::unique_ptr<TTrayIcon> tray_;
  std::unique_ptr<CScope> scope_;
  std::array<int, kLines + 1> tabImages_{2, 2, 2};
  Availability availability_;
  bool soundSystemRunning_ = true;
  bool systemKeyOn_ = false;
  uint16_t rightControl_ = 0;
};
