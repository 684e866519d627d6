#include "ui/mainmenus.h"

#include <QAction>
#include <QMenu>
#include <QWidget>
#include <utility>
#include <vector>

TMainMenus::TMainMenus(QWidget& window, std::function<void(Command)> run)
    : window_(window),
      run_(std::move(run)),
      windowMenu_(std::make_unique<QMenu>()),
      clientListMenu_(std::make_unique<QMenu>()) {
  QMenu& menu = *windowMenu_;
  about = Item(menu, "About...", Qt::Key_F2, Command::kAbout);
  clientMenu_ = menu.addMenu("Client");
  add = Item(*clientMenu_, "Add", Qt::Key_Insert, Command::kAdd);
  edit = Item(*clientMenu_, "Edit", Qt::CTRL | Qt::Key_E, Command::kEdit);
  remove = Item(*clientMenu_, "Remove", Qt::Key_Delete, Command::kRemove);
  importClients = Item(*clientMenu_, "Import", Qt::CTRL | Qt::Key_I, Command::kImport);
  exportClients = Item(*clientMenu_, "Export", Qt::CTRL | Qt::Key_X, Command::kExport);
  connectCall = Item(*clientMenu_, "Connect", Qt::Key_F9, Command::kConnect);
  connectWithDns = Item(*clientMenu_, "Connect with DNS resolve", Qt::Key_F10, Command::kConnectWithDns);
  disconnect = Item(*clientMenu_, "Disconnect", Qt::Key_F8, Command::kDisconnect);
  scope = Item(*clientMenu_, "Scope", Qt::CTRL | Qt::Key_V, Command::kScope);
  toolsMenu_ = menu.addMenu("Tools");
  properties = Item(*toolsMenu_, "Properties", Qt::CTRL | Qt::Key_P, Command::kProperties);
  viewLogFile = Item(*toolsMenu_, "View Log File", Qt::CTRL | Qt::Key_L, Command::kViewLogFile);
  systemKey = Item(*toolsMenu_, "System key", Qt::Key_F5, Command::kSystemKey);
  systemKey->setCheckable(true);
  systemKey->setStatusTip("Enables press  <Left Control> and <Right Control> keys to mute Microphone");
  systemKey->setToolTip(systemKey->statusTip());
  toolsMenu_->setToolTipsVisible(true);
  minimizeToTray = Item(menu, "Minimize to tray", Qt::Key_Escape, Command::kMinimizeToTray);
  quit = Item(menu, "Quit", Qt::CTRL | Qt::Key_Q, Command::kQuit);

  QMenu& list = *clientListMenu_;
  listAdd = Item(list, "Add", {}, Command::kAdd);
  listEdit = Item(list, "Edit", {}, Command::kEdit);
  listConnect = Item(list, "Connect", {}, Command::kCallSelected);
  listConnectWithDns = Item(list, "Connect with DNS resolve", {}, Command::kConnectWithDns);
  SetAvailability(false, false, true, false);
}

TMainMenus::~TMainMenus() = default;

QAction* TMainMenus::Item(QMenu& menu, const QString& caption, const QKeySequence& shortcut,
                          Command command) {
  QAction* action = menu.addAction(caption);
  if (!shortcut.isEmpty()) {
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    // On the window as well, so the shortcut acts while the menu is closed.
    window_.addAction(action);
  }
  connect(action, &QAction::triggered, this, [this, command] { run_(command); });
  return action;
}

void TMainMenus::SetAvailability(bool connect, bool disconnect, bool add, bool edit) {
  for (QAction* item : {listConnect, connectCall, connectWithDns}) item->setEnabled(connect);
  for (QAction* item : {this->disconnect, scope}) item->setEnabled(disconnect);
  this->add->setEnabled(add);
  for (QAction* item : {remove, this->edit, listEdit, listConnectWithDns}) item->setEnabled(edit);
}

void TMainMenus::SetSystemKeyChecked(bool on) {
  systemKey->setChecked(on);
}

void TMainMenus::ApplyLanguage(const TextLookup& texts) {
  struct Key {
    const char* key;
    std::vector<QAction*> items;
  };
  const Key keys[] = {
      {"ConnectWithDns", {connectWithDns, listConnectWithDns}},
      {"SystemKey", {systemKey}},
      {"ViewLogFile", {viewLogFile}},
      {"About", {about}},
      {"Minimize", {minimizeToTray}},
      {"Quit", {quit}},
      {"Properties", {properties}},
      {"Add", {add}},
      {"Edit", {edit, listEdit}},
      {"Remove", {remove}},
      {"Disconnect", {disconnect}},
      {"Connect", {connectCall, listConnect}},
  };
  for (const Key& k : keys) {
    const std::string text = texts ? texts(k.key) : std::string();
    if (text.empty()) continue;
    for (QAction* item : k.items) item->setText(QString::fromLatin1(text.data(), qsizetype(text.size())));
  }
  for (const auto& [key, menu] : {std::pair{"Client", clientMenu_}, std::pair{"Tools", toolsMenu_}}) {
    const std::string text = texts ? texts(key) : std::string();
    if (!text.empty()) menu->setTitle(QString::fromLatin1(text.data(), qsizetype(text.size())));
  }
}
