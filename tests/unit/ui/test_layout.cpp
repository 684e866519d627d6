#include <gtest/gtest.h>

#include "ui/linepage.h"
#include "ui/scopeview.h"
#include "ui/titlestrip.h"

namespace {

TEST(TTitleStripTest, TheCloseZoneLiesStrictlyBetweenItsEdges) {
  struct Case {
    int x;
    bool inZone;
  };
  // 293: trunc(0.85 x 293) = 249 and trunc(0.94 x 293) = 275, both excluded.
  for (const Case c : {Case{0, false}, Case{249, false}, Case{250, true}, Case{262, true}, Case{274, true},
                       Case{275, false}, Case{292, false}}) {
    EXPECT_EQ(TTitleStrip::InCloseZone(c.x, 293), c.inZone) << c.x;
  }
}

TEST(TLinePageLayoutTest, ControlsArePlacedFromThePageControlsSize) {
  const TLinePage::Layout wide(QSize(293, 107));
  EXPECT_EQ(wide.h, 13);
  EXPECT_EQ(wide.w, 58);
  EXPECT_EQ(wide.infoPanel, QRect(11, 13, 102, 32));
  EXPECT_EQ(wide.scopeView, QRect(11, 13, 100, 36));
  EXPECT_EQ(wide.scopeButton, QRect(255, 13, 17, 10));
  EXPECT_EQ(wide.filterButton, QRect(255, 24, 17, 10));
  EXPECT_EQ(wide.separator, QRect(11, 52, 263, 3));
  EXPECT_EQ(wide.onLineValue, QPoint(58, 0));
  EXPECT_EQ(wide.txCaption, QPoint(0, 19));
  EXPECT_EQ(wide.txValue, QPoint(58, 19));
  EXPECT_EQ(wide.ipCaption, QPoint(116, 13));
  EXPECT_EQ(wide.ipValue, QPoint(162, 13));
  EXPECT_EQ(wide.rxCaption, QPoint(116, 32));
  EXPECT_EQ(wide.rxValue, QPoint(162, 32));
  EXPECT_EQ(wide.peerLabel, QPoint(11, 58));
  EXPECT_EQ(wide.soundTypeLabel, QPoint(145, 58));

  const TLinePage::Layout narrow(QSize(285, 107));
  EXPECT_EQ(narrow.w, 57);
  EXPECT_EQ(narrow.scopeButton.left(), 250);
  EXPECT_EQ(narrow.filterButton.left(), 250);
  EXPECT_EQ(narrow.ipValue.x(), 159);
}

TEST(TLinePageTest, ThePageStartsEmptyWithBothTogglesOffAndTheScopeHidden) {
  TLinePage page(1, QSize(293, 107));
  EXPECT_FALSE(page.ScopeShown());
  EXPECT_FALSE(page.infoPanel->isHidden());
  EXPECT_FALSE(page.FilterOn());
  page.ShowScope(true);
  EXPECT_TRUE(page.ScopeShown());
  EXPECT_TRUE(page.infoPanel->isHidden());
  EXPECT_EQ(page.scopeView->geometry(), QRect(11, 13, 100, 36));
}

}  // namespace
