#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "core/textlookup.h"
#include "core/windowactions.h"

class QAction;
class QMenu;
class QWidget;

// The main window's two menus: the window's own, which carries every
// command of the program with its shortcut, and the client list's. The
// shortcuts act anywhere in the window while their item is enabled.
class TMainMenus : public QObject {
  Q_OBJECT
 public:
  using Command = WindowActions::Command;

  // Items report to run; shortcuts are installed on window.
  TMainMenus(QWidget& window, std::function<void(Command)> run);
  ~TMainMenus() override;

  QMenu& WindowMenu() const { return *windowMenu_; }
  QMenu& ClientListMenu() const { return *clientListMenu_; }

  // What may be done on the page in front.
  void SetAvailability(bool connect, bool disconnect, bool add, bool edit);
  void SetSystemKeyChecked(bool on);
  void ApplyLanguage(const TextLookup& texts);

  // The window menu's items, by role.
  QAction* about;
  QAction* add;
  QAction* edit;
  QAction* remove;
  QAction* importClients;
  QAction* exportClients;
  QAction* connectCall;
  QAction* connectWithDns;
  QAction* disconnect;
  QAction* scope;
  QAction* properties;
  QAction* viewLogFile;
  QAction* systemKey;
  QAction* minimizeToTray;
  QAction* quit;
  // The client list menu's items.
  QAction* listAdd;
  QAction* listEdit;
  QAction* listConnect;
  QAction* listConnectWithDns;

 private:
  QAction* Item(QMenu& menu, const QString& caption, const QKeySequence& shortcut, Command command);

  QWidget& window_;
  std::function<void(Command)> run_;
  std::unique_ptr<QMenu> windowMenu_;
  std::unique_ptr<QMenu> clientListMenu_;
  QMenu* clientMenu_;
  QMenu* toolsMenu_;
};
