// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/files/tests/results_file_lines.h"
#include "app/run/acquisition_run.h"
#include "app/run/card.h"
#include "app/run/sampler.h"
#include "fake_controls.h"
#include "platform/port_bus.h"
#include "platform/sim_card.h"
#include "platform/tests/fake_clock.h"
#include "platform/tests/fake_keyboard.h"
#include "results_chart_fake.h"

namespace kolva::app::testing {

namespace fs = std::filesystem;

constexpr std::int64_t kPeriod1ms = 1193;  // Trunc(0.001 * 1193180)

// How long a test waits for a run on another thread: a run on the fake clock
// ends in milliseconds, so one that has not ended by then never will (a
// trigger that never comes, a header that never reached the file).
constexpr std::chrono::seconds kWaitLimit{10};

// Polls `done` until it holds, for kWaitLimit at most.
inline ::testing::AssertionResult WaitUntil(const std::function<bool()>& done,
                                            const std::string& what) {
  const auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return ::testing::AssertionFailure()
             << what << " did not happen within " << kWaitLimit.count() << " s";
    }
    std::this_thread::yield();
  }
  return ::testing::AssertionSuccess();
}

inline const char* StageName(RunStage stage) {
  switch (stage) {
    case RunStage::kWriting:
      return "writing the results file's header";
    case RunStage::kWaitingForTrigger:
      return "waiting for the trigger";
    case RunStage::kRunning:
      return "sampling";
  }
  return "?";
}

// The card's ports and the keyboard as a run on the test's own thread reads
// them: the simulated card's and the fake keyboard's, until the run has gone
// on for kWaitLimit; then every read raises, which ends the run with that
// failure instead of holding the test (a trigger wait that never sees its
// level or the S key, say).
class RunDeadline : public platform::PortBus, public platform::KeyboardPort {
 public:
  RunDeadline(platform::PortBus& bus, platform::KeyboardPort& keys) : bus_(bus), keys_(keys) {}
  void Start() {
    deadline_ = std::chrono::steady_clock::now() + kWaitLimit;
    expired_ = false;
  }
  bool Expired() const { return expired_; }

  std::uint8_t Read8(std::uint16_t port) override {
    Check();
    return bus_.Read8(port);
  }
  std::uint32_t Read32(std::uint16_t port) override {
    Check();
    return bus_.Read32(port);
  }
  void Write32(std::uint16_t port, std::uint32_t value) override { bus_.Write32(port, value); }
  std::uint8_t ReadScanCode() override {
    Check();
    return keys_.ReadScanCode();
  }

 private:
  void Check() {
    if (std::chrono::steady_clock::now() <= deadline_) return;
    expired_ = true;
    throw std::runtime_error("the run did not end within the test's limit");
  }

  platform::PortBus& bus_;
  platform::KeyboardPort& keys_;
  std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
  bool expired_ = false;
};

// The button's captions and enabled states through a whole run, in order.
inline std::vector<std::pair<std::string, bool>> FullRunButtons() {
  return {{"ZAPISUJE", false},
          {"WAITING FOR TRIGGER", false},
          {"RUNNING", false},
          {"ACQUISITION START", true}};
}

// The panel, with every caption, enabled state and progress value a run
// writes kept in order.
class RecordingControls : public FakeControls {
 public:
  std::vector<std::pair<std::string, bool>> buttonHistory;
  std::vector<int> progressHistory;

  void SetRunButton(const std::string& caption, bool enabled) override {
    FakeControls::SetRunButton(caption, enabled);
    buttonHistory.emplace_back(caption, enabled);
  }
  void SetProgress(int position) override {
    FakeControls::SetProgress(position);
    progressHistory.push_back(position);
  }
};

// What a run reports, kept in order; `onReading` runs after each reading is
// noted, on the run's thread, before the run goes on.
class RecordingEvents : public RunEvents {
 public:
  std::vector<RunStage> stages;
  std::vector<RunReading> readings;
  RunTiming timing;
  std::exception_ptr error;
  int finished = 0;
  std::function<void(const RunReading&)> onReading;

  void Stage(RunStage stage) override { stages.push_back(stage); }
  void Reading(const RunReading& reading) override {
    readings.push_back(reading);
    if (onReading) onReading(reading);
  }
  void Finished(const RunTiming& t, std::exception_ptr e) override {
    timing = t;
    error = std::move(e);
    ++finished;
  }
  // The failure's message, or "" after a normal end.
  std::string ErrorText() const {
    if (!error) return "";
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      return e.what();
    }
  }
};

inline std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The card whose calibration and signals make the readings exact binary
// fractions, worked out by hand:
//   LOW (ScaleLow 366.2109375, Gain2Low 0.75): input 1 at +100 counts reads
//     100 * 366.2109375 / 1000 = 36.62109375 mV; input 2 at -200 counts reads
//     -150 * 366.2109375 / 1000 = -54.931640625 mV.
//   HIGH (ScaleHigh 3906.25, Gain2High 2): the same inputs (36.62109375 mV and
//     -73.2421875 mV) convert to +9 and -19 counts (9.375 and -18.75 rounded),
//     reading 9 * 3906.25 / 10 / 100 = 35.15625 mV and -38 * 3906.25 / 1000 =
//     -148.4375 mV.
// The run and the simulated card have clocks of their own, so that the
// card's conversions never move the run's schedule.
class RunFixture : public ::testing::Test {
 protected:
  static constexpr std::uint16_t kBase = 0x300;
  static constexpr double kInput1Mv = 36.62109375;  // +100 counts LOW
  static constexpr double kInput2Mv = -73.2421875;  // -200 counts LOW

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    folder = fs::temp_directory_path() / ("kolva_run_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    resultsPath = folder / "results.txt";
    controls.resultsFileName = resultsPath.string();
    controls.averagingCount = 1;
    controls.lowRange = true;

    options.base = kBase;
    options.input1.offsetMv = kInput1Mv;
    options.input2.offsetMv = kInput2Mv;
  }

  void TearDown() override { fs::remove_all(folder); }

  // Builds the card the run uses from `options`, with the calibration above,
  // reading the panel through settings published from `controls`.
  Card& MakeCard() {
    published = std::make_unique<PublishedSettings>(SettingsOf(controls));
    panel = std::make_unique<SettingsControls>(*published);
    sim = std::make_unique<platform::SimCard>(options, signalClock);
    runDeadline = std::make_unique<RunDeadline>(*sim, keyboard);
    card = std::make_unique<Card>(*runDeadline, runClock, *runDeadline, *panel);
    Calibrate(*card);
    card->WritePort32(kBase, controls.lowRange ? Card::kRangeLow : Card::kRangeHigh);
    return *card;
  }

  static void Calibrate(Card& c) {
    c.BaseAddress = kBase;
    c.ScaleLow = 366.2109375f;
    c.ScaleHigh = 3906.25f;
    c.Gain2Low = 0.75f;
    c.Gain2High = 2.0f;
  }

  // The panel as it stands now goes to the run, from its next reading.
  void Publish() { published->Publish(SettingsOf(controls)); }

  DateTime NextWallTime() {
    const DateTime t = wallTimes.at(std::min(wallReads, wallTimes.size() - 1));
    ++wallReads;
    return t;
  }

  // The run on this thread, reporting to `events`; one still going after
  // kWaitLimit fails the test, naming the stage it was stuck in.
  void RunHere() {
    if (!card) MakeCard();
    runDeadline->Start();
    RunAcquisition(
        {*card, *panel, runClock, events, [this] { return NextWallTime(); }, nullptr, nullptr});
    if (runDeadline->Expired()) {
      ADD_FAILURE() << "the run has not ended within " << kWaitLimit.count() << " s; it was stuck "
                    << StageName(events.stages.back());
    }
  }

  // The click as the window makes it, the sampler on its own thread (on the
  // fake clock, which only that thread reads) and the GUI side on this one.
  std::unique_ptr<AcquisitionRun> MakeRun(bool withChart = true) {
    if (!card) MakeCard();
    guiCard = std::make_unique<Card>(*sim, runClock, keyboard, controls);
    Calibrate(*guiCard);
    sampler =
        std::make_unique<Sampler>(*sim, runClock, keyboard, [this] { return NextWallTime(); });
    return std::make_unique<AcquisitionRun>(*guiCard, *sampler, controls,
                                            withChart ? &chart : nullptr);
  }

  // Clicks and follows the run to its end as the frame timer does; raises
  // the run's failure. A run still going after kWaitLimit fails the test,
  // naming the stage it is stuck in, and is ended as the S key does.
  void ClickAndFollow(AcquisitionRun& run) {
    run.Button3Click();
    const auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
    while (run.Active()) {
      if (std::chrono::steady_clock::now() > deadline) {
        ADD_FAILURE() << "the run has not ended within " << kWaitLimit.count() << " s; it is stuck "
                      << StageName(sampler->Stage());
        run.EndNow();
        return;
      }
      run.Update();
      std::this_thread::yield();
    }
  }

  // The S key goes down at the n-th read of the keyboard port and stays.
  void PressStopAtRead(int n) {
    keyboard.onRead = [n](platform::FakeKeyboard& k) {
      if (k.reads + 1 >= n) k.scanCode = Card::kStopScanCode;
    };
  }

  // The run's counter reads give these values in turn (the first is the
  // start of sampling when no trigger wait reads the counter), the last one
  // for ever after; the tick count follows the counter.
  void ScriptCounter(std::vector<std::int64_t> values) {
    runClock.step = 0;
    runClock.onRead = [values = std::move(values)](platform::FakeClock& c) {
      const auto i = static_cast<std::size_t>(c.counterReads);
      c.counter = values[std::min(i, values.size() - 1)];
    };
  }

  fs::path folder;
  fs::path resultsPath;
  platform::FakeClock runClock;
  platform::FakeClock signalClock;
  platform::FakeKeyboard keyboard;
  platform::SimCardOptions options;
  RecordingControls controls;
  FakeResultsChart chart;
  RecordingEvents events;
  std::unique_ptr<PublishedSettings> published;
  std::unique_ptr<SettingsControls> panel;
  std::unique_ptr<platform::SimCard> sim;
  std::unique_ptr<RunDeadline> runDeadline;
  std::unique_ptr<Card> card;
  std::unique_ptr<Card> guiCard;
  std::unique_ptr<Sampler> sampler;
  std::vector<DateTime> wallTimes{DateTime{2026, 3, 7, 23, 59, 59, 900}};
  std::size_t wallReads = 0;
};

}  // namespace kolva::app::testing
