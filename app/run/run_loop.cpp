// SPDX-License-Identifier: MIT
// The run itself: results file, trigger wait and the sampling schedule, on
// whichever thread calls RunAcquisition.
#include <cmath>

#include "app/files/text_file.h"
#include "app/run/acquisition_run.h"
#include "app/run/sampler.h"
#include "app/text/errors.h"
#include "app/text/textconv.h"

namespace kolva::app {
namespace {

constexpr std::size_t kNumberGap = 14;
constexpr std::size_t kInputGap = 4;
constexpr std::size_t kTimeGap = 9;
constexpr const char* kBlankLine = " ";
constexpr std::uint32_t kFlushIntervalMs = 1000;
constexpr std::uint32_t kStatusIntervalMs = 500;  // the trigger display's rate

// a + b, raising the system's overflow error where 64 bits cannot hold it.
std::int64_t CheckedAdd(std::int64_t a, std::int64_t b) {
  std::int64_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum)) throw MathError(MathError::Kind::kOverflow);
  return sum;
}

std::int64_t CheckedSub(std::int64_t a, std::int64_t b) {
  std::int64_t difference = 0;
  if (__builtin_sub_overflow(a, b, &difference)) {
    throw MathError(MathError::Kind::kOverflow);
  }
  return difference;
}

class Run {
 public:
  explicit Run(RunContext& context) : c_(context), lowRange_(context.settings.Pinned().lowRange) {}

  void Execute();
  void CloseAfterFailure() noexcept;
  // The report so far; readings due count the deadlines passed by the last
  // pass.
  RunTiming Timing() const {
    RunTiming timing = timing_;
    if (timing.periodTicks > 0 && lastPass_ > start_) {
      timing.due = static_cast<std::uint64_t>((lastPass_ - start_ - 1) / timing.periodTicks);
    } else if (timing.periodTicks <= 0) {
      timing.due = timing.taken;
    }
    return timing;
  }
  bool LowRangeWritten() const { return lowRange_; }

 private:
  void WriteHeader();
  void Sample();
  void TakeReading(std::int64_t now);
  std::string DataLine(const RunSettings& settings, long double x) const;
  long double LengthLimitMs();
  void ApplyRange(const RunSettings& settings);
  void NoteTriggerLevel();
  void NoteLateness(std::int64_t now);
  void OfferIdle(std::int64_t now);

  RunContext& c_;
  TextFile resultsFile_;
  RunTiming timing_;
  std::uint32_t sampleNumber_ = 0;
  std::int64_t nextDeadline_ = 0;
  std::int64_t start_ = 0;
  std::int64_t lastPass_ = 0;
  bool lowRange_;
};

void Run::Execute() {
  c_.events.Stage(RunStage::kWriting);
  const RunSettings& first = c_.settings.Refresh();
  timing_.periodTicks = SamplePeriodFor(ParseFloat(first.intervalText));
  resultsFile_.Assign(first.resultsFileName);
  // Locked from its creation to its close: a second run on the same file,
  // in this program or another, is refused before it empties the file.
  resultsFile_.Rewrite(TextFile::Commit::kInPlace, TextFile::Lock::kExclusive);
  WriteHeader();
  // The header reaches the disk before a wait of unknown length.
  resultsFile_.Flush();
  c_.events.Stage(RunStage::kWaitingForTrigger);
  c_.settings.Refresh();
  c_.card.WaitForTrigger();  // a trigger or the stop key: the run goes on alike
  c_.events.Stage(RunStage::kRunning);
  Sample();
  ApplyRange(c_.settings.Refresh());  // a range chosen after the last reading
  resultsFile_.Close();
}

void Run::WriteHeader() {
  // Date and time are read separately, each as its line is written; the
  // texts as they stand when their lines are written.
  resultsFile_.WriteLine("Date of the measurement - " + DateText(c_.wallClock()));
  resultsFile_.WriteLine("Time of the measurement - " + TimeText(c_.wallClock()));
  resultsFile_.WriteLine(kBlankLine);
  resultsFile_.WriteLine(kBlankLine);
  resultsFile_.WriteLine("Time between samples in seconds - " + c_.settings.Refresh().intervalText);
  resultsFile_.WriteLine(kBlankLine);
  resultsFile_.WriteLine("Measurement lenth in minutes - " + c_.settings.Refresh().lengthText);
  resultsFile_.WriteLine(kBlankLine);
  resultsFile_.WriteLine(kBlankLine);
  resultsFile_.WriteLine("NR of the sample    INP1     INP2     TIME BASE");
  resultsFile_.WriteLine(kBlankLine);
}

// Busy-polls the counter. The length limit and the stop key are tested after
// every pass, reading or not, the key only while the limit has not passed.
void Run::Sample() {
  const std::uint32_t startTick = c_.clock.GetTickCount();
  nextDeadline_ = c_.clock.QueryPerformanceCounter();
  start_ = lastPass_ = nextDeadline_;
  std::uint32_t lastFlush = 0;
  std::uint32_t lastStatus = 0;
  for (;;) {
    const std::int64_t now = c_.clock.QueryPerformanceCounter();
    lastPass_ = now;
    if (CheckedSub(now, nextDeadline_) > timing_.periodTicks) TakeReading(now);
    const long double limit = LengthLimitMs();
    const std::uint32_t elapsed = c_.clock.GetTickCount() - startTick;  // wraps
    if (elapsed - lastFlush >= kFlushIntervalMs) {
      resultsFile_.Flush();
      lastFlush = elapsed;
    }
    if (elapsed - lastStatus >= kStatusIntervalMs) {
      NoteTriggerLevel();
      lastStatus = elapsed;
    }
    if (limit < static_cast<long double>(elapsed)) return;
    if (c_.card.ReadPort8(Card::kKeyboardDataPort) == Card::kStopScanCode) return;
    if (c_.idle) OfferIdle(now);
  }
}

void Run::OfferIdle(std::int64_t now) {
  if (timing_.periodTicks <= 0) return;
  std::int64_t left = 0;
  if (__builtin_add_overflow(nextDeadline_, timing_.periodTicks, &left) ||
      __builtin_sub_overflow(left, now, &left)) {
    return;
  }
  if (left >= kIdleTicks) c_.idle(left);
}

void Run::TakeReading(std::int64_t now) {
  // The deadline moves by exactly one period per reading, so the schedule
  // does not drift and a late loop catches up with readings back to back.
  nextDeadline_ = CheckedAdd(nextDeadline_, timing_.periodTicks);
  NoteLateness(now);
  const RunSettings& settings = c_.settings.Refresh();
  ApplyRange(settings);
  c_.card.ReadInputs(static_cast<std::uint8_t>(settings.averagingCount));
  const long double x = ParseFloat(settings.intervalText) * sampleNumber_;
  resultsFile_.WriteLine(DataLine(settings, x));
  c_.events.Reading(
      {sampleNumber_, x, c_.card.Input1Value, c_.card.Input2Value, settings.chartResults});
  ++sampleNumber_;
  timing_.taken = sampleNumber_;
}

// With a period of zero or less every pass takes a reading: none is late.
void Run::NoteLateness(std::int64_t now) {
  if (timing_.periodTicks <= 0) return;
  const std::int64_t lateness = now - nextDeadline_;
  if (lateness > timing_.periodTicks) ++timing_.late;
  if (lateness > timing_.worstLatenessTicks) timing_.worstLatenessTicks = lateness;
}

std::string Run::DataLine(const RunSettings& settings, long double x) const {
  const char* pattern = settings.lowRange ? "%2.3f" : "%2.2f";
  std::string line = IntText(sampleNumber_);
  line.append(kNumberGap, ' ');
  line += FormatText(pattern, c_.card.Input1Value);
  line.append(kInputGap, ' ');
  line += FormatText(pattern, c_.card.Input2Value);
  line.append(kTimeGap, ' ');
  line += FloatText(x);
  return line;
}

long double Run::LengthLimitMs() {
  const long double limit = ParseFloat(c_.settings.Refresh().lengthText) * 60.0L * 1000.0L;
  if (std::isinf(limit)) throw MathError(MathError::Kind::kOverflow);
  return limit;
}

void Run::ApplyRange(const RunSettings& settings) {
  if (settings.lowRange == lowRange_) return;
  c_.card.SelectRange(!settings.lowRange);
  lowRange_ = settings.lowRange;
}

void Run::NoteTriggerLevel() {
  c_.card.ReadPort8(static_cast<std::uint16_t>(c_.card.BaseAddress + Card::kStatusPort));
}

// The file closed so that what reached the disk stays; a second failure
// while closing is not the one to show.
void Run::CloseAfterFailure() noexcept {
  if (!resultsFile_.IsOpen()) return;
  try {
    resultsFile_.Close();
  } catch (const Error&) {
  }
}

}  // namespace

void RunAcquisition(RunContext context) {
  Run run(context);
  std::exception_ptr error;
  try {
    run.Execute();
  } catch (...) {
    error = std::current_exception();
    run.CloseAfterFailure();
  }
  if (context.lowRangeWritten != nullptr) *context.lowRangeWritten = run.LowRangeWritten();
  context.events.Finished(run.Timing(), error);
}

}  // namespace kolva::app
