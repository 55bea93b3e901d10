// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "chart/color.h"
#include "chart/mul_div.h"
#include "recording_canvas.h"

namespace kolva::chart {
namespace {

using testing::RecordingCanvas;

TEST(PaletteTest, WrapsAtSixteen) {
  EXPECT_EQ(PaletteColor(0), clRed);
  EXPECT_EQ(PaletteColor(15), clBlack);
  EXPECT_EQ(PaletteColor(16), clRed);
  EXPECT_EQ(PaletteColor(17), clGreen);
  EXPECT_EQ(PaletteColor(-1), clBlack);
  EXPECT_EQ(PaletteColor(7), 0x808000u);
}

TEST(MulDivTest, RoundsHalvesAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  } cases[] = {{3, 471, 100, 14}, {4, 304, 100, 12},
               {1, 50, 100, 1},   {-1, 50, 100, -1},
               {1, 49, 100, 0},   {3, 5, -2, -8},
               {7, 1, 0, -1},     {-13, 72, 96, -10},
               {8, 96, 72, 11},   {2000000000, 3, 4, 1500000000}};
  for (const Case& c : cases)
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(FontTest, PointsAndPixelHeights) {
  TFont font = DefaultChartFont();
  EXPECT_EQ(font.Name(), "Arial");
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Height(), -11);
  EXPECT_TRUE(IsDefaultChartFont(font));
  font.SetHeight(-13);
  EXPECT_EQ(font.Size(), 10);
  EXPECT_FALSE(IsDefaultChartFont(font));
  int changes = 0;
  font.OnChange.Set([&] { ++changes; });
  font.SetHeight(-13);
  font.SetColor(clBlack);
  EXPECT_EQ(changes, 0);
  font.SetStyle(fsItalic);
  EXPECT_EQ(changes, 1);
  TFont copy = font;  // a copy carries no listener
  copy.SetColor(clRed);
  EXPECT_EQ(changes, 1);
}

TEST(PenTest, DefaultsOfTheChartPens) {
  EXPECT_FALSE(TChartHiddenPen().Visible());
  TDottedGrayPen dotted;
  EXPECT_EQ(dotted.Color(), clGray);
  EXPECT_EQ(dotted.Style(), psDot);
  EXPECT_TRUE(dotted.Visible());
  EXPECT_EQ(TDarkGrayPen().Color(), clGray);
  EXPECT_EQ(TDarkGrayPen().Style(), psSolid);
  EXPECT_EQ(TChartAxisPen().Width(), 2);
  TChartPen plain;
  EXPECT_EQ(plain.Mode(), pmCopy);
  EXPECT_EQ(plain.Width(), 1);
  EXPECT_EQ(plain.Color(), clBlack);
}

TEST(PenTest, SettersNotifyOnlyOnChange) {
  TChartPen pen;
  int changes = 0;
  pen.OnChange.Set([&] { ++changes; });
  pen.SetColor(clBlack);
  pen.SetVisible(true);
  pen.SetWidth(1);
  EXPECT_EQ(changes, 0);
  pen.SetWidth(3);
  pen.SetVisible(false);
  EXPECT_EQ(changes, 2);
  TChartPen other;
  other.SetColor(clRed);
  pen.Assign(other);
  EXPECT_EQ(pen.Color(), clRed);
  EXPECT_EQ(pen.Width(), 1);
  EXPECT_TRUE(pen.Visible());
}

TEST(CanvasTest, ClipToBoxMovesInLeftTopAndBottom) {
  RecordingCanvas canvas;
  canvas.ClipToBox(TRect{10, 20, 300, 200}, 0, 100);
  canvas.RemoveClip();
  ASSERT_EQ(canvas.Count("Clip"), 2);
  EXPECT_EQ(canvas.ops[0].args, (std::vector<int>{11, 21, 300, 199}));
  EXPECT_EQ(canvas.ops[1].args, (std::vector<int>{0, 0, RecordingCanvas::kDeviceWidth,
                                                  RecordingCanvas::kDeviceHeight}));
}

TEST(CanvasTest, UsePenCopiesAVisiblePenAndClearsForAHiddenOne) {
  RecordingCanvas canvas;
  TChartPen red;
  red.SetColor(clRed);
  red.SetWidth(3);
  red.SetStyle(psDash);
  red.SetMode(pmNotXor);
  canvas.UsePen(red);
  EXPECT_EQ(canvas.Pen().Color(), clRed);
  EXPECT_EQ(canvas.Pen().Width(), 3);
  EXPECT_EQ(canvas.Pen().Style(), psDash);
  EXPECT_EQ(canvas.Pen().Mode(), pmNotXor);

  TChartHiddenPen hidden;
  hidden.SetColor(clBlue);
  hidden.SetWidth(5);
  canvas.UsePen(hidden);
  EXPECT_EQ(canvas.Pen().Style(), psClear);
  EXPECT_EQ(canvas.Pen().Color(), clRed);
  EXPECT_EQ(canvas.Pen().Width(), 3);
}

TEST(CanvasTest, ResetAttributesAndSegments) {
  RecordingCanvas canvas;
  canvas.Pen().SetColor(clRed);
  canvas.Pen().SetWidth(4);
  canvas.Pen().SetStyle(psClear);
  canvas.Brush().SetStyle(bsClear);
  canvas.Brush().SetColor(clTeal);
  canvas.Font().SetHeight(-20);
  canvas.SetBackgroundMode(kBackModeTransparent);
  canvas.SetBackgroundColor(clBlack);
  canvas.ResetAttributes();
  EXPECT_EQ(canvas.Pen().Color(), clBlack);
  EXPECT_EQ(canvas.Pen().Width(), 1);
  EXPECT_EQ(canvas.Pen().Style(), psSolid);
  EXPECT_EQ(canvas.Brush().Color(), clWhite);
  EXPECT_EQ(canvas.Brush().Style(), bsSolid);
  EXPECT_EQ(canvas.Font().Size(), 10);
  EXPECT_EQ(canvas.BackgroundMode(), kBackModeOpaque);
  EXPECT_EQ(canvas.BackgroundColor(), clWhite);

  canvas.HorizontalSegment(1, 9, 5, 77);
  canvas.VerticalSegment(3, 4, 8);
  ASSERT_EQ(canvas.ops.size(), 4u);
  EXPECT_EQ(canvas.ops[0].args, (std::vector<int>{1, 5}));
  EXPECT_EQ(canvas.ops[1].args, (std::vector<int>{9, 5}));
  EXPECT_EQ(canvas.ops[2].args, (std::vector<int>{3, 4}));
  EXPECT_EQ(canvas.ops[3].args, (std::vector<int>{3, 8}));
  EXPECT_EQ(canvas.FontHeight(), RecordingCanvas::kTextHeight);
}

class BufferTest : public ::testing::Test {
 protected:
  RecordingCanvas canvas;
  TView3DOptions options;
};

TEST_F(BufferTest, DirtyBufferIsDrawnThenReused) {
  EXPECT_TRUE(canvas.BufferDirty());
  EXPECT_FALSE(canvas.ReuseBuffer({0, 0}));
  TRect r = canvas.BeginDrawing(options, TRect{5, 6, 105, 56}, false);
  EXPECT_EQ(r, (TRect{0, 0, 100, 50}));
  EXPECT_EQ(canvas.buffersCreated, 1);
  canvas.LineTo(1, 1);
  EXPECT_TRUE(canvas.ops.back().toBuffer);
  canvas.CopyBufferToWindow({5, 6});
  EXPECT_EQ(canvas.copies, 1);
  EXPECT_EQ(canvas.lastCopyAt, (TPoint{5, 6}));
  EXPECT_FALSE(canvas.BufferDirty());
  canvas.LineTo(2, 2);
  EXPECT_FALSE(canvas.ops.back().toBuffer);

  EXPECT_TRUE(canvas.ReuseBuffer({5, 6}));
  EXPECT_EQ(canvas.copies, 2);
  canvas.MarkBufferDirty();
  EXPECT_FALSE(canvas.ReuseBuffer({5, 6}));
  EXPECT_EQ(canvas.copies, 2);
  canvas.BeginDrawing(options, TRect{0, 0, 300, 300}, false);
  EXPECT_EQ(canvas.buffersCreated, 1) << "the buffer keeps its size until freed";
}

TEST_F(BufferTest, SwitchingBufferingOffFreesAndDrawsOnTheWindow) {
  canvas.BeginDrawing(options, TRect{0, 0, 10, 10}, false);
  canvas.CopyBufferToWindow({0, 0});
  canvas.SetBufferedDisplay(false);
  EXPECT_EQ(canvas.buffersFreed, 1);
  EXPECT_TRUE(canvas.BufferDirty());
  EXPECT_EQ(canvas.BeginDrawing(options, TRect{3, 4, 20, 30}, false), (TRect{3, 4, 20, 30}));
  canvas.CopyBufferToWindow({3, 4});
  EXPECT_EQ(canvas.copies, 1);
  EXPECT_FALSE(canvas.ReuseBuffer({3, 4}));
  canvas.SetBufferedDisplay(true);
  canvas.BeginDrawing(options, TRect{0, 0, 40, 30}, false);
  EXPECT_EQ(canvas.buffersCreated, 2);
  EXPECT_EQ(canvas.bufferWidth, 40);
  canvas.SetMonochrome(true);
  EXPECT_EQ(canvas.buffersFreed, 2);
  EXPECT_TRUE(canvas.BufferDirty());
}

}  // namespace
}  // namespace kolva::chart
