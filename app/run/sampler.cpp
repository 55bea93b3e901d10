// SPDX-License-Identifier: MIT
#include "app/run/sampler.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/realtime.h"

namespace kolva::app {

void IdleUntilDeadline(platform::Clock& clock, std::int64_t ticksLeft) {
  constexpr std::int64_t kLongestSleep = platform::Clock::kCounterTicksPerSecond / 100;
  clock.Sleep(std::min(ticksLeft / 2, kLongestSleep));
}

RunSettings SettingsOf(const ControlState& panel) {
  RunSettings settings;
  settings.averagingCount = panel.AveragingCount();
  settings.offset1 = panel.Offset1();
  settings.offset2 = panel.Offset2();
  settings.lowRange = panel.LowRange();
  settings.rawCounts = panel.RawCounts();
  settings.triggerEnabled = panel.TriggerEnabled();
  settings.triggerOnHigh = panel.TriggerOnHigh();
  settings.triggerOnLow = panel.TriggerOnLow();
  settings.intervalText = panel.IntervalText();
  settings.lengthText = panel.LengthText();
  settings.resultsFileName = panel.ResultsFileName();
  settings.chartResults = panel.ChartResults();
  return settings;
}

PublishedSettings::PublishedSettings(RunSettings initial) {
  Publish(std::move(initial));
}

void PublishedSettings::Publish(RunSettings settings) {
  kept_.push_back(std::make_unique<const RunSettings>(std::move(settings)));
  current_.store(kept_.back().get(), std::memory_order_release);
}

namespace {

// Where the note goes: SetRealtimeNote's choice, else stderr as "kolva: ...".
std::function<void(const std::string&)>& RealtimeNote() {
  static std::function<void(const std::string&)> note = [](const std::string& why) {
    const std::string line = "kolva: the sampler runs without real-time scheduling (" + why +
                             "); see the README to allow it\n";
    std::fputs(line.c_str(), stderr);
  };
  return note;
}

// Says once per process why the sampler runs without real-time scheduling.
void NoteNotRealtime(const std::string& why) {
  static std::once_flag once;
  std::call_once(once, [&why] {
    if (RealtimeNote()) RealtimeNote()(why);
  });
}

}  // namespace

void SetRealtimeNote(std::function<void(const std::string& why)> note) {
  RealtimeNote() = std::move(note);
}

// The run's side of the sampler: the card's ports and the stop key as the
// run sees them, and its events into the sampler.
class Sampler::Worker : public RunEvents, public platform::PortBus, public platform::KeyboardPort {
 public:
  Worker(Sampler& owner, const Card& calibrated)
      : owner_(owner),
        controls_(*owner.settings_),
        card_(*this, owner.clock_, *this, controls_),
        statusPort_(static_cast<std::uint16_t>(calibrated.BaseAddress + Card::kStatusPort)) {
    card_.BaseAddress = calibrated.BaseAddress;
    ApplyCorrections(CorrectionsOf(calibrated), card_);
    card_.Input1Value = calibrated.Input1Value;
    card_.Input2Value = calibrated.Input2Value;
  }

  void Run() {
    const std::string why = platform::RealtimeThread::Enter();
    if (!why.empty()) NoteNotRealtime(why);
    RunContext context{card_,  controls_,         owner_.clock_,
                       *this,  owner_.wallClock_, &owner_.lowRangeWritten_,
                       nullptr};
    // A real-time thread that never sleeps is throttled by the system (for
    // tens of milliseconds each second): it sleeps instead.
    if (why.empty()) {
      context.idle = [&clock = owner_.clock_](std::int64_t ticksLeft) {
        IdleUntilDeadline(clock, ticksLeft);
      };
    }
    RunAcquisition(std::move(context));
    platform::RealtimeThread::Leave();
    owner_.lastInput1_ = card_.Input1Value;
    owner_.lastInput2_ = card_.Input2Value;
    owner_.ended_.store(true, std::memory_order_release);
  }

  // RunEvents
  void Stage(RunStage stage) override {
    owner_.stage_.store(static_cast<int>(stage), std::memory_order_release);
  }
  void Reading(const RunReading& reading) override { owner_.queue_.Push(reading); }
  void Finished(const RunTiming& timing, std::exception_ptr error) override {
    owner_.timing_ = timing;
    owner_.error_ = std::move(error);
  }

  // platform::PortBus: the status byte's trigger bit is noted for the
  // trigger display.
  std::uint8_t Read8(std::uint16_t port) override {
    const std::uint8_t value = owner_.bus_.Read8(port);
    if (port == statusPort_)
      owner_.triggerLevel_.store((value >> 7) & 1, std::memory_order_relaxed);
    return value;
  }
  std::uint32_t Read32(std::uint16_t port) override { return owner_.bus_.Read32(port); }
  void Write32(std::uint16_t port, std::uint32_t value) override {
    owner_.bus_.Write32(port, value);
  }

  // platform::KeyboardPort: a stop request reads as the S key held down.
  std::uint8_t ReadScanCode() override {
    if (owner_.stopRequested_.load(std::memory_order_acquire)) return Card::kStopScanCode;
    return owner_.keyboard_.ReadScanCode();
  }

 private:
  Sampler& owner_;
  SettingsControls controls_;
  Card card_;
  std::uint16_t statusPort_;
};

Sampler::Sampler(platform::PortBus& bus, platform::Clock& clock, platform::KeyboardPort& keyboard,
                 WallClock wallClock)
    : bus_(bus), clock_(clock), keyboard_(keyboard), wallClock_(std::move(wallClock)) {}

Sampler::~Sampler() {
  if (!thread_.joinable()) return;
  RequestStop();
  thread_.join();
}

void Sampler::Start(const Card& calibrated, RunSettings settings) {
  stopRequested_.store(false);
  stage_.store(static_cast<int>(RunStage::kWriting));
  ended_.store(false);
  triggerLevel_.store(-1);
  timing_ = {};
  error_ = nullptr;
  lowRangeWritten_ = settings.lowRange;
  worker_.reset();
  settings_ = std::make_unique<PublishedSettings>(std::move(settings));
  worker_ = std::make_unique<Worker>(*this, calibrated);
  thread_ = std::thread([this] { worker_->Run(); });
}

void Sampler::Publish(RunSettings settings) {
  if (Active()) settings_->Publish(std::move(settings));
}

std::exception_ptr Sampler::Finish() {
  if (thread_.joinable()) thread_.join();
  return error_;
}

}  // namespace kolva::app
