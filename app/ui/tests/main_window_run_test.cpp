// SPDX-License-Identifier: MIT
// The main window following a run on the sampler thread: captions as the
// run moves, the trigger display fed by the run, a close mid-run, and the
// chart window during charted and uncharted runs.
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QProgressBar>
#include <QUrl>
#include <QtTest/QTest>
#include <functional>

#include "app/run/acquisition_run.h"
#include "app/run/run_summary.h"
#include "app/run/sampler.h"
#include "app/ui/chart_window_guard.h"
#include "app/ui/results_chart_adapter.h"
#include "main_window_fixture.h"
#include "wykres/form2.h"
#include "wykres/tests/results_header.h"

namespace kolva::ui {
namespace {

class MainWindowRunTest : public MainWindowTest {
 protected:
  // The window on the simulated card with `options`, settings from `konfig`,
  // and its run on a sampler with the real clock.
  TForm1& CreateWithRun(const std::string& options, const std::string& konfig,
                        app::ResultsChart* chart = nullptr) {
    WriteSettings(konfig);
    TForm1& form = Create(options);
    sampler_ = std::make_unique<app::Sampler>(
        *bus_, systemClock_, keyboard_, [] { return app::DateTime{2026, 3, 7, 12, 0, 0, 0}; });
    run_ = std::make_unique<app::AcquisitionRun>(form.Card(), *sampler_, form, chart);
    form.SetAcquisitionRun(run_.get());
    Control<QLineEdit>("Edit4")->setText(QString::fromStdString(dir_ + "results.txt"));
    return form;
  }
  void TearDown() override {
    if (run_ && run_->Active()) run_->EndNow();
    MainWindowTest::TearDown();
  }

  // Handles events until `done` or 10 s have passed.
  static bool ProcessUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 10000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
  }

  std::string Button3Text() const { return Control<QPushButton>("Button3")->text().toStdString(); }

  platform::SystemClock systemClock_;
  std::unique_ptr<app::Sampler> sampler_;
  std::unique_ptr<app::AcquisitionRun> run_;
};

// Offsets 0, interval 0.01 s, length as given, HIGH, trigger on '1',
// trigger enabled and results charted as given.
std::string Konfig(const std::string& length, bool trigger, bool chart = false) {
  return "0\r\n0\r\n0.01\r\n" + length + "\r\ntrue\r\ntrue\r\n" + (trigger ? "true" : "false") +
         "\r\n" + (chart ? "true" : "false") + "\r\n";
}

TEST_F(MainWindowRunTest, ButtonWaitsForTheTriggerWhileTheWindowStaysResponsive) {
  TForm1& form = CreateWithRun("trigger=0", Konfig("1", true));
  Tick("Timer3");
  auto* group = Control<QGroupBox>("RadioGroup1");
  group->setTitle(QStringLiteral("not yet"));

  Control<QPushButton>("Button3")->click();

  ASSERT_TRUE(ProcessUntil([&] { return Button3Text() == "WAITING FOR TRIGGER"; }));
  EXPECT_FALSE(Control<QPushButton>("Button3")->isEnabled());
  // The trigger display shows the level the run reads; the window handles
  // its timers meanwhile.
  Tick("Timer3");
  EXPECT_EQ(group->title().toStdString(), "TRIGGER input current state -  0  ");
  // A click that reaches the handler during the run does nothing.
  form.Button3Click();
  EXPECT_TRUE(run_->Active());
  EXPECT_EQ(Button3Text(), "WAITING FOR TRIGGER");

  form.close();  // ends the wait as the S key does, then the run

  EXPECT_FALSE(run_->Active());
  EXPECT_EQ(Button3Text(), "ACQUISITION START");
  EXPECT_TRUE(shown_.empty());
}

TEST_F(MainWindowRunTest, CloseDuringARunKeepsEveryLineSavesSettingsAndEndsTheProgram) {
  TForm1& form = CreateWithRun("", Konfig("1", false));
  int closed = 0;
  QObject::connect(&form, &TForm1::Closed, [&closed] { ++closed; });
  auto* progress = Control<QProgressBar>("got");

  Control<QPushButton>("Button3")->click();
  ASSERT_TRUE(ProcessUntil([&] { return Button3Text() == "RUNNING" && progress->value() > 20; }));
  form.close();

  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(run_->Active());
  EXPECT_EQ(progress->value(), 255);
  const std::string results = Read("results.txt");
  ASSERT_GT(results.size(), 2u);
  EXPECT_EQ(results.substr(results.size() - 2), "\r\n");
  std::size_t lines = 0;
  for (char c : results) lines += c == '\n';
  EXPECT_EQ(lines, 11 + run_->Timing().taken);
  EXPECT_GT(run_->Timing().taken, 20u);
  EXPECT_EQ(Read("konfig.txt"), Konfig("1", false));
  EXPECT_TRUE(shown_.empty());
}

// The window and its run with the program's chart window, whose failures
// reach the recorded error boxes.
class ChartedRunTest : public MainWindowRunTest {
 protected:
  TForm1& CreateWithChart(bool chart) {
    chartWindow_ = std::make_unique<wykres::TForm2>();
    GuardChartWindow(*chartWindow_);
    adapter_ = std::make_unique<ResultsChartAdapter>(*chartWindow_);
    TForm1& form = CreateWithRun("", Konfig("1", false, chart), adapter_.get());
    form.SetChartWindow(chartWindow_.get());
    Control<QLineEdit>("Edit2")->setText(QStringLiteral("0.001"));
    return form;
  }
  void TearDown() override {
    MainWindowRunTest::TearDown();
    adapter_.reset();
    chartWindow_.reset();
  }
  void Start() {
    Control<QPushButton>("Button3")->click();
    FollowReadings(20);
  }
  // Handles events until `count` more readings were taken.
  void FollowReadings(std::uint64_t count) {
    const std::uint64_t until = run_->ReadingsTaken() + count;
    ASSERT_TRUE(ProcessUntil([&] { return run_->ReadingsTaken() >= until; }));
  }
  int Points() const { return chartWindow_->Series1().PointCount(); }
  // A results file of `lines` readings in the scratch folder.
  QString ResultsFile(int lines) {
    std::string text = wykres::testing::kResultsHeader;
    for (int n = 0; n < lines; ++n) {
      text += app::IntText(n) + "              1.00    2.00         " + app::FloatText(0.5L * n) +
              "\r\n";
    }
    Write("shown.txt", text);
    return QString::fromStdString(dir_ + "shown.txt");
  }
  // A file dropped on `target` (the chart window unless given) as a drag
  // from a file manager ends.
  void Drop(const QString& path, QWidget* target = nullptr) {
    if (target == nullptr) target = chartWindow_.get();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(200, 150), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(200, 150), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
  }
  // Ctrl+O in the chart window; a file dialog it opens is closed unused.
  bool CtrlO() {
    bool dialog = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        dialog = true;
        modal->close();
      }
    });
    closer.start(20);
    chartWindow_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(chartWindow_.get()));
    QTest::keyClick(chartWindow_.get(), Qt::Key_O, Qt::ControlModifier);
    return dialog;
  }

  std::unique_ptr<wykres::TForm2> chartWindow_;
  std::unique_ptr<ResultsChartAdapter> adapter_;
};

TEST_F(ChartedRunTest, ChartBoxTickedOrUntickedDuringARunAppliesToTheNextRun) {
  CreateWithChart(false);
  auto* box = Control<QCheckBox>("CheckBox1");
  Start();
  box->click();  // ticked during an uncharted run
  FollowReadings(20);
  EXPECT_FALSE(chartWindow_->isVisible());
  EXPECT_EQ(Points(), 0);
  run_->EndNow();

  Start();  // charted: shown and emptied at the click
  EXPECT_TRUE(chartWindow_->isVisible());
  box->click();  // unticked during a charted run
  FollowReadings(20);
  run_->EndNow();
  EXPECT_EQ(Points(), static_cast<int>(run_->Timing().taken));
  EXPECT_DOUBLE_EQ(chartWindow_->Series1().XValue(Points() - 1), 0.001 * (Points() - 1));
  EXPECT_TRUE(shown_.empty());
}

TEST_F(ChartedRunTest, NoFileOpensInTheChartWhileARunFeedsIt) {
  CreateWithChart(true);
  const QString file = ResultsFile(40);
  Start();

  Drop(file);
  EXPECT_FALSE(CtrlO()) << "the file dialog opened during the run";
  Drop(file, form_.get());  // the main window refuses it alike
  FollowReadings(20);
  run_->EndNow();
  const std::vector<std::string> refused(3, "A run is being charted; open the file after it ends.");
  EXPECT_EQ(shown_, refused);
  EXPECT_EQ(chartWindow_->windowTitle().toStdString(), "WYKRES");
  EXPECT_EQ(Points(), static_cast<int>(run_->Timing().taken));

  // After the run both ways work again.
  EXPECT_TRUE(CtrlO());
  Drop(file);
  ASSERT_TRUE(ProcessUntil([&] { return !chartWindow_->Loading(); }));
  EXPECT_EQ(chartWindow_->windowTitle().toStdString(), "WYKRES - shown.txt - 07.03.2026 23:59:59");
  EXPECT_EQ(Points(), 40);
  EXPECT_EQ(shown_, refused);
}

TEST_F(ChartedRunTest, AFileDroppedOnTheMainWindowShowsTheHiddenChartWindow) {
  CreateWithChart(false);
  ASSERT_FALSE(chartWindow_->isVisible());
  Drop(ResultsFile(30), form_.get());
  ASSERT_TRUE(ProcessUntil([&] { return !chartWindow_->Loading(); }));
  EXPECT_TRUE(chartWindow_->isVisible());
  EXPECT_EQ(chartWindow_->windowTitle().toStdString(), "WYKRES - shown.txt - 07.03.2026 23:59:59");
  EXPECT_EQ(Points(), 30);
  EXPECT_TRUE(shown_.empty());
}

// The window's run on a fake counter that the test stalls between readings.
class LateReadingsTest : public MainWindowRunTest {
 protected:
  static constexpr std::int64_t kPeriod = 11931;  // Trunc(0.01 * 1193180)

  TForm1& CreateOnFakeCounter() {
    WriteSettings(Konfig("0.01", false));  // 600 ms of counter time
    TForm1& form = Create();
    runClock_.step = 100;  // a reading's passes and conversions stay well inside a period
    sampler_ = std::make_unique<app::Sampler>(
        *bus_, runClock_, keyboard_, [] { return app::DateTime{2026, 3, 7, 12, 0, 0, 0}; });
    run_ = std::make_unique<app::AcquisitionRun>(form.Card(), *sampler_, form, nullptr);
    form.SetAcquisitionRun(run_.get());
    Control<QLineEdit>("Edit4")->setText(QString::fromStdString(dir_ + "results.txt"));
    return form;
  }
  // Clicks and follows the run through the window's frames to its end;
  // answers what the program wrote on stderr meanwhile.
  std::string RunToEnd() {
    ::testing::internal::CaptureStderr();
    Control<QPushButton>("Button3")->click();
    const bool started = run_->Active();
    const bool ended = ProcessUntil([&] { return !run_->Active(); });
    const std::string written = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(started && ended);
    return written;
  }

  platform::FakeClock runClock_;
};

TEST_F(LateReadingsTest, AStalledRunLeavesItsSummaryUntilTheNextRunStarts) {
  CreateOnFakeCounter();
  auto* label = Control<QLabel>("LateReadings");
  auto* progress = Control<QProgressBar>("got");
  EXPECT_TRUE(label->isHidden());
  // The sampler stalls for five periods in the middle of the run.
  runClock_.onRead = [](platform::FakeClock& c) {
    if (c.counterReads == 2000) c.counter += 5 * kPeriod;
  };

  const std::string written = RunToEnd();
  const app::RunTiming stalled = run_->Timing();
  ASSERT_GE(stalled.late, 1u);
  EXPECT_GT(stalled.worstLatenessTicks, 4 * kPeriod);
  const std::string line = app::RunSummaryLine(stalled);
  EXPECT_EQ(written, "kolva: " + line + "\n");
  EXPECT_FALSE(label->isHidden());
  EXPECT_EQ(label->text().toStdString(), line);
  EXPECT_EQ(progress->toolTip().toStdString(), line);
  EXPECT_TRUE(shown_.empty()) << "a box was shown";

  // The next run starts without it and, keeping its schedule, ends without it.
  runClock_.onRead = nullptr;
  ::testing::internal::CaptureStderr();
  Control<QPushButton>("Button3")->click();
  ASSERT_TRUE(run_->Active());
  EXPECT_TRUE(label->isHidden());
  EXPECT_TRUE(progress->toolTip().isEmpty());
  const bool ended = ProcessUntil([&] { return !run_->Active(); });
  const std::string second = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(ended);
  EXPECT_EQ(second, "kolva: " + app::RunSummaryLine(run_->Timing()) + "\n");
  EXPECT_EQ(run_->Timing().late, 0u);
  EXPECT_GT(run_->Timing().taken, 50u);
  EXPECT_TRUE(label->isHidden());
  EXPECT_TRUE(progress->toolTip().isEmpty());
  EXPECT_TRUE(shown_.empty());
}

TEST_F(LateReadingsTest, ARunOnScheduleChangesNothingButTheLineOnStderr) {
  CreateOnFakeCounter();
  const std::string written = RunToEnd();
  EXPECT_EQ(run_->Timing().late, 0u);
  EXPECT_EQ(written, "kolva: " + app::RunSummaryLine(run_->Timing()) + "\n");
  EXPECT_TRUE(Control<QLabel>("LateReadings")->isHidden());
  EXPECT_TRUE(Control<QProgressBar>("got")->toolTip().isEmpty());
}

}  // namespace
}  // namespace kolva::ui
