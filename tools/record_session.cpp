// SPDX-License-Identifier: MIT
#include "tools/record_session.h"

#include <algorithm>

#include "app/acquisition_run.h"
#include "app/card.h"
#include "app/errors.h"
#include "app/settings_files.h"
#include "app/startup.h"
#include "app/wall_clock.h"
#include "tools/recorder_panel.h"

namespace kolva::tools {
namespace {

// Runs `step`, turning the unit's errors into a SetupError naming `file`.
template <typename Step>
auto Reading(const std::string& file, Step step) {
  try {
    return step();
  } catch (const app::Error& error) {
    throw SetupError(file, error.what());
  }
}

void ApplyCorrections(const app::Corrections& c, app::Card& card) {
  card.ZeroCorrection1 = c.ZeroCorrection1;
  card.ZeroCorrection2 = c.ZeroCorrection2;
  card.Gain2Low = c.Gain2Low;
  card.Gain2High = c.Gain2High;
  card.ScaleLow = c.ScaleLow;
  card.ScaleHigh = c.ScaleHigh;
}

std::uint32_t RangeWord(bool high) {
  return high ? app::Card::kRangeHigh : app::Card::kRangeLow;
}

}  // namespace

void PrepareCard(app::Card& card, RecorderPanel& panel, const RecordOptions& options,
                 const std::string& folder) {
  card.BaseAddress = Reading("bar.txt", [&] { return app::ReadBarFile(folder + "bar.txt"); });
  Reading("konfig.txt", [&] {
    app::ReadKonfigFile(folder + "konfig.txt", panel,
                        [&card](std::uint32_t word) { card.WritePort32(card.BaseAddress, word); });
  });
  app::Corrections corrections;
  Reading("korekcje.txt", [&] { app::ReadKorekcjeFile(folder + "korekcje.txt", corrections); });
  ApplyCorrections(corrections, card);
  const bool wasHigh = panel.HighRange();
  panel.Override(options);
  if (panel.HighRange() != wasHigh)
    card.WritePort32(card.BaseAddress, RangeWord(panel.HighRange()));
  if (!app::IsCardIdentity(card.ReadPort8(card.BaseAddress))) throw SetupError("", kNoCardMessage);
}

namespace {

// Readings due by `end` for a schedule started at `start`: reading k is due
// once the counter is more than (k + 1) periods past the start.
std::uint64_t DueBy(std::int64_t start, std::int64_t end, std::int64_t period) {
  if (period <= 0 || end - start <= period) return 0;
  return static_cast<std::uint64_t>((end - start - 1) / period);
}

}  // namespace

TimingFigures RunRecording(app::Card& card, platform::Clock& clock, RecorderPanel& panel,
                           app::ResultsChart* chart, const ReadingObserver& observer) {
  TimingFigures figures;
  app::AcquisitionRun* current = nullptr;
  std::int64_t start = 0;
  // A reading is due the tick after its deadline; the run has just moved
  // NextDeadline onto the deadline of the reading it took.
  panel.SetReadingHook([&] {
    const std::int64_t now = clock.QueryPerformanceCounter();
    if (figures.taken == 0) start = current->NextDeadline - current->SamplePeriod;
    ++figures.taken;
    const std::int64_t lateness = now - current->NextDeadline;
    figures.worstLateness = std::max(figures.worstLateness, lateness);
    if (lateness > current->SamplePeriod) ++figures.late;
    if (observer) observer(figures.taken, clock.GetTickCount() - current->RunStartTick);
  });
  app::AcquisitionRun run(card, clock, panel, chart, {}, app::LocalNow);
  current = &run;
  run.Button3Click();
  panel.SetReadingHook({});
  figures.period = run.SamplePeriod;
  if (figures.taken == 0) start = run.NextDeadline;
  figures.due = DueBy(start, clock.QueryPerformanceCounter(), run.SamplePeriod);
  return figures;
}

}  // namespace kolva::tools
