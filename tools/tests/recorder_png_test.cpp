// SPDX-License-Identifier: MIT
// kolva-record --png as a child process without a display: the picture
// equals the chart window's own picture after the window's run plotted the
// same readings.
#include <gtest/gtest.h>

#include <QImage>

#include "app/files/results_reader.h"
#include "app/ui/results_chart_adapter.h"
#include "chart/qt/tests/qt_app.h"
#include "tools/tests/recorder_child.h"
#include "tools/tests/recorder_model.h"
#include "wykres/chart_picture.h"
#include "wykres/form2.h"

namespace kolva::tools::testing {
namespace {

// Constant inputs, so the model's readings equal the child's.
constexpr const char* kCard = "sim,in1=dc:123.4mV,in2=dc:-45.6mV";

struct PictureCase {
  std::vector<std::string> sizeArgs;
  QSize size;
};

class RecorderPngTest : public ::testing::TestWithParam<PictureCase> {
 protected:
  static void SetUpTestSuite() { chart::qt::testing::EnsureQtApp(); }
  ScratchFolder folder_;
};

TEST_P(RecorderPngTest, PictureEqualsTheChartWindowsForTheSamePoints) {
  std::vector<std::string> args = {"--range", "low", "--png", "out.png"};
  args.insert(args.end(), GetParam().sizeArgs.begin(), GetParam().sizeArgs.end());
  args.push_back("out.txt");
  const Finished done = RunRecorder(folder_.Path(), kCard, args);
  ASSERT_EQ(done.status, 0) << done.err;
  const auto lines = CrLfLines(ReadAll(folder_ / "out.txt"));
  ASSERT_TRUE(lines && lines->size() > 11 + 10);

  // The window's side of a charted run: the chart shown, its axes restored,
  // both series emptied, then both points of each reading in order.
  wykres::TForm2 form;
  ui::ResultsChartAdapter chart(form);
  chart.Show("out.txt");
  chart.RestoreAxes();
  chart.ClearPoints(0);
  chart.ClearPoints(1);
  app::RunSettings settings = KonfigSettings();
  settings.chartResults = true;
  for (const app::RunReading& r :
       RunModel(kCard, settings, lines->size() - 11, (folder_ / "model.txt").string())) {
    chart.AddPoint(0, r.x, r.input1, app::ResultsChart::kInput1Color);
    chart.AddPoint(1, r.x, r.input2, app::ResultsChart::kInput2Color);
  }
  const QImage expected = wykres::RenderChartPicture(form, GetParam().size);
  const QImage picture(QString::fromStdString((folder_ / "out.png").string()));
  ASSERT_EQ(picture.size(), GetParam().size);
  EXPECT_TRUE(picture.convertToFormat(QImage::Format_RGB32) == expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RecorderPngTest,
                         ::testing::Values(PictureCase{{}, QSize(477, 310)},
                                           PictureCase{{"--size", "800x450"}, QSize(800, 450)}));

// --from with a results file the recorder wrote, whole and cut inside its
// 21st data line: the picture of the readings the file holds (those before
// the cut), as the chart window shows them with x the time column.
class RecorderFromTest : public ::testing::TestWithParam<bool> {
 protected:
  static void SetUpTestSuite() { chart::qt::testing::EnsureQtApp(); }
  ScratchFolder folder_;
};

TEST_P(RecorderFromTest, PictureOfAResultsFileEqualsTheChartWindows) {
  const bool cut = GetParam();
  ASSERT_EQ(RunRecorder(folder_.Path(), "sim,in1=sine:500mV:2Hz", {"-q", "out.txt"}).status, 0);
  std::string text = ReadAll(folder_ / "out.txt");
  if (cut) {
    std::size_t at = 0;
    for (int line = 0; line < 11 + 20; ++line) at = text.find("\r\n", at) + 2;
    text.resize(at + 5);
  }
  WriteAll(folder_ / "in.txt", text);
  const Finished done =
      RunRecorder(folder_.Path(), kCard, {"--png", "from.png", "--from", "in.txt"});
  EXPECT_EQ(done.status, cut ? 1 : 0);
  EXPECT_EQ(
      done.err,
      cut ? "kolva-record: in.txt, line 32: the file ends in the middle of this line.\n" : "");

  const app::ResultsFile file = app::ReadResultsFile((folder_ / "in.txt").string());
  ASSERT_GE(file.readings.size(), 20u);
  wykres::TForm2 form;
  ui::ResultsChartAdapter chart(form);
  for (const app::ResultsReading& r : file.readings) {
    chart.AddPoint(0, r.time, r.input1, app::ResultsChart::kInput1Color);
    chart.AddPoint(1, r.time, r.input2, app::ResultsChart::kInput2Color);
  }
  const QImage picture(QString::fromStdString((folder_ / "from.png").string()));
  EXPECT_TRUE(picture.convertToFormat(QImage::Format_RGB32) ==
              wykres::RenderChartPicture(form, QSize(477, 310)));
}

INSTANTIATE_TEST_SUITE_P(WholeAndCut, RecorderFromTest, ::testing::Bool());

}  // namespace
}  // namespace kolva::tools::testing
