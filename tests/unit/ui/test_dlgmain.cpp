#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QTest>

#include "ui/bottombar.h"
#include "ui/clientlist.h"
#include "ui/dlgmain.h"
#include "ui/linepage.h"
#include "ui/mainmenus.h"
#include "ui/titlestrip.h"
#include "ui/trayicon.h"

namespace {

QStringList Captions(const QMenu& menu) {
  QStringList captions;
  for (const QAction* action : menu.actions()) captions << action->text();
  return captions;
}

// Going to the tray must leave the user a way back: hidden behind the tray
// icon where a tray host runs, minimised on the task bar where none does.
TEST(TDlgTrayTest, SendToTrayHidesOnlyWhereATrayIconBringsItBack) {
  for (const bool host : {true, false}) {
    SCOPED_TRACE(host);
    TDlg window([host] { return host; });
    window.show();
    window.SendToTray();
    EXPECT_EQ(window.isVisible(), !host);
    EXPECT_EQ(window.isMinimized(), !host);
    window.RestoreFromTray();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
  }
}

TEST(TDlgTrayTest, TheTrayMenuShowsTheWindowAndAsksToQuit) {
  TDlg window([] { return true; });
  int quits = 0;
  QObject::connect(&window, &TDlg::QuitRequested, [&] { ++quits; });
  ASSERT_EQ(Captions(window.Tray().Menu()), (QStringList{"Show", "Quit"}));
  window.show();
  window.SendToTray();
  window.Tray().Menu().actions().at(0)->trigger();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(quits, 0);
  window.Tray().Menu().actions().at(1)->trigger();
  EXPECT_EQ(quits, 1);
}

// On X11 the menu is asked for at the right button's press, before the
// release that the close zone acts on.
TEST(TDlgTitleStripTest, ARightPressOpensTheMenuOnlyOutsideTheCloseZone) {
  TDlg window([] { return false; });
  window.show();
  TTitleStrip& strip = window.TitleStrip();
  const QMenu& menu = window.Menus().WindowMenu();
  struct Case {
    int x;
    bool menu;
  };
  for (const Case c :
       {Case{30, true}, Case{249, true}, Case{250, false}, Case{274, false}, Case{275, true}}) {
    SCOPED_TRACE(c.x);
    QContextMenuEvent ask(QContextMenuEvent::Mouse, QPoint(c.x, 5), strip.mapToGlobal(QPoint(c.x, 5)));
    QApplication::sendEvent(&strip, &ask);
    EXPECT_EQ(menu.isVisible(), c.menu);
    window.Menus().WindowMenu().hide();
  }
}

TEST(TDlgTitleStripTest, ReleasingAnyButtonInTheCloseZoneClosesTheWindow) {
  TDlg window([] { return false; });
  int closes = 0;
  window.SetCloseHandler([&] {
    ++closes;
    return false;
  });
  window.show();
  for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
    QTest::mouseClick(&window.TitleStrip(), button, {}, QPoint(30, 5));
    QTest::mouseClick(&window.TitleStrip(), button, {}, QPoint(262, 5));
  }
  EXPECT_EQ(closes, 3);
}

TEST(TDlgTrayTest, FramesFollowTheHeartbeat) {
  TDlg window([] { return false; });
  EXPECT_EQ(window.Tray().Frame(), TTrayIcon::kIdleFrame);
  for (const int frame : {8, 9, 10, 11, 12, 7}) {
    window.SetTrayFrame(frame);
    EXPECT_EQ(window.Tray().Frame(), frame);
  }
}

// A first start: the empty list says how to add a friend and where a friend
// calls this computer, in the translation's words, until the first client.
TEST(TDlgClientListTest, TheEmptyListGuidesUntilTheFirstClient) {
  TDlg window([] { return false; });
  const TClientList& list = window.ClientList();
  const QString howToAdd = "No clients yet. To add a friend, press Insert, or right-click here and choose Add.";
  EXPECT_EQ(list.GuideText(), (QStringList{howToAdd, "This computer has no network address yet."}));
  window.ShowOwnAddresses({"192.168.1.5:5000", "10.0.0.2:5000"});
  EXPECT_EQ(list.GuideText(),
            (QStringList{howToAdd, "A friend calls this computer at:", "192.168.1.5:5000\n10.0.0.2:5000"}));
  window.ApplyLanguage([](const std::string& key) -> std::string {
    if (key == "EmptyList") return "Inga klienter \xe4n.";
    if (key == "EmptyListAddress") return "En v\xe4n ringer hit p\xe5:";
    return "";
  });
  EXPECT_EQ(list.GuideText(), (QStringList{QString::fromUtf8("Inga klienter än."), QString::fromUtf8("En vän ringer hit på:"),
                                           "192.168.1.5:5000\n10.0.0.2:5000"}));
  window.AddClientRow();
  EXPECT_TRUE(list.GuideText().isEmpty());
  window.RemoveClientRow(0);
  EXPECT_EQ(list.GuideText().size(), 3);
}

// A restart is over in milliseconds; its lamp must still be seen.
TEST(TDlgLampTest, TheRestartLampStaysLitLongEnoughToBeSeen) {
  TDlg window([] { return false; });
  TBottomBar& bar = window.BottomBar();
  const auto lit = [&] { return bar.restartLamp->palette().color(QPalette::Window) == QColor(0, 255, 0); };
  EXPECT_FALSE(lit());
  window.SetRestartLamp(true);
  window.SetRestartLamp(false);
  EXPECT_TRUE(lit());
  QTest::qWait(TBottomBar::kRestartLampMs / 2);
  EXPECT_TRUE(lit());
  // Lit again meanwhile: it waits for the new restart.
  window.SetRestartLamp(true);
  QTest::qWait(TBottomBar::kRestartLampMs);
  EXPECT_TRUE(lit());
  window.SetRestartLamp(false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !lit(); }, 5000));
  EXPECT_FALSE(bar.RestartLampOn());
}

TEST(TDlgLinePageTest, LineValuesReachTheirLabelsAndAnEmptySoundTypeKeepsTheShownOne) {
  TDlg window([] { return false; });
  window.SetLineValues(1, {"1:15", "5", "2.5", "10.1.2.3", "GSM 8 kHz mono"});
  TLinePage& page = window.LinePage(1);
  EXPECT_EQ(page.onLineValue->text(), "1:15");
  EXPECT_EQ(page.rxValue->text(), "5");
  EXPECT_EQ(page.txValue->text(), "2.5");
  EXPECT_EQ(page.ipValue->text(), "10.1.2.3");
  EXPECT_EQ(page.soundTypeLabel->text(), "GSM 8 kHz mono");
  window.SetLineValues(1, {"1:16", "", "", "", ""});
  EXPECT_EQ(page.soundTypeLabel->text(), "GSM 8 kHz mono");
  // Latin-1 bytes of a peer's name, cut to what the label holds.
  window.ShowPeerName(1, "J\xF6rg Andersson-Lindqvist");
  EXPECT_EQ(page.peerLabel->text(), QString::fromUtf8("Jörg Andersson-"));
  EXPECT_EQ(page.onLineValue->text(), "");
}

}  // namespace
