// SPDX-License-Identifier: MIT
// The axis object: defaults, checked setters, repaint requests, the
// automatic flags and the range it takes from the series.
#include "chart/axis.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "app/text/textconv.h"
#include "axis_host_fake.h"

namespace kolva::chart {
namespace {

using testing::FakeAxisHost;

class AxisTest : public ::testing::Test {
 protected:
  void SetUp() override { host.formatter = app::FloatPatternText; }

  FakeAxisHost host;
  TChartAxis left{host, AxisSide::kLeft};
  TChartAxis bottom{host, AxisSide::kBottom};
};

void ExpectPen(const TChartPen& pen, TColor color, TPenStyle style, int width) {
  EXPECT_EQ(pen.Color(), color);
  EXPECT_EQ(pen.Style(), style);
  EXPECT_EQ(pen.Width(), width);
  EXPECT_EQ(pen.Mode(), pmCopy);
  EXPECT_TRUE(pen.Visible());
}

TEST_F(AxisTest, Defaults) {
  const TChartAxis& a = left;
  EXPECT_TRUE(a.Automatic());
  EXPECT_TRUE(a.AutomaticMaximum());
  EXPECT_TRUE(a.AutomaticMinimum());
  EXPECT_EQ(a.Maximum(), 0.0);
  EXPECT_EQ(a.Minimum(), 0.0);
  EXPECT_EQ(a.Increment(), 0.0);
  EXPECT_FALSE(a.Inverted());
  EXPECT_FALSE(a.Logarithmic());
  EXPECT_TRUE(a.Labels());
  EXPECT_EQ(a.LabelsAngle(), 0);
  EXPECT_TRUE(a.LabelsFont().SameAs(DefaultChartFont()));
  EXPECT_TRUE(a.LabelsOnAxis());
  EXPECT_EQ(a.LabelsSeparation(), 10);
  EXPECT_EQ(a.LabelsSize(), 0);
  EXPECT_EQ(a.LabelStyle(), talAuto);
  EXPECT_FALSE(a.LabelsMultiLine());
  EXPECT_EQ(a.AxisValuesFormat(), "#,##0.###");
  EXPECT_EQ(a.DateTimeFormat(), "");
  EXPECT_TRUE(a.ExactDateTime());
  EXPECT_TRUE(a.RoundFirstLabel());
  EXPECT_TRUE(a.TickOnLabelsOnly());
  ExpectPen(a.Ticks(), clGray, psSolid, 1);
  EXPECT_EQ(a.TickLength(), 4);
  ExpectPen(a.MinorTicks(), clGray, psSolid, 1);
  EXPECT_EQ(a.MinorTickLength(), 2);
  EXPECT_EQ(a.MinorTickCount(), 3);
  ExpectPen(a.TicksInner(), clGray, psSolid, 1);
  EXPECT_EQ(a.TickInnerLength(), 0);
  ExpectPen(a.Grid(), clGray, psDot, 1);
  EXPECT_FALSE(a.GridCentered());
  ExpectPen(a.Axis(), clBlack, psSolid, 2);
  EXPECT_EQ(a.Title().Caption(), "");
  EXPECT_TRUE(a.Title().Font().SameAs(DefaultChartFont()));
  EXPECT_EQ(a.TitleSize(), 0);
  EXPECT_TRUE(a.Visible());
  EXPECT_EQ(host.invalidations, 0);
}

TEST_F(AxisTest, SidesSetOrientationTitleAngleAndVisibility) {
  struct Case {
    AxisSide side;
    bool horizontal, otherSide, depth, visible;
    int titleAngle;
  };
  const Case cases[] = {
      {AxisSide::kLeft, false, false, false, true, 90},
      {AxisSide::kRight, false, true, false, true, 270},
      {AxisSide::kTop, true, true, false, true, 0},
      {AxisSide::kBottom, true, false, false, true, 0},
  };
  for (const Case& c : cases) {
    const TChartAxis axis(host, c.side);
    EXPECT_EQ(axis.IsHorizontal(), c.horizontal);
    EXPECT_EQ(axis.OnOtherSide(), c.otherSide);
    EXPECT_EQ(axis.IsDepthAxis(), c.depth);
    EXPECT_EQ(axis.Visible(), c.visible);
    EXPECT_EQ(axis.Title().Angle(), c.titleAngle);
  }
  const TChartDepthAxis depth(host);
  EXPECT_TRUE(depth.IsDepthAxis());
  EXPECT_TRUE(depth.OnOtherSide());
  EXPECT_FALSE(depth.IsHorizontal());
  EXPECT_FALSE(depth.Visible());
}

struct BadValue {
  const char* name;
  std::function<void(TChartAxis&)> set;
  bool axisException;  // AxisException, or a plain ChartException
  const char* message;
};

TEST_F(AxisTest, InvalidValuesRaiseAndKeepTheOldValue) {
  host.series[AxisSide::kLeft] = {{3, -2.0, 7.0, false, false}};
  const BadValue cases[] = {
      {"separation", [](TChartAxis& a) { a.SetLabelsSeparation(-1); }, true,
       "Labels Separation % must be greater than 0"},
      {"increment", [](TChartAxis& a) { a.SetIncrement(-0.5); }, true,
       "Axis increment must be >= 0"},
      {"minimum", [](TChartAxis& a) { a.SetMinimum(0.5); }, true,
       "Axis Minimum Value must be <= Maximum"},
      {"maximum", [](TChartAxis& a) { a.SetMaximum(-0.5); }, true,
       "Axis Maximum Value must be >= Minimum"},
      {"labels angle low", [](TChartAxis& a) { a.SetLabelsAngle(-1); }, false,
       "Axis Labels Angle must be between 0 and 359 degrees"},
      {"labels angle high", [](TChartAxis& a) { a.SetLabelsAngle(361); }, false,
       "Axis Labels Angle must be between 0 and 359 degrees"},
      {"title angle", [](TChartAxis& a) { a.Title().SetAngle(400); }, false,
       "Axis Title Angle must be between 0 and 359 degrees"},
      {"logarithmic below zero", [](TChartAxis& a) { a.SetLogarithmic(true); }, true,
       "Logarithmic Axis Min and Max values should be >= 0"},
  };
  for (const BadValue& c : cases) {
    TChartAxis axis(host, AxisSide::kLeft);
    const int before = host.invalidations;
    try {
      c.set(axis);
      ADD_FAILURE() << c.name << ": no exception";
    } catch (const ChartException& e) {
      EXPECT_STREQ(e.what(), c.message) << c.name;
      EXPECT_EQ(dynamic_cast<const AxisException*>(&e) != nullptr, c.axisException) << c.name;
    }
    EXPECT_EQ(host.invalidations, before) << c.name;
    EXPECT_EQ(axis.LabelsSeparation(), 10) << c.name;
    EXPECT_EQ(axis.Increment(), 0.0) << c.name;
    EXPECT_EQ(axis.Minimum(), c.name == std::string("logarithmic below zero") ? -2.0 : 0.0);
    EXPECT_EQ(axis.Maximum(), c.name == std::string("logarithmic below zero") ? 7.0 : 0.0);
    EXPECT_EQ(axis.LabelsAngle(), 0) << c.name;
    EXPECT_EQ(axis.Title().Angle(), 90) << c.name;
    EXPECT_FALSE(axis.Logarithmic()) << c.name;
  }
}

TEST_F(AxisTest, BoundaryValuesAreAccepted) {
  left.SetLabelsSeparation(0);
  EXPECT_EQ(left.LabelsSeparation(), 0);
  left.SetLabelsAngle(360);
  EXPECT_EQ(left.LabelsAngle(), 0);
  left.SetLabelsAngle(359);
  EXPECT_EQ(left.LabelsAngle(), 359);
  left.Title().SetAngle(360);
  EXPECT_EQ(left.Title().Angle(), 0);
  left.SetMaximum(5);
  left.SetMinimum(5);  // equal ends are fine
  EXPECT_EQ(left.Minimum(), 5.0);

  host.series[AxisSide::kLeft] = {{2, 0.0, 3.0, false, false}};
  left.SetLogarithmic(true);
  EXPECT_TRUE(left.Logarithmic());
}

TEST_F(AxisTest, DateTimeAxisCannotBeLogarithmic) {
  host.series[AxisSide::kBottom] = {{2, 1.0, 3.0, false, true}};
  try {
    bottom.SetLogarithmic(true);
    ADD_FAILURE() << "no exception";
  } catch (const AxisException& e) {
    EXPECT_STREQ(e.what(), "DateTime Axis cannot be Logarithmic");
  }
  EXPECT_FALSE(bottom.Logarithmic());
}

TEST_F(AxisTest, LoadingSkipsTheRangeChecksAndTheAutomaticCoupling) {
  host.loading = true;
  left.SetMinimum(10);
  left.SetMaximum(3);
  EXPECT_EQ(left.Minimum(), 10.0);
  EXPECT_EQ(left.Maximum(), 3.0);
  left.SetAutomatic(false);
  EXPECT_FALSE(left.Automatic());
  EXPECT_TRUE(left.AutomaticMinimum());
  EXPECT_TRUE(left.AutomaticMaximum());
}

TEST_F(AxisTest, AutomaticFlagsAreCoupled) {
  left.SetAutomatic(false);
  EXPECT_FALSE(left.AutomaticMinimum());
  EXPECT_FALSE(left.AutomaticMaximum());
  left.SetAutomatic(true);
  EXPECT_TRUE(left.AutomaticMinimum());
  EXPECT_TRUE(left.AutomaticMaximum());

  left.SetAutomaticMinimum(false);
  EXPECT_FALSE(left.Automatic());
  EXPECT_TRUE(left.AutomaticMaximum());

  left.SetAutomatic(true);
  left.SetAutomaticMaximum(false);
  EXPECT_FALSE(left.Automatic());
  EXPECT_TRUE(left.AutomaticMinimum());
}

TEST_F(AxisTest, ChangesRequestOneRepaintAndEqualValuesNone) {
  const std::vector<std::pair<const char*, std::function<void(TChartAxis&)>>> changes = {
      {"Automatic", [](TChartAxis& a) { a.SetAutomatic(false); }},
      {"Maximum", [](TChartAxis& a) { a.SetMaximum(4); }},
      {"Minimum", [](TChartAxis& a) { a.SetMinimum(-4); }},
      {"Increment", [](TChartAxis& a) { a.SetIncrement(2); }},
      {"Inverted", [](TChartAxis& a) { a.SetInverted(true); }},
      {"Labels", [](TChartAxis& a) { a.SetLabels(false); }},
      {"LabelsAngle", [](TChartAxis& a) { a.SetLabelsAngle(90); }},
      {"LabelsSeparation", [](TChartAxis& a) { a.SetLabelsSeparation(0); }},
      {"AxisValuesFormat", [](TChartAxis& a) { a.SetAxisValuesFormat("0.0"); }},
      {"TickLength", [](TChartAxis& a) { a.SetTickLength(7); }},
      {"Visible", [](TChartAxis& a) { a.SetVisible(false); }},
      {"Grid pen", [](TChartAxis& a) { a.Grid().SetColor(clRed); }},
      {"Axis pen", [](TChartAxis& a) { a.Axis().SetVisible(false); }},
      {"Ticks pen", [](TChartAxis& a) { a.Ticks().SetWidth(3); }},
      {"LabelsFont", [](TChartAxis& a) { a.LabelsFont().SetColor(clRed); }},
      {"Title caption", [](TChartAxis& a) { a.Title().SetCaption("t[s]"); }},
      {"Title angle", [](TChartAxis& a) { a.Title().SetAngle(0); }},
      {"Title font", [](TChartAxis& a) { a.Title().Font().SetName("Courier"); }},
  };
  for (const auto& [name, change] : changes) {
    TChartAxis axis(host, AxisSide::kLeft);
    host.invalidations = 0;
    change(axis);
    EXPECT_EQ(host.invalidations, 1) << name;
    change(axis);
    EXPECT_EQ(host.invalidations, 1) << name << " set again";
  }
}

TEST_F(AxisTest, RecalcRangeFollowsTheSeriesWhereAutomatic) {
  host.series[AxisSide::kLeft] = {{0, -99.0, 99.0, false, false}, {4, -2.5, 7.25, false, false}};
  left.RecalcRange();
  EXPECT_EQ(left.Minimum(), -2.5);
  EXPECT_EQ(left.Maximum(), 7.25);
  EXPECT_EQ(left.RangeMin(), -2.5);
  EXPECT_EQ(left.RangeMax(), 7.25);
  EXPECT_EQ(left.RangeSpan(), 9.75);
  EXPECT_EQ(host.invalidations, 0);  // the automatic stores do not repaint

  // A manual maximum stays; the automatic minimum still follows the series,
  // even above the manual maximum, without raising.
  left.SetAutomaticMaximum(false);
  left.SetMaximum(1.0);
  host.series[AxisSide::kLeft] = {{4, 3.0, 5.0, false, false}};
  left.RecalcRange();
  EXPECT_EQ(left.Minimum(), 3.0);
  EXPECT_EQ(left.Maximum(), 1.0);
  EXPECT_EQ(left.RangeSpan(), -2.0);

  // No series with points: both automatic ends are 0.
  TChartAxis empty(host, AxisSide::kTop);
  empty.RecalcRange();
  EXPECT_EQ(empty.RangeMin(), 0.0);
  EXPECT_EQ(empty.RangeMax(), 0.0);
}

TEST_F(AxisTest, ManualRange) {
  host.invalidations = 0;
  left.SetManualRange(2, 2);
  EXPECT_FALSE(left.Automatic());
  EXPECT_FALSE(left.AutomaticMinimum());
  EXPECT_FALSE(left.AutomaticMaximum());
  EXPECT_EQ(left.Minimum(), 2.0);
  EXPECT_EQ(left.Maximum(), 2.0000000001);
  EXPECT_GT(host.invalidations, 0);

  // Reversed ends are put in order and need no setter checks in between.
  left.SetManualRange(9, -3);
  EXPECT_EQ(left.Minimum(), -3.0);
  EXPECT_EQ(left.Maximum(), 9.0);
  host.series[AxisSide::kLeft] = {{4, 100.0, 200.0, false, false}};
  left.RecalcRange();
  EXPECT_EQ(left.RangeMin(), -3.0);
  EXPECT_EQ(left.RangeMax(), 9.0);
}

TEST_F(AxisTest, MappingUsesChartRectAlongTheAxis) {
  host.chartRect = {10, 20, 410, 320};
  host.series[AxisSide::kLeft] = {{2, 0.0, 30.0, false, false}};
  host.series[AxisSide::kBottom] = {{2, 0.0, 40.0, false, false}};
  left.RecalcRange();
  bottom.RecalcRange();
  EXPECT_EQ(left.ValueToPixel(0), 320);
  EXPECT_EQ(left.ValueToPixel(30), 20);
  EXPECT_EQ(bottom.ValueToPixel(0), 10);
  EXPECT_EQ(bottom.ValueToPixel(40), 410);
  EXPECT_DOUBLE_EQ(left.PixelToValue(170), 15.0);
  EXPECT_DOUBLE_EQ(bottom.PixelToValue(210), 20.0);

  // Series margins: 30 pixels free at the top and none at the bottom.
  left.ApplySeriesMargins(30, 0);
  EXPECT_DOUBLE_EQ(left.RangeMin(), 0.0);
  EXPECT_DOUBLE_EQ(left.RangeMax(), 30.0 + 30.0 * 30.0 / 270.0);
  EXPECT_EQ(left.ValueToPixel(30), 50);
}

TEST_F(AxisTest, LabelStyleResolution) {
  EXPECT_EQ(left.ResolvedLabelStyle(), talNone);
  host.series[AxisSide::kLeft] = {{0, 0, 0, true, false}};
  host.series[AxisSide::kBottom] = {{0, 0, 0, true, false}};
  EXPECT_EQ(left.ResolvedLabelStyle(), talValue);  // point labels only label x
  EXPECT_EQ(bottom.ResolvedLabelStyle(), talText);
  host.series[AxisSide::kBottom] = {{0, 0, 0, false, false}, {0, 0, 0, true, false}};
  EXPECT_EQ(bottom.ResolvedLabelStyle(), talValue);  // only the first series counts
  bottom.SetLabelStyle(talNone);
  EXPECT_EQ(bottom.ResolvedLabelStyle(), talNone);
}

TEST_F(AxisTest, LabelTextUsesThePatternThenTheEvent) {
  EXPECT_EQ(left.LabelTextOf(1234.5), "1,234.5");
  EXPECT_EQ(left.LabelTextOf(0.1 + 0.2), "0.3");
  EXPECT_EQ(left.LabelTextOf(-4), "-4");
  left.SetAxisValuesFormat("0.00");
  EXPECT_EQ(left.LabelTextOf(2), "2.00");
  host.onGetAxisLabel = [](std::string& text) { text = "<" + text + ">"; };
  EXPECT_EQ(left.LabelTextOf(2), "<2.00>");
}

}  // namespace
}  // namespace kolva::chart
