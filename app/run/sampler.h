// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/run/card.h"
#include "app/run/control_state.h"
#include "app/run/reading_queue.h"
#include "app/run/wall_clock.h"
#include "platform/clock.h"
#include "platform/keyboard_port.h"
#include "platform/port_bus.h"

namespace kolva::app {

// What a run reads of the operator's panel: a copy taken on the GUI thread.
// Texts are 8-bit, as typed; the results file name is the file system's bytes.
struct RunSettings {
  int averagingCount = 20;
  int offset1 = 0;
  int offset2 = 0;
  bool lowRange = false;
  bool rawCounts = false;
  bool triggerEnabled = false;
  bool triggerOnHigh = true;
  bool triggerOnLow = false;
  std::string intervalText;
  std::string lengthText;
  std::string resultsFileName;
  bool chartResults = false;
};

// The panel's values as they stand now.
RunSettings SettingsOf(const ControlState& panel);

// The latest settings, published by one thread and read by another without
// a lock: every published copy stays alive until the source goes, so a
// reader's reference stays valid for as long as it holds it. Panel changes
// are few, so keeping them costs nothing worth counting.
class PublishedSettings {
 public:
  explicit PublishedSettings(RunSettings initial);
  PublishedSettings(const PublishedSettings&) = delete;
  PublishedSettings& operator=(const PublishedSettings&) = delete;

  // The publishing thread only.
  void Publish(RunSettings settings);
  // Any thread: the copy published last.
  const RunSettings& Current() const { return *current_.load(std::memory_order_acquire); }

 private:
  std::vector<std::unique_ptr<const RunSettings>> kept_;
  std::atomic<const RunSettings*> current_;
};

// The panel as the card reads it during a run: the published settings as
// they stood at the last Refresh, so that one reading sees one copy. Nothing
// is written back.
class SettingsControls : public ControlState {
 public:
  explicit SettingsControls(const PublishedSettings& settings)
      : settings_(settings), pinned_(&settings.Current()) {}
  // Takes the current published copy.
  const RunSettings& Refresh() { return *(pinned_ = &settings_.Current()); }
  const RunSettings& Pinned() const { return *pinned_; }

  int AveragingCount() const override { return pinned_->averagingCount; }
  int Offset1() const override { return pinned_->offset1; }
  int Offset2() const override { return pinned_->offset2; }
  bool LowRange() const override { return pinned_->lowRange; }
  bool RawCounts() const override { return pinned_->rawCounts; }
  bool TriggerEnabled() const override { return pinned_->triggerEnabled; }
  bool TriggerOnHigh() const override { return pinned_->triggerOnHigh; }
  bool TriggerOnLow() const override { return pinned_->triggerOnLow; }
  std::string IntervalText() const override { return pinned_->intervalText; }
  std::string LengthText() const override { return pinned_->lengthText; }
  std::string ResultsFileName() const override { return pinned_->resultsFileName; }
  bool ChartResults() const override { return pinned_->chartResults; }
  void SetLiveReadout(bool) override {}
  void SetRunButton(const std::string&, bool) override {}
  void SetProgress(int) override {}

 private:
  const PublishedSettings& settings_;
  const RunSettings* pinned_;
};

// How well a run kept its schedule. A reading's lateness is the counter at
// the pass that took it less its deadline; it is late when that exceeds one
// period. Readings due counts the deadlines passed by the run's last pass.
struct RunTiming {
  std::uint64_t taken = 0;
  std::uint64_t due = 0;
  std::uint64_t late = 0;
  std::int64_t worstLatenessTicks = 0;
  std::int64_t periodTicks = 0;
};

// Where a run stands; each stage follows the one before, none is skipped.
enum class RunStage : int { kWriting = 0, kWaitingForTrigger = 1, kRunning = 2 };

// What a run reports, in this order: the stages, each reading as it is taken
// (after its line went to the file), then the end. Called on the run's
// thread; an implementation must not wait for another thread.
class RunEvents {
 public:
  virtual ~RunEvents() = default;
  virtual void Stage(RunStage stage) = 0;
  virtual void Reading(const RunReading& reading) = 0;
  // Always the last call. `error` is null after a normal end; otherwise the
  // failure that ended the run, with the file closed keeping every line that
  // reached it.
  virtual void Finished(const RunTiming& timing, std::exception_ptr error) = 0;
};

// What one run works with, all borrowed for the run's length.
struct RunContext {
  Card& card;                  // reads the panel through `settings`
  SettingsControls& settings;  // over the published settings
  platform::Clock& clock;
  RunEvents& events;
  WallClock wallClock;
  // Set by the run: the range it last wrote to the card (or found there).
  bool* lowRangeWritten = nullptr;
  // When set, called at the end of a pass with the counter ticks left to the
  // next deadline when that is at least kIdleTicks away; it may give the
  // processor up for part of that time. Unset: the loop polls without a
  // pause.
  std::function<void(std::int64_t ticksLeft)> idle;
};

// Where the sampler's one note goes, the reason it runs without real-time
// scheduling (said once per process, on the run's thread): by default a line
// on stderr starting "kolva: ". Set before the first run; an empty function
// drops the note.
void SetRealtimeNote(std::function<void(const std::string& why)> note);

// The shortest wait to a deadline that RunContext::idle is offered (about
// 50 microseconds).
inline constexpr std::int64_t kIdleTicks = 60;

// The sampler's idle: sleeps for half of the ticks left to the next
// deadline, so that it wakes well within a period, and for 10 ms at most,
// so that the S key and the run's length are seen at once however long the
// interval.
void IdleUntilDeadline(platform::Clock& clock, std::int64_t ticksLeft);

// One run from the results file's creation to its end, on the caller's
// thread; returns when it has ended and Finished has been called. The
// interval and length texts must have been checked by the caller. Every use
// of a setting reads the current published copy, so a change applies from
// the next reading; the range word is written to the card before the first
// reading that sees a new range. Never raises.
void RunAcquisition(RunContext context);

// The run on a thread of its own. Created on the GUI thread, which alone
// calls every member; the thread is started after the card's ports were
// granted to the process, so it inherits the grant. Where the system allows
// it the thread runs SCHED_FIFO with the process memory locked.
class Sampler {
 public:
  // The bus, clock, keyboard and wall clock are borrowed for the sampler's
  // life. The bus and keyboard are used only by the run's thread while a run
  // lasts.
  Sampler(platform::PortBus& bus, platform::Clock& clock, platform::KeyboardPort& keyboard,
          WallClock wallClock);
  ~Sampler();  // ends a run as the stop key does and waits for it
  Sampler(const Sampler&) = delete;
  Sampler& operator=(const Sampler&) = delete;

  // Starts a run with `settings` on a card with the calibration of
  // `calibrated`. Requires no run in progress (Active() false).
  void Start(const Card& calibrated, RunSettings settings);
  // The panel changed: the run uses these from its next reading.
  void Publish(RunSettings settings);
  // Ends the run as the S key does (file closed, every line kept).
  void RequestStop() { stopRequested_.store(true, std::memory_order_release); }

  // True from Start until Finish has returned.
  bool Active() const { return thread_.joinable(); }
  // The furthest stage the run has reported.
  RunStage Stage() const { return static_cast<RunStage>(stage_.load(std::memory_order_acquire)); }
  // True once the run has ended (normally or not) and reported its end.
  bool Ended() const { return ended_.load(std::memory_order_acquire); }
  // The trigger input's level (bit 7 of the status byte) as the run last
  // read it, or -1 when it has not read it yet.
  int TriggerLevel() const { return triggerLevel_.load(std::memory_order_relaxed); }
  // The readings that have arrived since the last call, oldest first.
  template <typename Consumer>
  std::size_t TakeReadings(Consumer&& consumer) {
    return queue_.TakeAll(std::forward<Consumer>(consumer));
  }
  // After Ended: joins the thread and gives the failure that ended the run
  // (null after a normal end). Readings not yet taken stay to be taken.
  std::exception_ptr Finish();

  // After Finish: the run's timing report, the card's last readings and
  // whether the range word last written (or found) is LOW.
  const RunTiming& Timing() const { return timing_; }
  float LastInput1() const { return lastInput1_; }
  float LastInput2() const { return lastInput2_; }
  bool LowRangeWritten() const { return lowRangeWritten_; }

 private:
  class Worker;
  // Blocks of readings made before any run: about 0.65 s of readings at
  // 0.0001 s for a GUI thread that falls behind, without an allocation.
  static constexpr std::size_t kSpareBlocks = 64;

  platform::PortBus& bus_;
  platform::Clock& clock_;
  platform::KeyboardPort& keyboard_;
  WallClock wallClock_;
  ReadingQueue queue_{kSpareBlocks};
  std::unique_ptr<PublishedSettings> settings_;
  std::unique_ptr<Worker> worker_;
  std::thread thread_;
  std::atomic<bool> stopRequested_{false};
  std::atomic<int> stage_{static_cast<int>(RunStage::kWriting)};
  std::atomic<bool> ended_{true};
  std::atomic<int> triggerLevel_{-1};
  RunTiming timing_;
  std::exception_ptr error_;
  float lastInput1_ = 0.0f;
  float lastInput2_ = 0.0f;
  bool lowRangeWritten_ = false;
};

}  // namespace kolva::app
