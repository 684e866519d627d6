#include <gtest/gtest.h>

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <map>
#include <string>
#include <vector>

#include "core/windowactions.h"
#include "ui/bottombar.h"
#include "ui/clientlist.h"
#include "ui/dlgmain.h"
#include "ui/linepage.h"
#include "ui/mainmenus.h"
#include "ui/trayicon.h"
#include "ui/volumepanel.h"

namespace {

using Command = WindowActions::Command;

// What the window asked of the program, one line each.
struct RecordedActions : WindowActions {
  void Run(Command c) override { calls.push_back("run " + std::to_string(static_cast<int>(c))); }
  void PageChanged(int page) override { pages.push_back(page); }
  void ClientRowChosen(int row) override { calls.push_back("row " + std::to_string(row)); }
  void SpeakerMuteClicked(bool down) override { calls.push_back(down ? "speaker muted" : "speaker on"); }
  void MicMuteClicked(bool down) override { calls.push_back(down ? "mic muted" : "mic on"); }
  void SpeakerSliderMoved(int p) override { calls.push_back("speaker " + std::to_string(p)); }
  void MicSliderMoved(int p) override { calls.push_back("mic " + std::to_string(p)); }
  void ScopeButtonClicked(int line) override { calls.push_back("scope " + std::to_string(line)); }
  void FilterButtonClicked(int line) override { calls.push_back("filter " + std::to_string(line)); }
  void PropertiesButtonClicked() override { calls.push_back("properties"); }
  std::vector<std::string> Take() {
    auto taken = calls;
    calls.clear();
    return taken;
  }
  std::vector<std::string> calls;
  std::vector<int> pages;
};

std::string RunOf(Command c) {
  return "run " + std::to_string(static_cast<int>(c));
}

class TDlgKeysTest : public ::testing::Test {
 protected:
  TDlgKeysTest() : window([] { return false; }) {
    window.SetActions(&actions);
    window.show();
    // Shortcuts act in the active window only.
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    window.setFocus();
    actions.pages.clear();
  }

  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&window, static_cast<Qt::Key>(key), modifiers);
  }

  RecordedActions actions;
  TDlg window;
};

TEST_F(TDlgKeysTest, TheKeyTableActsAndCharacterKeysDoNothing) {
  window.SetSliders({30000, true}, {20000, true});
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {Qt::Key_Return, Qt::NoModifier, {RunOf(Command::kCallSelected)}},
      {Qt::Key_Enter, Qt::KeypadModifier, {RunOf(Command::kCallSelected)}},
      {Qt::Key_Space, Qt::NoModifier, {"mic muted"}},
      {Qt::Key_Space, Qt::NoModifier, {"mic on"}},
      {Qt::Key_S, Qt::ControlModifier, {"speaker muted"}},
      {Qt::Key_Plus, Qt::KeypadModifier, {"speaker 31000"}},
      {Qt::Key_Minus, Qt::KeypadModifier, {"speaker 30000"}},
      {Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier, {"mic 21000"}},
      {Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier, {"mic 20000"}},
      {Qt::Key_Plus, Qt::NoModifier, {}},  // the main keyboard's plus is a character
      {Qt::Key_Plus, Qt::KeypadModifier | Qt::ShiftModifier, {}},
      {Qt::Key_A, Qt::NoModifier, {}},
      {Qt::Key_S, Qt::NoModifier, {}},
      {Qt::Key_7, Qt::KeypadModifier, {}},
  };
  for (const Case& c : cases) {
    Press(c.key, c.modifiers);
    EXPECT_EQ(actions.Take(), c.expected) << QKeySequence(c.key | c.modifiers).toString().toStdString();
  }
}

TEST_F(TDlgKeysTest, VolumeKeysClampAndLeaveADisabledOrStillSliderAlone) {
  window.SetSliders({65000, true}, {500, true});
  Press(Qt::Key_Plus, Qt::KeypadModifier);
  Press(Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier);
  EXPECT_EQ(actions.Take(), (std::vector<std::string>{"speaker 65535", "mic 0"}));
  EXPECT_EQ(window.BottomBar().speakerPanel->SliderPosition(), 65535);

  window.SetSliders({1000, false}, {1000, true});
  Press(Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_TRUE(actions.Take().empty()) << "no mixer control backs the speaker slider";

  window.SetSoundSystemRunning(false);
  Press(Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier);
  EXPECT_TRUE(actions.Take().empty()) << "the sound system is starting";
  EXPECT_EQ(window.BottomBar().micPanel->SliderPosition(), 1000);
}

TEST_F(TDlgKeysTest, SpaceIsIgnoredWhileTheSystemKeyIsOn) {
  window.SetSystemKey(true);
  EXPECT_TRUE(window.BottomBar().SystemKeyLampOn());
  EXPECT_TRUE(window.Menus().systemKey->isChecked());
  Press(Qt::Key_Space);
  EXPECT_TRUE(actions.Take().empty());
  EXPECT_FALSE(window.BottomBar().micPanel->MuteDown());
  window.SetSystemKey(false);
  Press(Qt::Key_Space);
  EXPECT_EQ(actions.Take(), (std::vector<std::string>{"mic muted"}));
}

TEST_F(TDlgKeysTest, PageKeysStepThroughTheVisiblePagesOnly) {
  window.ShowTab(2, true);
  Press(Qt::Key_PageDown);
  EXPECT_EQ(window.PageInFront(), 2) << "page 1 is hidden";
  Press(Qt::Key_PageDown);
  EXPECT_EQ(window.PageInFront(), 2);
  window.ShowTab(1, true);
  Press(Qt::Key_PageUp);
  EXPECT_EQ(window.PageInFront(), 1);
  Press(Qt::Key_PageUp);
  Press(Qt::Key_PageUp);
  EXPECT_EQ(window.PageInFront(), 0);
  EXPECT_EQ(actions.pages, (std::vector<int>{2, 1, 0}));
}

TEST_F(TDlgKeysTest, UpAndDownMoveTheSelectionOnTheClientPageOnly) {
  struct Case {
    int rows;
    int start;  // -1: none selected
    std::vector<int> keys;
    int expected;
  };
  const Case cases[] = {
      {0, -1, {Qt::Key_Down, Qt::Key_Up}, -1},
      {1, 0, {Qt::Key_Down, Qt::Key_Up}, 0},
      {3, -1, {Qt::Key_Down}, 0},
      {3, 0, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}, 2},
      {3, 2, {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}, 0},
  };
  for (const Case& c : cases) {
    window.ClientList().clear();
    for (int r = 0; r < c.rows; ++r) window.AddClientRow();
    window.ClientList().setCurrentRow(c.start);
    for (const int key : c.keys) Press(key);
    EXPECT_EQ(window.SelectedClientRow(), c.expected) << c.rows << " rows from " << c.start;
  }
  window.ShowTab(1, true);
  window.BringToFront(1);
  window.ClientList().setCurrentRow(1);
  Press(Qt::Key_Down);
  EXPECT_EQ(window.SelectedClientRow(), 1) << "a line page is in front";
}

TEST_F(TDlgKeysTest, RightControlPressesFlipTheToggleBitOncePerPress) {
  const auto right = [&](QEvent::Type type, bool repeat = false) {
    QKeyEvent event(type, Qt::Key_Control, Qt::NoModifier, 0x69, 0xffe4, 0, QString(), repeat);
    QCoreApplication::sendEvent(&window, &event);
    return window.RightControlState();
  };
  EXPECT_EQ(window.RightControlState(), 0);
  EXPECT_EQ(right(QEvent::KeyPress), 0x8001);
  EXPECT_EQ(right(QEvent::KeyPress, true), 0x8001) << "holding the key is one press";
  EXPECT_EQ(right(QEvent::KeyRelease), 0x0001);
  EXPECT_EQ(right(QEvent::KeyPress), 0x8000);
  EXPECT_EQ(right(QEvent::KeyRelease), 0x0000);
  // The left-hand Control key is not the system key.
  QKeyEvent left(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, 0x25, 0xffe3, 0);
  QCoreApplication::sendEvent(&window, &left);
  EXPECT_EQ(window.RightControlState(), 0);
}

struct MenuItem {
  const char* caption;
  QKeySequence shortcut;
};

std::vector<std::pair<std::string, std::string>> Items(const QMenu& menu) {
  std::vector<std::pair<std::string, std::string>> items;
  for (const QAction* action : menu.actions()) {
    if (action->menu()) {
      items.emplace_back(action->text().toStdString(), ">");
      for (const auto& item : Items(*action->menu())) items.push_back(item);
    } else {
      items.emplace_back(action->text().toStdString(), action->shortcut().toString().toStdString());
    }
  }
  return items;
}

TEST(TDlgMenusTest, EveryItemHasItsCaptionAndShortcut) {
  TDlg window([] { return false; });
  using Items_ = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(Items(window.Menus().WindowMenu()), (Items_{{"About...", "F2"},
                                                        {"Client", ">"},
                                                        {"Add", "Ins"},
                                                        {"Edit", "Ctrl+E"},
                                                        {"Remove", "Del"},
                                                        {"Import", "Ctrl+I"},
                                                        {"Export", "Ctrl+X"},
                                                        {"Connect", "F9"},
                                                        {"Connect with DNS resolve", "F10"},
                                                        {"Disconnect", "F8"},
                                                        {"Scope", "Ctrl+V"},
                                                        {"Tools", ">"},
                                                        {"Properties", "Ctrl+P"},
                                                        {"View Log File", "Ctrl+L"},
                                                        {"System key", "F5"},
                                                        {"Minimize to tray", "Esc"},
                                                        {"Quit", "Ctrl+Q"}}));
  EXPECT_EQ(Items(window.Menus().ClientListMenu()),
            (Items_{{"Add", ""}, {"Edit", ""}, {"Connect", ""}, {"Connect with DNS resolve", ""}}));
}

TEST(TDlgMenusTest, AvailabilityEnablesTheButtonsAndTheirItems) {
  TDlg window([] { return false; });
  TMainMenus& m = window.Menus();
  struct Case {
    MainWindowView::Availability can;
  };
  for (const bool connect : {false, true}) {
    for (const bool disconnect : {false, true}) {
      for (const bool add : {false, true}) {
        for (const bool edit : {false, true}) {
          window.SetCommandAvailability({connect, disconnect, add, edit});
          EXPECT_EQ(window.BottomBar().connectButton->isEnabled(), connect);
          EXPECT_EQ(window.BottomBar().disconnectButton->isEnabled(), disconnect);
          for (QAction* item : {m.connectCall, m.connectWithDns, m.listConnect})
            EXPECT_EQ(item->isEnabled(), connect);
          for (QAction* item : {m.disconnect, m.scope}) EXPECT_EQ(item->isEnabled(), disconnect);
          EXPECT_EQ(m.add->isEnabled(), add);
          for (QAction* item : {m.remove, m.edit, m.listEdit, m.listConnectWithDns})
            EXPECT_EQ(item->isEnabled(), edit);
          for (QAction* item : {m.listAdd, m.importClients, m.exportClients, m.about, m.quit, m.properties})
            EXPECT_TRUE(item->isEnabled());
        }
      }
    }
  }
}

TEST_F(TDlgKeysTest, ShortcutsRunTheirCommandsOnlyWhileEnabled) {
  window.SetCommandAvailability({false, false, true, false});
  Press(Qt::Key_F9);
  Press(Qt::Key_Delete);
  Press(Qt::Key_Q, Qt::ControlModifier);
  Press(Qt::Key_F5);
  Press(Qt::Key_Insert);
  EXPECT_EQ(actions.Take(), (std::vector<std::string>{RunOf(Command::kQuit), RunOf(Command::kSystemKey),
                                                      RunOf(Command::kAdd)}));
  window.SetCommandAvailability({true, true, true, true});
  Press(Qt::Key_F9);
  Press(Qt::Key_F8);
  Press(Qt::Key_F10);
  Press(Qt::Key_E, Qt::ControlModifier);
  EXPECT_EQ(actions.Take(),
            (std::vector<std::string>{RunOf(Command::kConnect), RunOf(Command::kDisconnect),
                                      RunOf(Command::kConnectWithDns), RunOf(Command::kEdit)}));
}

TEST_F(TDlgKeysTest, TranslatedCaptionsReplaceTheEnglishOnesAndEmptyOnesKeepThem) {
  const std::map<std::string, std::string> texts{
      {"Quit", "Avsluta"}, {"Client", "Klient"},      {"Connect", "Ring"},          {"Show", "Visa"},
      {"Remove", ""},      {"TxkB", "S\xE4nt kB/s:"}, {"ClientList", "Klientlista"}};
  window.ApplyLanguage([&](const std::string& key) {
    const auto it = texts.find(key);
    return it == texts.end() ? std::string() : it->second;
  });
  TMainMenus& m = window.Menus();
  EXPECT_EQ(m.quit->text(), "Avsluta");
  EXPECT_EQ(m.connectCall->text(), "Ring");
  EXPECT_EQ(m.listConnect->text(), "Ring");
  EXPECT_EQ(m.remove->text(), "Remove");
  EXPECT_EQ(m.about->text(), "About...");
  EXPECT_EQ(window.BottomBar().connectButton->toolTip(), "Ring");
  EXPECT_EQ(window.ClientList().toolTip(), "Klientlista");
  EXPECT_EQ(window.Tray().Menu().actions().at(0)->text(), "Visa");
  EXPECT_EQ(window.Tray().Menu().actions().at(1)->text(), "Avsluta");
  EXPECT_EQ(m.WindowMenu().actions().at(1)->text(), "Klient");
}

}  // namespace
