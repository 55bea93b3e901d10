// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zoom_fixture_fake.h"

namespace kolva::chart {
namespace {

// A line series that notes every move and release the chart passes on.
class NotingSeries : public TLineSeries {
 public:
  NotingSeries(std::string name, std::vector<std::string>& log)
      : TLineSeries(name), name_(std::move(name)), log_(log) {}
  bool MouseMove(TShiftState shift, int x, int y) override {
    log_.push_back(name_ + " move " + std::to_string(x));
    return TLineSeries::MouseMove(shift, x, y);
  }
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override {
    log_.push_back(name_ + " up " + std::to_string(x));
    TLineSeries::MouseUp(button, shift, x, y);
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

// The chart window's chart with its own cursor crIBeam (as loaded from the
// form), Series1 a rising and Series2 a falling line from (0, 0).
class SeriesMouse : public testing::ZoomFixture {
 protected:
  SeriesMouse() {
    chart->BeginLoading();
    chart->SetCursor(crIBeam);
    chart->EndLoading();
  }
  TPoint On(const TLineSeries& series, int index) const {
    return {series.PixelX(index), series.PixelY(index)};
  }
  int CursorAfterMoveTo(TPoint p) {
    Mouse().MouseMove(0, p.X, p.Y);
    return chart->Cursor();
  }
};

TEST_F(SeriesMouse, TheChartTakesTheCursorOfTheTopSeriesWithOneUnderTheMouse) {
  const TPoint onSeries1 = On(series1, 20);
  const TPoint onSeries2 = On(series2, 20);
  const TPoint onBoth = On(series1, 0);  // both lines start at (0, 0)
  const TPoint offBoth{onSeries1.X, onSeries1.Y + 30};
  ASSERT_EQ(SeriesPointAt(series1, offBoth.X, offBoth.Y), -1);
  ASSERT_EQ(SeriesPointAt(series2, offBoth.X, offBoth.Y), -1);
  const struct {
    const char* what;
    int cursor1;
    int cursor2;
    bool active2;
    TPoint at;
    int expected;
  } cases[] = {
      {"series 2 with its own cursor", crDefault, crHandPoint, true, onSeries2, crHandPoint},
      {"series 1 with its own cursor", crCross, crHandPoint, true, onSeries1, crCross},
      {"series 2 has none of its own", crHandPoint, crDefault, true, onSeries2, crIBeam},
      {"series 2 is hidden", crDefault, crHandPoint, false, onSeries2, crIBeam},
      {"no series under the mouse", crCross, crHandPoint, true, offBoth, crIBeam},
      {"both: the one listed last", crCross, crHandPoint, true, onBoth, crHandPoint},
      {"both, the last without its own", crCross, crDefault, true, onBoth, crCross},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    series1.SetCursor(c.cursor1);
    series2.SetCursor(c.cursor2);
    series2.SetActive(c.active2);
    chart->SetCursor(crSizeAll);  // whatever an earlier move left
    EXPECT_EQ(CursorAfterMoveTo(c.at), c.expected);
  }
}

TEST_F(SeriesMouse, TheCursorReturnsWhenTheMouseLeavesTheSeries) {
  series1.SetCursor(crHandPoint);
  EXPECT_EQ(CursorAfterMoveTo(On(series1, 30)), crHandPoint);
  EXPECT_EQ(CursorAfterMoveTo({X(2), Y(2)}), crIBeam);
  EXPECT_EQ(CursorAfterMoveTo(On(series1, 31)), crHandPoint);
}

TEST_F(SeriesMouse, EverySeriesSeesMovesOutsideADragAndEveryRelease) {
  std::vector<std::string> log;
  series1.SetParentChart(nullptr);
  series2.SetParentChart(nullptr);
  NotingSeries first("first", log);
  NotingSeries second("second", log);
  first.SetParentChart(chart.get());
  second.SetParentChart(chart.get());
  second.SetActive(false);
  Turn();

  Mouse().MouseMove(0, X(5), Y(5));
  Mouse().MouseUp(mbRight, 0, X(6), Y(5));
  const std::vector<std::string> idle{
      "first move " + std::to_string(X(5)), "second move " + std::to_string(X(5)),
      "first up " + std::to_string(X(6)), "second up " + std::to_string(X(6))};
  EXPECT_EQ(log, idle);

  log.clear();
  Mouse().MouseDown(mbLeft, 0, X(10), Y(10));
  Mouse().MouseMove(ssLeft, X(40), Y(40));
  Mouse().MouseUp(mbLeft, 0, X(40), Y(40));
  const std::vector<std::string> drag{"first up " + std::to_string(X(40)),
                                      "second up " + std::to_string(X(40))};
  EXPECT_EQ(log, drag) << "a drag's moves are the chart's own";
  EXPECT_TRUE(chart->Zooming().Zoomed());
  EXPECT_EQ(chart->Cursor(), crDefault) << "the drag set the arrow";
}

}  // namespace
}  // namespace kolva::chart
