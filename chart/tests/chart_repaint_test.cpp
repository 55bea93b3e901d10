// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "chart/chart_errors.h"
#include "chart/line_series.h"
#include "chart_fixture_fake.h"

namespace kolva::chart {
namespace {

using Repaint = testing::ChartFixture;

TEST_F(Repaint, TwoPaintsWithoutAChangeDrawOnce) {
  chart->Paint();
  std::size_t drawn = canvas->ops.size();
  EXPECT_GT(drawn, 0u);
  EXPECT_EQ(canvas->copies, 1);
  chart->Paint();
  EXPECT_EQ(canvas->ops.size(), drawn);
  EXPECT_EQ(canvas->copies, 2);
  chart->Invalidate();
  chart->Paint();
  EXPECT_EQ(canvas->ops.size(), 2 * drawn);
}

TEST_F(Repaint, ManyPointsBetweenTwoTurnsGiveOnePaint) {
  TLineSeries series("Series1");
  series.SetParentChart(chart.get());
  Turn();
  requests = paints = 0;
  for (int i = 0; i < 1000; ++i) series.AddPoint(i * 0.5, i % 7);
  EXPECT_EQ(requests, 1);
  Turn();
  Turn();
  EXPECT_EQ(paints, 1);
  series.AddPoint(1000, 0);
  Turn();
  EXPECT_EQ(requests, 2);
  EXPECT_EQ(paints, 2);
}

TEST_F(Repaint, ClearingAnEmptySeriesStillRequestsARepaint) {
  TLineSeries series;
  series.SetParentChart(chart.get());
  Turn();
  series.ClearPoints();
  EXPECT_TRUE(chart->RepaintPending());
}

TEST_F(Repaint, RefusedPointsAndInactiveSeriesRequestNothing) {
  TLineSeries series;
  series.SetParentChart(chart.get());
  Turn();
  series.OnBeforeAdd = [](TChartSeries&) { return false; };
  series.AddPoint(1, 1);
  EXPECT_FALSE(chart->RepaintPending());
  series.OnBeforeAdd = nullptr;
  series.SetActive(false);
  Turn();
  series.AddPoint(1, 1);
  EXPECT_FALSE(chart->RepaintPending());
}

TEST_F(Repaint, SettersGivenTheValueTheyHoldRequestNothing) {
  TLineSeries series;
  series.SetParentChart(chart.get());
  series.SetSeriesColor(clRed);
  Turn();
  int before = requests;
  chart->SetColor(chart->Color());
  chart->SetMarginLeft(3);
  chart->SetView3D(true);
  chart->SetAxisVisible(true);
  chart->SetChart3DPercent(15);
  chart->View3DOptions().SetZoom(100);
  chart->Title().SetText({});
  chart->Title().Font().SetColor(clBlue);
  chart->Title().Frame().SetVisible(false);
  chart->BackWall().Pen().SetWidth(1);
  chart->BackWall().Brush().SetStyle(bsClear);
  chart->Legend().SetTopPos(10);
  chart->Legend().SetLegendStyle(lsAuto);
  chart->BottomAxis().SetVisible(true);
  series.SetSeriesColor(clRed);
  series.SetTitle("");
  series.SetActive(true);
  series.SetColorEachPoint(false);
  series.XValues().SetMultiplier(1.0);
  series.XValues().SetDateTime(false);
  EXPECT_EQ(requests, before);
  EXPECT_FALSE(canvas->BufferDirty());

  struct Change {
    const char* what;
    std::function<void()> apply;
  } changes[] = {
      {"panel colour", [&] { chart->SetColor(clAqua); }},
      {"title font", [&] { chart->Title().Font().SetStyle(fsItalic); }},
      {"wall pen", [&] { chart->BackWall().Pen().SetWidth(2); }},
      {"legend", [&] { chart->Legend().SetShadowSize(0); }},
      {"3D option", [&] { chart->View3DOptions().SetTilt(3); }},
      {"series title", [&] { series.SetTitle("x"); }},
      {"multiplier", [&] { series.YValues().SetMultiplier(2.0); }},
      {"axis", [&] { chart->LeftAxis().SetInverted(true); }},
  };
  for (const Change& change : changes) {
    change.apply();
    EXPECT_TRUE(chart->RepaintPending()) << change.what;
    EXPECT_TRUE(canvas->BufferDirty()) << change.what;
    Turn();
  }
}

TEST_F(Repaint, ResizingDiscardsTheBuffer) {
  chart->Paint();
  EXPECT_EQ(canvas->bufferWidth, 400);
  chart->SetBounds(0, 0, 300, 200);
  EXPECT_EQ(canvas->buffersFreed, 1);
  EXPECT_TRUE(chart->RepaintPending());
  Turn();
  EXPECT_EQ(canvas->buffersCreated, 2);
  EXPECT_EQ(canvas->bufferWidth, 300);
  EXPECT_EQ(canvas->bufferHeight, 200);
}

using SeriesList = testing::ChartFixture;

TEST_F(SeriesList, AutomaticColoursSkipUsedAndPanelColours) {
  chart->SetColor(clRed);
  TLineSeries a, b, c, d;
  d.SetSeriesColor(clBlue);
  d.SetParentChart(chart.get());
  a.SetParentChart(chart.get());
  b.SetParentChart(chart.get());
  chart->SetBackColor(clYellow);
  c.SetParentChart(chart.get());
  EXPECT_EQ(a.SeriesColor(), clGreen) << "red is the panel's colour";
  EXPECT_EQ(b.SeriesColor(), clYellow);
  EXPECT_EQ(c.SeriesColor(), clWhite) << "blue is used, yellow is taken";
  EXPECT_EQ(d.SeriesColor(), clBlue);
  EXPECT_EQ(chart->BackWall().Brush().Style(), bsSolid);
}

TEST_F(SeriesList, TheSeventeenthColourIsTakenUntested) {
  std::vector<std::unique_ptr<TLineSeries>> all;
  for (int i = 0; i < kPaletteSize; ++i) {
    all.push_back(std::make_unique<TLineSeries>());
    all.back()->SetSeriesColor(PaletteColor(i));
    all.back()->SetParentChart(chart.get());
  }
  TLineSeries extra;
  extra.SetParentChart(chart.get());
  EXPECT_EQ(extra.SeriesColor(), PaletteColor(16));
  EXPECT_EQ(chart->SeriesCount(), 17);
}

TEST_F(SeriesList, QueriesAddRemoveAndAxisVisibility) {
  TLineSeries s1("Series1"), s2("Series2"), s3;
  for (TLineSeries* s : {&s1, &s2, &s3}) s->SetParentChart(chart.get());
  s1.SetParentChart(chart.get());
  EXPECT_EQ(chart->SeriesCount(), 3);
  s1.SetActive(false);
  s2.SetTitle("Channel 2");
  EXPECT_EQ(chart->CountActiveSeries(), 2);
  EXPECT_EQ(chart->FirstActiveSeries(), &s2);
  EXPECT_EQ(chart->LegendSeries(0), &s2);
  EXPECT_EQ(chart->SeriesLegendTitle(0), "Channel 2");
  EXPECT_EQ(chart->SeriesLegendTitle(1), "Series 1");
  EXPECT_EQ(chart->SeriesLegendTitle(2), "");
  s1.SetActive(true);
  EXPECT_EQ(chart->SeriesLegendTitle(0), "Series1");

  EXPECT_TRUE(chart->IsAxisVisible(chart->BottomAxis()));
  EXPECT_TRUE(chart->IsAxisVisible(chart->LeftAxis()));
  EXPECT_FALSE(chart->IsAxisVisible(chart->TopAxis()));
  EXPECT_FALSE(chart->IsAxisVisible(chart->RightAxis()));
  EXPECT_FALSE(chart->IsAxisVisible(chart->DepthAxis()));
  s3.SetVertAxis(aRightAxis);
  EXPECT_TRUE(chart->IsAxisVisible(chart->RightAxis()));
  s3.SetActive(false);
  EXPECT_FALSE(chart->IsAxisVisible(chart->RightAxis()));
  chart->SetAxisVisible(false);
  EXPECT_FALSE(chart->IsAxisVisible(chart->BottomAxis()));

  s2.SetParentChart(nullptr);
  EXPECT_EQ(chart->SeriesCount(), 2);
  EXPECT_EQ(chart->Series(1), &s3);
  EXPECT_EQ(s2.ParentChart(), nullptr);
}

TEST_F(SeriesList, SeriesAndChartOutliveEachOtherSafely) {
  auto early = std::make_unique<TLineSeries>();
  TLineSeries late;
  early->SetParentChart(chart.get());
  late.SetParentChart(chart.get());
  early.reset();
  EXPECT_EQ(chart->SeriesCount(), 1);
  chart.reset();
  EXPECT_EQ(late.ParentChart(), nullptr);
  late.AddPoint(1, 1);
}

TEST_F(SeriesList, PropertyChecksKeepTheOldValue) {
  struct Case {
    std::function<void()> set;
    const char* message;
  } cases[] = {
      {[&] { chart->SetChart3DPercent(0); }, "3D effect percent must be between 1 and 100"},
      {[&] { chart->SetChart3DPercent(101); }, "3D effect percent must be between 1 and 100"},
      {[&] { chart->SetMaxPointsPerPage(-1); }, "MaxPointsPerPage must be >= 0"},
      {[&] { chart->Legend().SetTopPos(101); }, "Top Legend Position must be between 0 and 100 %"},
      {[&] { chart->Legend().SetFirstValue(-1); }, "First Legend Value must be > 0"},
      {[&] { chart->Legend().SetColorWidth(-1); },
       "Legend Color Width must be between 0 and 100 %"},
  };
  for (const Case& c : cases) {
    try {
      c.set();
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const ChartException& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  EXPECT_EQ(chart->Chart3DPercent(), 15);
  EXPECT_EQ(chart->MaxPointsPerPage(), 0);
  EXPECT_EQ(chart->Legend().TopPos(), 10);
  EXPECT_EQ(chart->Legend().FirstValue(), 0);
  EXPECT_EQ(chart->Legend().ColorWidth(), 12);
  chart->Legend().SetFirstValue(0);
  chart->SetChart3DPercent(100);
  EXPECT_EQ(chart->Chart3DPercent(), 100);
}

TEST_F(SeriesList, DefaultsOfTheOwnedObjects) {
  EXPECT_EQ(chart->Width(), 400);
  EXPECT_EQ(chart->Height(), 250);
  EXPECT_EQ(chart->MarginTop(), 4);
  EXPECT_EQ(chart->MarginLeft(), 3);
  EXPECT_EQ(chart->AllowPanning(), pmBoth);
  EXPECT_EQ(chart->AnimatedZoomSteps(), 8);
  EXPECT_EQ(chart->Title().Font().Color(), clBlue);
  EXPECT_EQ(chart->Title().Font().Name(), "Arial");
  EXPECT_EQ(chart->Title().Brush().Color(), clAutoColor);
  EXPECT_FALSE(chart->Title().Frame().Visible());
  EXPECT_EQ(chart->BackWall().Brush().Style(), bsClear);
  EXPECT_EQ(chart->LeftWall().Color(), 0x80FFFFu);
  EXPECT_EQ(chart->BottomWall().Color(), clWhite);
  EXPECT_EQ(chart->BackColor(), clAutoColor);
  EXPECT_EQ(&chart->Frame(), &chart->BackWall().Pen());
  EXPECT_EQ(chart->Gradient().EndColor(), 0xFFFFu);
  EXPECT_FALSE(chart->Gradient().Visible());
  EXPECT_EQ(chart->Legend().Alignment(), laRight);
  EXPECT_EQ(chart->Legend().EffectiveLegendStyle(), lsValues);
  EXPECT_TRUE(IsDefaultChartFont(chart->Legend().Font()));
  EXPECT_EQ(chart->View3DOptions().Elevation(), 345);
  EXPECT_TRUE(chart->View3D());
}

TEST_F(SeriesList, DependentsCopyTheirSource) {
  TLineSeries source("source"), copy("copy");
  EXPECT_THROW(copy.AddDataSource(&source), ChartException) << "no chart to validate it";
  source.SetParentChart(chart.get());
  copy.SetParentChart(chart.get());
  EXPECT_THROW(copy.AddDataSource(&copy), ChartException);
  source.AddPoint(1, 10, "one", clRed);
  copy.AddDataSource(&source);
  ASSERT_EQ(copy.PointCount(), 1);
  EXPECT_EQ(copy.PointLabel(0), "one");
  source.AddPoint(0, 5);
  ASSERT_EQ(copy.PointCount(), 2);
  EXPECT_EQ(copy.YValue(0), 5);
  source.YValues().ChangeValue(1, 11);
  EXPECT_EQ(copy.YValue(1), 11);
  source.DeletePoint(0);
  EXPECT_EQ(copy.PointCount(), 1);
  EXPECT_EQ(copy.PointColor(0), clRed);
  source.ClearPoints();
  EXPECT_EQ(copy.PointCount(), 0);
  copy.RemoveDataSource(&source);
  source.AddPoint(3, 3);
  EXPECT_EQ(copy.PointCount(), 0);
}

}  // namespace
}  // namespace kolva::chart
