// SPDX-License-Identifier: MIT
#include "chart/qt/qt_chart_canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "qt_app.h"

namespace kolva::chart::qt {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;
constexpr QRgb kRed = 0xFFFF0000u;  // clRed as Qt sees it

// A canvas drawing into a fresh 20 x 12 white buffer.
class QtCanvasTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::EnsureQtApp();
    canvas.BeginDrawing(options, TRect{0, 0, 20, 12}, false);
  }
  QRgb At(int x, int y) const { return canvas.BufferImage().pixel(x, y); }
  // The pixels of row y from x0 to x1 inclusive, as 1 (not white) / 0.
  std::string Row(int y, int x0, int x1) const {
    std::string s;
    for (int x = x0; x <= x1; ++x) s += At(x, y) == kWhite ? '0' : '1';
    return s;
  }

  QtChartCanvas canvas;
  TView3DOptions options;
};

TEST_F(QtCanvasTest, ALineCoversItsStartButNotItsEnd) {
  canvas.Segment(2, 2, 6, 2);
  EXPECT_EQ(Row(2, 0, 8), "001111000");
  canvas.Segment(9, 9, 5, 9);  // leftwards: 9 .. 6
  EXPECT_EQ(Row(9, 4, 10), "0011110");
  canvas.Segment(0, 0, 3, 3);
  EXPECT_EQ(At(0, 0), kBlack);
  EXPECT_EQ(At(2, 2), kBlack);
  EXPECT_EQ(At(3, 3), kWhite);
  canvas.MoveTo(12, 1);
  canvas.LineTo(12, 4);
  canvas.LineTo(15, 4);  // the corner is covered by the second line
  EXPECT_EQ(At(12, 1), kBlack);
  EXPECT_EQ(At(12, 4), kBlack);
  EXPECT_EQ(At(14, 4), kBlack);
  EXPECT_EQ(At(15, 4), kWhite);
}

TEST_F(QtCanvasTest, RectanglesCoverLeftToRightMinusOne) {
  canvas.Brush().SetColor(clRed);
  canvas.Rectangle(2, 2, 6, 5);
  for (int y = 2; y <= 4; ++y) {
    EXPECT_EQ(At(1, y), kWhite);
    EXPECT_EQ(At(2, y), kBlack);
    EXPECT_EQ(At(5, y), kBlack);
    EXPECT_EQ(At(6, y), kWhite) << y;
  }
  EXPECT_EQ(Row(1, 2, 5), "0000");
  EXPECT_EQ(Row(5, 2, 5), "0000");
  EXPECT_EQ(At(3, 3), kRed);
  EXPECT_EQ(At(4, 3), kRed);

  canvas.Brush().SetColor(clBlue);
  canvas.FillRect(TRect{10, 6, 13, 8});
  EXPECT_EQ(At(10, 6), 0xFF0000FFu);
  EXPECT_EQ(At(12, 7), 0xFF0000FFu);
  EXPECT_EQ(At(13, 7), kWhite);
  EXPECT_EQ(At(12, 8), kWhite);
}

TEST_F(QtCanvasTest, NotXorTwiceRestoresThePicture) {
  canvas.Brush().SetColor(clTeal);
  canvas.FillRect(TRect{0, 0, 20, 12});
  canvas.Pen().SetColor(clRed);
  canvas.Segment(0, 11, 19, 0);
  QImage before = canvas.BufferImage().copy();
  canvas.Pen().SetMode(pmNotXor);
  canvas.Brush().SetStyle(bsClear);
  canvas.Rectangle(3, 2, 15, 10);
  EXPECT_NE(canvas.BufferImage(), before);
  // not-xor of red over teal: ~(0x0000FF ^ 0x808000) = 0x7F7F00 in BGR,
  // which Qt reads as 0x007F7F.
  EXPECT_EQ(At(3, 5), 0xFF007F7Fu);
  EXPECT_EQ(At(8, 6), before.pixel(8, 6));
  canvas.Rectangle(3, 2, 15, 10);
  EXPECT_EQ(canvas.BufferImage(), before);
  canvas.Segment(1, 1, 18, 9);
  canvas.Segment(1, 1, 18, 9);
  EXPECT_EQ(canvas.BufferImage(), before);
}

TEST_F(QtCanvasTest, ClipToBoxLimitsDrawingUntilRemoved) {
  canvas.ClipToBox(TRect{4, 2, 10, 8}, 0, 0);  // pixels 5..9 x 3..6
  canvas.Segment(0, 3, 20, 3);
  canvas.Segment(0, 7, 20, 7);
  EXPECT_EQ(Row(3, 3, 11), "001111100");
  EXPECT_EQ(Row(7, 0, 19), std::string(20, '0'));
  canvas.RemoveClip();
  canvas.Segment(0, 7, 20, 7);
  EXPECT_EQ(Row(7, 0, 19), std::string(20, '1'));
}

TEST_F(QtCanvasTest, StyledAndHiddenPens) {
  TDottedGrayPen dotted;
  canvas.UsePen(dotted);
  canvas.Segment(0, 1, 14, 1);
  EXPECT_EQ(Row(1, 0, 13), "11100011100011");
  EXPECT_EQ(At(0, 1), 0xFF808080u);
  TChartHiddenPen hidden;
  canvas.UsePen(hidden);
  canvas.Segment(0, 5, 14, 5);
  canvas.Rectangle(0, 6, 5, 9);  // filled white, no outline
  EXPECT_EQ(Row(5, 0, 14), std::string(15, '0'));
  EXPECT_EQ(Row(6, 0, 5), std::string(6, '0'));
}

TEST_F(QtCanvasTest, TextIsMeasuredAndPlacedByAlignment) {
  canvas.Font().Assign(DefaultChartFont());
  int width = canvas.TextWidth("WW");
  int height = canvas.FontHeight();
  EXPECT_GT(width, 4);
  EXPECT_GT(height, 6);
  EXPECT_EQ(canvas.TextWidth(""), 0);
  canvas.SetBackgroundMode(kBackModeTransparent);
  canvas.SetTextAlign(kTextAlignRight | kTextAlignTop);
  canvas.TextOut(20, 0, "WW");
  bool inked = false;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 20; ++x) {
      if (At(x, y) == kWhite) continue;
      inked = true;
      EXPECT_GE(x, 20 - width) << "right-aligned text stays left of x";
    }
  EXPECT_TRUE(inked);
}

TEST_F(QtCanvasTest, CopyGoesToTheWindowAtThePosition) {
  canvas.Segment(0, 0, 1, 0);
  QImage window(30, 20, QImage::Format_RGB32);
  window.fill(Qt::green);
  QPainter painter(&window);
  canvas.SetWindowPainter(&painter);
  canvas.CopyBufferToWindow(TPoint{5, 4});
  painter.end();
  EXPECT_EQ(window.pixel(5, 4), kBlack);
  EXPECT_EQ(window.pixel(6, 4), kWhite);
  EXPECT_EQ(window.pixel(4, 4), 0xFF00FF00u);
  EXPECT_EQ(window.pixel(25, 16), 0xFF00FF00u);
  EXPECT_EQ(window.pixel(24, 15), kWhite);
  // Outside a paint the canvas draws nothing: the window has no buffer.
  canvas.Segment(0, 1, 10, 1);
  EXPECT_EQ(Row(1, 0, 9), std::string(10, '0'));
}

}  // namespace
}  // namespace kolva::chart::qt
