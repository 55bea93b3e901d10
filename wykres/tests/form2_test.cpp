// SPDX-License-Identifier: MIT
#include "wykres/form2.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>
#include <string>
#include "chart/qt/tests/qt_app.h"

namespace kolva::wykres {
namespace {

using namespace kolva::chart;

class Form2Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (QApplication::instance()) return;
    chart::qt::testing::EnsureQtApp();
  }
  QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFFu; }

  TForm2 form;
};

TEST_F(Form2Test, WindowAndChartAsTheFormStoresThem) {
  EXPECT_EQ(form.windowTitle().toStdString(), "WYKRES");
  EXPECT_FALSE(form.isVisible()) << "created hidden";
  EXPECT_EQ(form.pos(), QPoint(142, 67));
  EXPECT_EQ(form.size(), QSize(477, 310));
  TChart& chart = form.Chart1();
  EXPECT_EQ(chart.Width(), 477);
  EXPECT_EQ(chart.Height(), 310);
  EXPECT_EQ(chart.ClientRect(), (TRect{0, 0, 471, 304}));
  EXPECT_EQ(chart.Color(), clTeal);
  EXPECT_EQ(chart.BevelOuter(), bvLowered);
  EXPECT_EQ(chart.BevelWidth(), 4);
  EXPECT_EQ(chart.BevelInner(), bvNone);
  EXPECT_EQ(chart.BorderWidth(), 1);
  EXPECT_EQ(chart.BorderStyle(), bsSingle);
  EXPECT_FALSE(chart.View3D());
  EXPECT_FALSE(chart.View3DWalls());
  EXPECT_EQ(chart.BackWall().Brush().Style(), bsClear);
  ASSERT_EQ(chart.Title().Text().size(), 1u);
  EXPECT_EQ(chart.Title().Text()[0],
            "Press mouse left button, draw down to zoom, up to redraw,  right button to pan ");
  EXPECT_EQ(chart.Title().Font().Height(), -13);
  EXPECT_EQ(chart.Title().Font().Color(), clBlue);
  EXPECT_EQ(chart.Title().Font().Style(), 0u);
  ASSERT_EQ(chart.Foot().Text().size(), 1u);
  EXPECT_EQ(chart.Foot().Text()[0], "RED  -  INPUT 1      WHITE  -  INPUT 2 ");
  EXPECT_EQ(chart.Foot().Font().Color(), clSilver);
  EXPECT_EQ(chart.Foot().Font().Style(), static_cast<TFontStyles>(fsItalic));
  EXPECT_EQ(chart.Foot().Font().Name(), "Arial");
  EXPECT_EQ(chart.BottomAxis().Title().Caption(), "t[s]");
  EXPECT_EQ(chart.Legend().LegendStyle(), lsLastValues);
  ASSERT_EQ(chart.SeriesCount(), 2);
  EXPECT_EQ(chart.Series(0), &form.Series1());
  EXPECT_EQ(chart.Series(1), &form.Series2());
  EXPECT_EQ(form.Series1().SeriesColor(), clRed);
  EXPECT_EQ(form.Series2().SeriesColor(), clGreen);
  EXPECT_TRUE(form.Series1().DrawBeyondEdge());
  EXPECT_FALSE(form.Series2().Marks().Visible);
  EXPECT_FALSE(chart.IsLoading());
}

TEST_F(Form2Test, ThePaintedWindowShowsPanelRingsWallTitleAndFoot) {
  form.Series1().AddPoint(0, -100, "", 255);
  form.Series1().AddPoint(1, 250, "", 255);
  form.Series2().AddPoint(0, 40, "", 0xFFFFFF);
  form.Series2().AddPoint(1, 10, "", 0xFFFFFF);
  QImage image = form.Chart1Widget().grab().toImage();
  ASSERT_EQ(image.size(), QSize(477, 310));
  if (const char* dir = std::getenv("KOLVA_BUILD_DIR"))
    image.save(QString::fromStdString(std::string(dir) + "/wykres_form2.png"));

  // Sunken edge (2 px) and border (1 px) outside the client area, then the
  // client area from (3, 3): four lowered rings, one teal ring, teal panel.
  EXPECT_EQ(At(image, 0, 100), 0x808080u);
  EXPECT_EQ(At(image, 2, 100), 0x008080u) << "border in the panel colour";
  EXPECT_EQ(At(image, 3, 100), 0x808080u) << "bevel shadow on the left";
  EXPECT_EQ(At(image, 6, 100), 0x808080u);
  EXPECT_EQ(At(image, 3 + 470, 100), 0xFFFFFFu) << "bevel highlight on the right";
  EXPECT_EQ(At(image, 7, 100), 0x008080u) << "the teal ring";
  EXPECT_EQ(At(image, 10, 100), 0x008080u) << "the panel";

  TChart& chart = form.Chart1();
  const TRect& r = chart.ChartRect;
  EXPECT_GT(r.Top, 13 + 5) << "the title took its line";
  EXPECT_LT(r.Bottom, 291 - 5) << "the foot took its line";
  // The back wall's outline, black, one pixel; the plot inside is teal.
  EXPECT_EQ(At(image, 3 + r.Right, 3 + r.Top), 0x000000u);
  EXPECT_EQ(At(image, 3 + (r.Left + r.Right) / 2, 3 + r.Top), 0x000000u);
  EXPECT_EQ(At(image, 3 + r.Left + 3, 3 + r.Top + 3), 0x008080u);
  // Title text in blue above the plot, foot text in silver below it (the
  // panel is teal, 0x008080, with no red and half blue; text edges are
  // smoothed, so count by channel). Counted left of the legend box, whose
  // white fill reaches up beside the title.
  const int legendLeft = 3 + chart.Legend().LegendRect.Left - 1;
  auto count = [&](auto test, int y0, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = 8; x < legendLeft; ++x) n += test(QColor(image.pixel(x, y)));
    return n;
  };
  auto blue = [](const QColor& c) { return c.blue() > 0xC0 && c.red() < 0x40; };
  auto silver = [](const QColor& c) { return c.red() > 0x80; };
  EXPECT_GT(count(blue, 3 + 13, 3 + r.Top), 200);
  EXPECT_EQ(count(blue, 3 + r.Bottom + 1, 3 + 304), 0);
  EXPECT_GT(count(silver, 3 + r.Bottom, 3 + 291), 200);
  EXPECT_EQ(count(silver, 3 + 13, 3 + r.Top), 0);
}

TEST_F(Form2Test, ResizingTheWindowGivesTheChartItsNewSize) {
  form.resize(600, 400);
  form.show();
  QApplication::processEvents();
  EXPECT_EQ(form.Chart1().Width(), 600);
  EXPECT_EQ(form.Chart1().Height(), 400);
  QImage image = form.Chart1Widget().grab().toImage();
  EXPECT_EQ(form.Chart1().ChartBounds, (TRect{0, 0, 594, 394}));
  EXPECT_EQ(image.pixel(10, 390) & 0xFFFFFFu, 0x008080u);
}

}  // namespace
}  // namespace kolva::wykres
