#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>
#include <QTest>

#include "ui/dlgabout.h"

namespace {

TEST(TDlgAbtTest, TheTranslationLineNamesTheTranslation) {
  struct Case {
    TDlgAbt::Translation translation;
    std::string line;
  };
  const Case cases[] = {
      {{true, "Svenska", "A", "1.2"}, "Svenska translation by: A Version: 1.2"},
      {{true, "Svenska", "A", ""}, "Svenska translation by: A Version: "},
      {{true, "Svenska", "", "1.2"}, ""},
      {{false, "", "", ""}, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TDlgAbt::TranslationLine(c.translation), c.line);
}

TEST(TDlgAbtTest, ShowsTheSameLinesEachTimeAndClosesOnAClickOrEsc) {
  TDlgAbt box;
  const TDlgAbt::Translation swedish{true, "Svenska", "A", "1.2"};
  for (int opening = 0; opening < 2; ++opening) {
    box.ShowFor("Ondrel v0.57a", swedish);
    EXPECT_TRUE(box.isVisible());
    EXPECT_EQ(box.versionLabel->text(), "Ondrel v0.57a");
    EXPECT_EQ(box.translationLabel->text(), "Svenska translation by: A Version: 1.2");
    QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(200, 20));
    EXPECT_FALSE(box.isVisible());
  }
  box.ShowFor("Ondrel v0.57a", {});
  EXPECT_TRUE(box.translationLabel->text().isEmpty());
  EXPECT_FALSE(box.noticeLabel->text().isEmpty());
  QTest::keyClick(&box, Qt::Key_Escape);
  EXPECT_FALSE(box.isVisible());
}

TEST(TDlgAbtTest, TheNoticeShowsWholeBetweenTheVersionAndTheTranslationLine) {
  TDlgAbt box;
  box.ShowFor("Ondrel v0.57a", {true, "Svenska", "A", "1.2"});
  const QLabel& notice = *box.noticeLabel;
  const int flags = notice.wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
  const QRect needed =
      QFontMetrics(notice.font()).boundingRect(QRect(0, 0, notice.width(), 1000), flags, notice.text());
  EXPECT_LE(needed.width(), notice.width());
  EXPECT_LE(needed.height(), notice.height());
  for (const QLabel* label : {box.versionLabel, box.noticeLabel, box.translationLabel}) {
    EXPECT_TRUE(box.rect().contains(label->geometry())) << label->text().toStdString();
  }
  EXPECT_LT(box.versionLabel->geometry().bottom(), notice.geometry().top());
  EXPECT_LT(notice.geometry().bottom(), box.translationLabel->geometry().top());
  EXPECT_EQ(box.width(), 350);
}

TEST(TDlgAbtTest, ClosesWhenAnotherWindowIsActivated) {
  TDlgAbt box;
  box.ShowFor("Ondrel v0.57a", {});
  QEvent deactivate(QEvent::WindowDeactivate);
  QCoreApplication::sendEvent(&box, &deactivate);
  EXPECT_FALSE(box.isVisible());
}

}  // namespace
