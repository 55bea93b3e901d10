// SPDX-License-Identifier: MIT
#include "app/run/acquisition_run.h"

#include <cmath>

#include "app/text/checked_math.h"
#include "app/text/errors.h"
#include "app/text/textconv.h"

namespace kolva::app {
namespace {

constexpr std::uint8_t kProgressMask = 255;

}  // namespace

std::int64_t SamplePeriodFor(long double intervalSeconds) {
  return TruncToInt64(intervalSeconds *
                      static_cast<long double>(AcquisitionRun::kScheduleTicksPerSecond));
}

AcquisitionRun::AcquisitionRun(Card& card, Sampler& sampler, ControlState& controls,
                               ResultsChart* chart)
    : card_(card), sampler_(sampler), controls_(controls), chart_(chart) {}

void AcquisitionRun::Button3Click() {
  if (active_) return;
  controls_.SetLiveReadout(false);  // not restarted at the end
  RunSettings settings = SettingsOf(controls_);
  // The texts the run converts at every use, converted once before the
  // results file is touched, so that a typo never truncates the previous file.
  CheckInterval(settings.intervalText);
  CheckLength(settings.lengthText);
  if (chart_ == nullptr) settings.chartResults = false;
  if (settings.chartResults) PrepareChart(settings.resultsFileName);
  controls_.SetRunButton(kWritingCaption, false);
  stageShown_ = RunStage::kWriting;
  readingsTaken_ = 0;
  published_ = settings;
  try {
    sampler_.Start(card_, std::move(settings));
  } catch (...) {
    if (published_.chartResults) chart_->SetFedByRun(false);
    controls_.SetRunButton(kIdleCaption, true);  // no thread for the run
    throw;
  }
  active_ = true;
}

void AcquisitionRun::CheckInterval(const std::string& text) {
  SamplePeriodFor(ParseFloat(text));
}

void AcquisitionRun::CheckLength(const std::string& text) {
  const long double limit = ParseFloat(text) * 60.0L * 1000.0L;
  if (std::isinf(limit)) throw MathError(MathError::Kind::kOverflow);
}

bool AcquisitionRun::Converts(void (*check)(const std::string&), const std::string& text) {
  try {
    check(text);
    return true;
  } catch (const Error&) {
    return false;
  }
}

// A new run starts with the axes as stored: a zoom or pan left from the last
// run is undone before the series are emptied.
void AcquisitionRun::PrepareChart(const std::string& resultsFileName) {
  chart_->Show(resultsFileName);
  chart_->RestoreAxes();
  chart_->ClearPoints(0);
  chart_->ClearPoints(1);
  chart_->SetFedByRun(true);
}

// An edit being typed into passes through texts that do not convert (an
// empty field on the way to the next value); the run would end on them.
void AcquisitionRun::PanelChanged() {
  if (!active_) return;
  RunSettings settings = SettingsOf(controls_);
  settings.chartResults = published_.chartResults;
  if (!Converts(CheckInterval, settings.intervalText))
    settings.intervalText = published_.intervalText;
  if (!Converts(CheckLength, settings.lengthText)) settings.lengthText = published_.lengthText;
  published_ = settings;
  sampler_.Publish(std::move(settings));
}

void AcquisitionRun::Update() {
  if (!active_) return;
  // The end is read first: every reading and stage it follows has arrived.
  const bool ended = sampler_.Ended();
  ShowStages();
  TakeReadings();
  if (ended) Complete();
}

void AcquisitionRun::EndNow() {
  if (!active_) return;
  sampler_.RequestStop();
  sampler_.Finish();
  Update();
}

void AcquisitionRun::ShowStages() {
  const RunStage reached = sampler_.Stage();
  while (stageShown_ < reached) {
    stageShown_ = static_cast<RunStage>(static_cast<int>(stageShown_) + 1);
    controls_.SetRunButton(
        stageShown_ == RunStage::kWaitingForTrigger ? kWaitingCaption : kRunningCaption, false);
  }
}

void AcquisitionRun::TakeReadings() {
  const RunReading* last = nullptr;
  RunReading kept;
  const std::size_t taken = sampler_.TakeReadings([&](const RunReading& reading) {
    if (published_.chartResults) {
      chart_->AddPoint(0, reading.x, reading.input1, ResultsChart::kInput1Color);
      chart_->AddPoint(1, reading.x, reading.input2, ResultsChart::kInput2Color);
    }
    kept = reading;
    last = &kept;
  });
  if (last == nullptr) return;
  readingsTaken_ += taken;
  card_.Input1Value = last->input1;
  card_.Input2Value = last->input2;
  controls_.SetProgress(static_cast<int>((last->number + 1) & kProgressMask));
}

// The end-of-run state: the button back and enabled, the bar full after a
// normal end; the run's failure raised again for the guard to show.
void AcquisitionRun::Complete() {
  const std::exception_ptr error = sampler_.Finish();
  active_ = false;
  if (published_.chartResults) chart_->SetFedByRun(false);
  card_.Input1Value = sampler_.LastInput1();
  card_.Input2Value = sampler_.LastInput2();
  if (endReport_) endReport_(sampler_.Timing());
  // A range chosen after the run's last port use: the GUI owns the ports again.
  if (sampler_.LowRangeWritten() != controls_.LowRange()) card_.SelectRange(!controls_.LowRange());
  controls_.SetRunButton(kIdleCaption, true);
  if (error) std::rethrow_exception(error);
  controls_.SetProgress(kProgressMask);
}

}  // namespace kolva::app
