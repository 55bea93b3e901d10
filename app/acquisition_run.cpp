// SPDX-License-Identifier: MIT
#include "app/acquisition_run.h"

#include <cmath>
#include <utility>

#include "app/checked_math.h"
#include "app/errors.h"
#include "app/textconv.h"

namespace kolva::app {
namespace {

constexpr std::uint8_t kProgressMask = 255;
constexpr std::size_t kNumberGap = 14;
constexpr std::size_t kInputGap = 4;
constexpr std::size_t kTimeGap = 9;
constexpr const char* kBlankLine = " ";

}  // namespace

std::int64_t SamplePeriodFor(long double intervalSeconds) {
  return TruncToInt64(intervalSeconds *
                      static_cast<long double>(AcquisitionRun::kScheduleTicksPerSecond));
}

AcquisitionRun::AcquisitionRun(Card& card, platform::Clock& clock, ControlState& controls,
                               ResultsChart* chart, MessagePump pump, WallClock wallClock)
    : card_(card),
      clock_(clock),
      controls_(controls),
      chart_(chart),
      pump_(std::move(pump)),
      wallClock_(std::move(wallClock)) {}

void AcquisitionRun::Button3Click() {
  controls_.SetLiveReadout(false);  // not restarted at the end
  SampleNumber = 0;
  SamplePeriod = SamplePeriodFor(Interval());
  buttonTaken_ = false;
  try {
    PrepareChart();
    controls_.SetRunButton(kWritingCaption, false);
    buttonTaken_ = true;
    resultsFile_.Assign(controls_.ResultsFileName());
    resultsFile_.Rewrite();
    WriteHeader();
    // The header reaches the disk before a wait of unknown length.
    resultsFile_.Flush();
    controls_.SetRunButton(kWaitingCaption, false);
    card_.WaitForTrigger();  // a trigger or the S key: the run goes on alike
    controls_.SetRunButton(kRunningCaption, false);
    Sample();
    controls_.SetRunButton(kIdleCaption, true);
    resultsFile_.Close();
  } catch (...) {
    EndAfterFailure();
    throw;
  }
  controls_.SetProgress(kProgressMask);
}

void AcquisitionRun::PrepareChart() {
  if (!controls_.ChartResults() || chart_ == nullptr) return;
  chart_->Show();
  chart_->ClearPoints(0);
  chart_->ClearPoints(1);
}

void AcquisitionRun::WriteHeader() {
  // Date and time are read separately, each as its line is written.
  resultsFile_.WriteLine("Date of the measurement - " + DateText(wallClock_()));
  resultsFile_.WriteLine("Time of the measurement - " + TimeText(wallClock_()));
  resultsFile_.WriteLine(kBlankLine);
  resultsFile_.WriteLine(kBlankLine);
  resultsFile_.WriteLine("Time between samples in seconds - " + controls_.IntervalText());
  resultsFile_.WriteLine(kBlankLine);
  resultsFile_.WriteLine("Measurement lenth in minutes - " + controls_.LengthText());
  resultsFile_.WriteLine(kBlankLine);
  resultsFile_.WriteLine(kBlankLine);
  resultsFile_.WriteLine("NR of the sample    INP1     INP2     TIME BASE");
  resultsFile_.WriteLine(kBlankLine);
}

// Busy-polls the counter. The length limit and the stop key are tested after
// every pass, reading or not, the key only while the limit has not passed.
void AcquisitionRun::Sample() {
  RunStartTick = clock_.GetTickCount();
  NextDeadline = clock_.QueryPerformanceCounter();
  std::uint32_t lastFlush = 0;
  for (;;) {
    const std::int64_t now = clock_.QueryPerformanceCounter();
    if (now - NextDeadline > SamplePeriod) TakeReading();
    const long double limit = LengthLimitMs();
    const std::uint32_t elapsed = clock_.GetTickCount() - RunStartTick;  // wraps
    if (elapsed - lastFlush >= kFlushIntervalMs) {
      resultsFile_.Flush();
      lastFlush = elapsed;
    }
    if (limit < static_cast<long double>(elapsed)) return;
    if (StopKeyDown()) return;
  }
}

void AcquisitionRun::TakeReading() {
  // The deadline moves by exactly one period per reading, so the schedule
  // does not drift and a late loop catches up with readings back to back.
  NextDeadline += SamplePeriod;
  card_.ReadInputs(static_cast<std::uint8_t>(controls_.AveragingCount()));
  if (controls_.ChartResults()) {
    if (chart_ != nullptr) {
      chart_->AddPoint(0, Interval() * SampleNumber, card_.Input1Value, ResultsChart::kInput1Color);
      chart_->AddPoint(1, Interval() * SampleNumber, card_.Input2Value, ResultsChart::kInput2Color);
    }
    if (pump_) pump_();
  }
  // The values and the range as they stand after the pump.
  resultsFile_.WriteLine(DataLine());
  ++SampleNumber;
  controls_.SetProgress(static_cast<int>(SampleNumber & kProgressMask));
}

std::string AcquisitionRun::DataLine() const {
  const char* pattern = controls_.LowRange() ? "%2.3f" : "%2.2f";
  std::string line = IntText(SampleNumber);
  line.append(kNumberGap, ' ');
  line += FormatText(pattern, card_.Input1Value);
  line.append(kInputGap, ' ');
  line += FormatText(pattern, card_.Input2Value);
  line.append(kTimeGap, ' ');
  line += FloatText(Interval() * SampleNumber);
  return line;
}

long double AcquisitionRun::Interval() const {
  return ParseFloat(controls_.IntervalText());
}

long double AcquisitionRun::LengthLimitMs() const {
  const long double limit = ParseFloat(controls_.LengthText()) * 60.0L * 1000.0L;
  if (std::isinf(limit)) throw MathError(MathError::Kind::kOverflow);
  return limit;
}

bool AcquisitionRun::StopKeyDown() {
  return card_.ReadPort8(Card::kKeyboardDataPort) == Card::kStopScanCode;
}

// The end-of-run state after a failure: the file closed so that what reached
// the disk stays (a second failure while closing is not the one to show), the
// button back, the progress bar where the run stopped.
void AcquisitionRun::EndAfterFailure() {
  if (resultsFile_.IsOpen()) {
    try {
      resultsFile_.Close();
    } catch (const Error&) {
    }
  }
  if (buttonTaken_) controls_.SetRunButton(kIdleCaption, true);
}

}  // namespace kolva::app
