// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "chart/chart_errors.h"
#include "chart/chart_series.h"
#include "chart/custom_chart.h"
#include "recording_canvas.h"

namespace kolva::chart {
namespace {

std::vector<double> Values(const TChartValueList& list) {
  std::vector<double> out;
  for (int i = 0; i < list.ValueCount(); ++i) out.push_back(list.Value(i));
  return out;
}

struct OrderCase {
  TChartListOrder order;
  std::vector<double> added;
  std::vector<double> expected;
  int lastIndex;
};

class AddOrderedTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(AddOrderedTest, KeepsOrderAndAnswersTheIndex) {
  const OrderCase& c = GetParam();
  TChartValueList list(nullptr, "X");
  list.SetOrder(c.order);
  int index = -1;
  for (double v : c.added) index = list.AddOrdered(v);
  EXPECT_EQ(Values(list), c.expected);
  EXPECT_EQ(index, c.lastIndex);
}

INSTANTIATE_TEST_SUITE_P(Orders, AddOrderedTest,
                         ::testing::Values(OrderCase{loAscending, {1, 2, 3, 2}, {1, 2, 2, 3}, 2},
                                           OrderCase{loAscending, {1, 2, 3, 0}, {0, 1, 2, 3}, 0},
                                           OrderCase{loAscending, {1, 2, 3, 3}, {1, 2, 3, 3}, 3},
                                           OrderCase{loAscending, {5, 5, 5, 4}, {4, 5, 5, 5}, 0},
                                           OrderCase{loNone, {3, 1, 2}, {3, 1, 2}, 2},
                                           OrderCase{loDescending, {3, 2, 1, 2}, {3, 2, 2, 1}, 2},
                                           OrderCase{loDescending, {3, 2, 1, 9}, {9, 3, 2, 1}, 0},
                                           OrderCase{loDescending, {3, 2, 1, 1}, {3, 2, 1, 1}, 3}));

TEST(ValueListTest, StatisticsFollowAddsDeletesAndChanges) {
  TChartValueList list(nullptr, "Y");
  list.AddOrdered(-5);
  EXPECT_EQ(list.MinimumValue(), -5);
  EXPECT_EQ(list.MaximumValue(), -5);
  list.AddOrdered(3);
  EXPECT_EQ(list.MinimumValue(), -5);
  EXPECT_EQ(list.MaximumValue(), 3);
  EXPECT_EQ(list.TotalValue(), -2);
  EXPECT_EQ(list.TotalAbsValue(), 8);

  list.AddOrdered(1);
  list.DeleteValue(1);  // the maximum 3 goes
  EXPECT_EQ(list.MaximumValue(), 1);
  EXPECT_EQ(list.TotalValue(), -4);
  EXPECT_EQ(list.TotalAbsValue(), 6);

  list.ChangeValue(0, 0.5);  // the minimum -5 goes
  EXPECT_EQ(list.MinimumValue(), 0.5);
  EXPECT_EQ(list.MaximumValue(), 1);
  EXPECT_EQ(list.TotalValue(), 1.5);

  list.DeleteValue(0);
  list.DeleteValue(0);
  EXPECT_EQ(list.MinimumValue(), 0);
  EXPECT_EQ(list.MaximumValue(), 0);
  EXPECT_EQ(list.ValueCount(), 0);
}

TEST(ValueListTest, MultiplierLocateRemoveAllAndBadIndices) {
  TChartValueList list(nullptr, "Y");
  for (double v : {1.0, 4.0, 2.0}) list.AddOrdered(v);
  list.SetMultiplier(-2.0);
  EXPECT_EQ(list.Value(1), -8.0);
  EXPECT_EQ(list.MinimumValue(), -8.0);
  EXPECT_EQ(list.MaximumValue(), -2.0);
  EXPECT_EQ(list.TotalValue(), -14.0);
  EXPECT_EQ(list.LocateValue(-4.0), 2);
  EXPECT_EQ(list.LocateValue(4.0), -1);
  EXPECT_EQ(list.LastValue(), -4.0);

  EXPECT_THROW(list.Value(3), EListError);
  EXPECT_THROW(list.Value(-1), EListError);
  EXPECT_THROW(list.DeleteValue(3), EListError);
  EXPECT_THROW(list.ChangeValue(7, 1.0), EListError);
  try {
    list.Value(3);
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (3)");
  }

  list.RemoveAll();
  EXPECT_EQ(list.ValueCount(), 0);
  EXPECT_EQ(list.StorageBytes(), 0u);
  EXPECT_EQ(list.TotalValue(), 0);
  EXPECT_EQ(list.TotalAbsValue(), 0);
  EXPECT_EQ(list.MaximumValue(), 0);
  EXPECT_THROW(list.LastValue(), EListError);
}

class SeriesTest : public ::testing::Test {
 protected:
  TChartSeries series{"Series1"};
};

TEST_F(SeriesTest, DefaultsAndListRegistration) {
  EXPECT_TRUE(series.Active());
  EXPECT_EQ(series.SeriesColor(), clAutoColor);
  EXPECT_EQ(series.PercentFormat(), "##0.## %");
  EXPECT_EQ(series.ValueFormat(), "#,##0.###");
  EXPECT_EQ(series.HorizAxis(), aBottomAxis);
  EXPECT_EQ(series.VertAxis(), aLeftAxis);
  EXPECT_EQ(series.XValues().Order(), loAscending);
  EXPECT_EQ(series.YValues().Order(), loNone);
  EXPECT_EQ(series.XValues().Name(), "X");
  EXPECT_EQ(series.YValues().Name(), "Y");
  ASSERT_EQ(series.ValueLists().size(), 2u);
  EXPECT_EQ(series.ValueLists()[0], &series.XValues());
  EXPECT_EQ(series.ValueLists()[1], &series.YValues());
  EXPECT_EQ(series.FirstVisibleIndex(), -1);
  EXPECT_FALSE(series.DrawBeyondEdge());
}

TEST_F(SeriesTest, OutOfOrderPointKeepsItsYColourAndLabelTogether) {
  series.AddPoint(1, 10, "", clRed);
  series.AddPoint(2, 20, "two", clGreen);
  series.AddPoint(3, 30, "", clBlue);
  EXPECT_EQ(series.AddPoint(2, 25, "new", clYellow), 2);
  EXPECT_EQ(series.AddPoint(0.5, 5), 0);
  ASSERT_EQ(series.PointCount(), 5);
  EXPECT_EQ(series.YValue(3), 25);
  EXPECT_EQ(series.PointColor(3), clYellow);
  EXPECT_EQ(series.PointLabel(3), "new");
  EXPECT_EQ(series.PointLabel(2), "two");
  EXPECT_EQ(series.PointLabel(4), "");
  EXPECT_EQ(series.PointLabel(0), "");
  EXPECT_EQ(series.YValue(4), 30);
  EXPECT_EQ(series.XMinimum(), 0.5);
  EXPECT_EQ(series.XMaximum(), 3);
  EXPECT_EQ(series.YMinimum(), 5);
  EXPECT_EQ(series.YMaximum(), 30);
  EXPECT_THROW(series.XValue(5), EListError);
}

TEST_F(SeriesTest, PointColours) {
  series.SetSeriesColor(clRed);
  series.AddPoint(0, 0, "", 255);
  series.AddPoint(1, 0, "", clAutoColor);
  series.AddPoint(2, 0, "", clDefault);
  series.AddPoint(3, 0, "", clNone);
  series.AddPoint(4, 0, "", 0xFFFFFF);
  EXPECT_EQ(series.PointColor(0), 255u);
  EXPECT_EQ(series.PointColor(1), clRed);
  EXPECT_EQ(series.PointColor(2), clRed);
  EXPECT_EQ(series.PointColor(3), clNone);
  EXPECT_EQ(series.PointColor(4), 0xFFFFFFu);
  EXPECT_EQ(series.PointColor(5), clRed);
  EXPECT_EQ(series.PointColor(-1), clRed);

  series.SetColorEachPoint(true);
  EXPECT_EQ(series.PointColor(1), PaletteColor(1));
  EXPECT_EQ(series.PointColor(2), PaletteColor(2));
  EXPECT_EQ(series.PointColor(0), 255u);
  series.SetColorEachPoint(false);  // every stored colour is reset
  for (int i = 0; i < 5; ++i) EXPECT_EQ(series.PointColor(i), clRed) << i;
}

TEST_F(SeriesTest, EventsAndRefusedPoints) {
  std::vector<std::string> calls;
  series.OnBeforeAdd = [&](TChartSeries& s) {
    calls.push_back("before " + std::to_string(static_cast<int>(s.XValues().StagedValue)));
    return s.YValues().StagedValue >= 0;
  };
  series.OnAfterAdd = [&](TChartSeries&, int i) { calls.push_back("after " + std::to_string(i)); };
  series.OnClearValues = [&](TChartSeries&) { calls.push_back("clear"); };
  EXPECT_EQ(series.AddPoint(4, 1), 0);
  EXPECT_EQ(series.AddPoint(7, -1), -1);
  EXPECT_EQ(series.PointCount(), 1);
  series.ClearPoints();
  series.ClearPoints();
  EXPECT_EQ(calls, (std::vector<std::string>{"before 4", "after 0", "before 7", "clear", "clear"}));
}

TEST(SeriesLifetimeTest, DestructionCallsNoHandler) {
  int clears = 0;
  {
    TChartSeries doomed{"Doomed"};
    doomed.AddPoint(1, 2);
    doomed.OnClearValues = [&](TChartSeries&) { ++clears; };
    doomed.ClearPoints();
    EXPECT_EQ(clears, 1);
    doomed.AddPoint(3, 4);
  }
  EXPECT_EQ(clears, 1);
}

TEST_F(SeriesTest, ClearAndDeleteEmptyEveryList) {
  series.AddPoint(1, -3, "a");
  series.AddPoint(2, 8, "");
  series.AddPoint(3, 5, "c");
  series.DeletePoint(1);  // the Y maximum
  EXPECT_EQ(series.PointCount(), 2);
  EXPECT_EQ(series.YMaximum(), 5);
  EXPECT_EQ(series.PointLabel(1), "c");
  EXPECT_EQ(series.XValue(1), 3);
  EXPECT_THROW(series.DeletePoint(2), EListError);

  series.ClearPoints();
  EXPECT_EQ(series.PointCount(), 0);
  EXPECT_EQ(series.XMinimum(), 0);
  EXPECT_EQ(series.XMaximum(), 0);
  EXPECT_EQ(series.YMinimum(), 0);
  EXPECT_EQ(series.YMaximum(), 0);
  EXPECT_EQ(series.StorageBytes(), 0u);
  EXPECT_FALSE(series.HasPointLabels());
  EXPECT_EQ(series.PointLabel(0), "");
}

TEST_F(SeriesTest, LabelsCostNothingUntilOneIsGiven) {
  for (int i = 0; i < 100; ++i) series.AddPoint(i, i);
  std::size_t plain = series.StorageBytes();
  EXPECT_FALSE(series.HasPointLabels());
  series.AddPoint(50.5, 0, "mid");
  EXPECT_GT(series.StorageBytes(), plain);
  EXPECT_TRUE(series.HasPointLabels());
  EXPECT_EQ(series.PointLabel(51), "mid");
  EXPECT_EQ(series.PointLabel(50), "");
  EXPECT_EQ(series.PointLabel(52), "");
  series.AddPoint(200, 0);
  EXPECT_EQ(series.PointLabel(101), "");
}

TEST_F(SeriesTest, AddYUsesThePointCountAsX) {
  series.AddY(7);
  series.AddY(9);
  EXPECT_EQ(series.XValue(0), 0);
  EXPECT_EQ(series.XValue(1), 1);
  EXPECT_EQ(series.YValue(1), 9);
}

TEST_F(SeriesTest, ValueAndPercentTexts) {
  TChart chart(std::make_unique<testing::RecordingCanvas>());
  chart.SetValueFormatter([](const std::string& pattern, long double v) {
    return pattern + "|" + std::to_string(static_cast<double>(v));
  });
  series.SetParentChart(&chart);
  series.AddPoint(0, -1);
  series.AddPoint(1, 3);
  EXPECT_EQ(series.ValueToText(2.5), "#,##0.###|2.500000");
  EXPECT_EQ(series.PercentText(0), "##0.## %|25.000000");
  EXPECT_EQ(series.PercentOfTotalText(1), "##0.## %|75.000000 of #,##0.###|4.000000");
  series.ClearPoints();
  series.AddPoint(0, 0);
  EXPECT_EQ(series.PercentText(0), "##0.## %|100.000000");
}

TEST_F(SeriesTest, VisibleRangeOfTheBaseCoversEveryPoint) {
  series.CalcVisibleRange();
  EXPECT_EQ(series.FirstVisibleIndex(), -1);
  EXPECT_EQ(series.LastVisibleIndex(), -1);
  series.AddPoint(1, 1);
  series.AddPoint(2, 1);
  series.CalcVisibleRange();
  EXPECT_EQ(series.FirstVisibleIndex(), 0);
  EXPECT_EQ(series.LastVisibleIndex(), 1);
}

}  // namespace
}  // namespace kolva::chart
