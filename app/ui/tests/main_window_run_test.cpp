// SPDX-License-Identifier: MIT
// The main window following a run on the sampler thread: captions as the
// run moves, the trigger display fed by the run, and a close mid-run.
#include <QElapsedTimer>
#include <QProgressBar>
#include <functional>

#include "app/acquisition_run.h"
#include "app/sampler.h"
#include "main_window_fixture.h"

namespace kolva::ui {
namespace {

class MainWindowRunTest : public MainWindowTest {
 protected:
  // The window on the simulated card with `options`, settings from `konfig`,
  // and its run on a sampler with the real clock.
  TForm1& CreateWithRun(const std::string& options, const std::string& konfig) {
    WriteSettings(konfig);
    TForm1& form = Create(options);
    sampler_ = std::make_unique<app::Sampler>(
        *bus_, systemClock_, keyboard_, [] { return app::DateTime{2026, 3, 7, 12, 0, 0, 0}; });
    run_ = std::make_unique<app::AcquisitionRun>(form.Card(), *sampler_, form, nullptr);
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
// trigger enabled as given, results not charted.
std::string Konfig(const std::string& length, bool trigger) {
  return "0\r\n0\r\n0.01\r\n" + length + "\r\ntrue\r\ntrue\r\n" + (trigger ? "true" : "false") +
         "\r\nfalse\r\n";
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

}  // namespace
}  // namespace kolva::ui
