#include <gtest/gtest.h>

#include <QImage>
#include <vector>

#include "ui/cscope.h"

namespace {

const QColor kYellow(255, 255, 0), kCyan(0, 255, 255), kGrey(128, 128, 128);

// A scope view's canvas: 100 by 36, as on a line page.
QImage Canvas() {
  QImage canvas(100, 36, QImage::Format_RGB32);
  canvas.fill(Qt::black);
  return canvas;
}

// The rows of column x that hold the colour.
std::vector<int> RowsOf(const QImage& canvas, int x, const QColor& colour) {
  std::vector<int> rows;
  for (int y = 0; y < canvas.height(); ++y)
    if (canvas.pixelColor(x, y) == colour) rows.push_back(y);
  return rows;
}

TEST(CScopeTest, TracesAreScaledByTheZoomAroundTheMiddleWithAGreyColumnAhead) {
  struct Case {
    int zoom;  // as stored
    int expectedRow;
  };
  // 160 samples of 1000 in a box 36 high: mid 18, y scale 32767 / 18 = 1820.
  for (const Case c : {Case{0, 18}, Case{1, 18}, Case{4, 20}, Case{20, 28}}) {
    CScope scope;
    scope.SetZoom(c.zoom);
    QImage canvas = Canvas();
    const std::vector<int16_t> frame(160, 1000);
    scope.DrawSpeaker(canvas, frame);
    EXPECT_EQ(RowsOf(canvas, 50, kYellow), (std::vector<int>{c.expectedRow})) << "zoom " << c.zoom;
    // The grey column is drawn a pixel ahead of each point, so what stays
    // grey in a swept column is all but the trace.
    EXPECT_EQ(RowsOf(canvas, 50, kGrey).size(), 35u) << "zoom " << c.zoom;
  }
}

TEST(CScopeTest, TheMicrophoneIsDrawnOverTheSpeakerInCyan) {
  CScope scope;
  QImage canvas = Canvas();
  scope.DrawSpeaker(canvas, std::vector<int16_t>(160, 0));
  scope.DrawMicrophone(canvas, std::vector<int16_t>(160, -9100));  // 18 - 5 = 13
  EXPECT_EQ(RowsOf(canvas, 50, kCyan), (std::vector<int>{13}));
  EXPECT_EQ(RowsOf(canvas, 50, kYellow), (std::vector<int>{18}));
}

TEST(CScopeTest, WhileFrozenNothingIsDrawnAndTheTracesResumeWhereTheyStood) {
  CScope scope;
  scope.ToggleFreeze();
  QImage canvas = Canvas();
  scope.DrawSpeaker(canvas, std::vector<int16_t>(160, 1000));
  scope.DrawMicrophone(canvas, std::vector<int16_t>(160, 1000));
  EXPECT_EQ(canvas, Canvas());
  scope.Unfreeze();
  scope.DrawSpeaker(canvas, std::vector<int16_t>(160, 1000));
  EXPECT_NE(canvas, Canvas());
}

}  // namespace
