// SPDX-License-Identifier: MIT
#include "tools/record_session.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>
#include <utility>

#include "app/files/settings_files.h"
#include "app/run/card.h"
#include "app/run/results_chart.h"
#include "app/run/wall_clock.h"
#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "tools/record_options.h"
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

}  // namespace

void PrepareCard(app::Card& card, RecorderPanel& panel, const RecordOptions& options,
                 const std::string& folder) {
  // A settings file written with the other decimal separator is read all
  // the same; the note about it is not an error, so --quiet keeps it back.
  const app::SettingsNote note = [&options](const std::string& text) {
    if (!options.quiet) std::fputs(("kolva-record: " + text + "\n").c_str(), stderr);
  };
  card.BaseAddress = Reading("bar.txt", [&] { return app::ReadBarFile(folder + "bar.txt"); });
  Reading("konfig.txt", [&] {
    app::ReadKonfigFile(
        folder + "konfig.txt", panel, [&card](bool high) { card.SelectRange(high); }, note);
  });
  app::Corrections corrections;
  Reading("korekcje.txt",
          [&] { app::ReadKorekcjeFile(folder + "korekcje.txt", corrections, note); });
  app::ApplyCorrections(corrections, card);
  const bool wasHigh = panel.HighRange();
  panel.Override(options);
  // The run takes the length text as converted: a bad one from konfig.txt
  // is refused here, before the results file is touched.
  Reading("konfig.txt", [&] { return app::ParseFloat(panel.LengthText()); });
  // Values konfig.txt gave that the run could not time, refused as the
  // options' are.
  for (const auto& [text, problem] :
       {std::pair{panel.IntervalText(), IntervalProblem(app::ParseFloat(panel.IntervalText()))},
        std::pair{panel.LengthText(), LengthProblem(app::ParseFloat(panel.LengthText()))}}) {
    if (!problem.empty())
      throw SetupError("konfig.txt", "'" + app::QuotedText(text) + "' " + problem);
  }
  if (panel.HighRange() != wasHigh) card.SelectRange(panel.HighRange());
  if (!card.CardPresent()) throw SetupError("", kNoCardMessage);
}

RecordingEnd RunRecording(const RecordingParts& parts) {
  if (parts.chart != nullptr) {
    parts.chart->Show(parts.panel.ResultsFileName());
    parts.chart->RestoreAxes();
    parts.chart->ClearPoints(0);
    parts.chart->ClearPoints(1);
  }
  app::Sampler sampler(parts.bus, parts.clock, parts.stopKey, app::LocalNow);
  sampler.Start(parts.card, app::SettingsOf(parts.panel));
  std::uint64_t readings = 0;
  std::optional<std::uint32_t> runningSince;
  std::optional<std::uint32_t> waitingSince;
  auto plot = [&](const app::RunReading& reading) {
    ++readings;
    if (parts.chart == nullptr || !reading.charted) return;
    parts.chart->AddPoint(0, reading.x, reading.input1, app::ResultsChart::kInput1Color);
    parts.chart->AddPoint(1, reading.x, reading.input2, app::ResultsChart::kInput2Color);
  };
  while (!sampler.Ended()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    if (parts.stopRequested && parts.stopRequested()) sampler.RequestStop();
    sampler.TakeReadings(plot);
    if (sampler.Stage() == app::RunStage::kWaitingForTrigger && parts.panel.TriggerEnabled() &&
        parts.waiting) {
      const std::uint32_t now = parts.clock.GetTickCount();
      if (!waitingSince) waitingSince = now;
      parts.waiting(now - *waitingSince);
    }
    if (sampler.Stage() != app::RunStage::kRunning) continue;
    if (!runningSince) runningSince = parts.clock.GetTickCount();
    if (parts.progress) parts.progress(readings, parts.clock.GetTickCount() - *runningSince);
  }
  RecordingEnd end;
  end.error = sampler.Finish();
  sampler.TakeReadings(plot);
  // A wait the stop ended: the status byte last read shows the other level
  // (the run reads it again only half a second into sampling).
  const int wanted = parts.panel.TriggerOnHigh() ? 1 : 0;
  end.triggerNeverCame =
      parts.panel.TriggerEnabled() && readings == 0 && sampler.TriggerLevel() != wanted;
  end.timing = sampler.Timing();
  return end;
}

}  // namespace kolva::tools
