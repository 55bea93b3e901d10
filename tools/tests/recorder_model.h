// SPDX-License-Identifier: MIT
// The window's acquisition run in this process, on the simulated card and a
// fake clock, for the same folder and options as a recorder child: what the
// results file and the chart must hold for the same readings.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/acquisition_run.h"
#include "app/card.h"
#include "platform/locale_settings.h"
#include "platform/port_bus.h"
#include "platform/tests/fake_clock.h"
#include "tools/record_options.h"
#include "tools/record_session.h"
#include "tools/recorder_panel.h"

namespace kolva::tools::testing {

// The S key goes down once the run has taken `readings` readings.
class StopAfter : public platform::KeyboardPort {
 public:
  const app::AcquisitionRun* run = nullptr;
  std::uint32_t readings = 0;
  std::uint8_t ReadScanCode() override {
    return run != nullptr && run->SampleNumber >= readings ? kScanCodeS : 0;
  }
};

// Runs ACQUISITION START into `resultsPath` with `chart` (may be null) for
// exactly `readings` readings, the panel prepared from `folder` and `args`
// as kolva-record prepares it, on KOLVA_CARD=`card` (its signals constant,
// so readings do not depend on when they are taken).
inline void RunModel(const std::string& folder, const std::string& card,
                     const std::vector<std::string_view>& args, std::uint32_t readings,
                     const std::string& resultsPath, app::ResultsChart* chart = nullptr) {
  // The separators and pictures the child reads at its start.
  platform::SetCurrentLocale(platform::ReadUserLocale());
  platform::FakeClock clock;
  clock.step = 100;
  clock.followCounter = false;  // the length never runs out: the key ends it
  const std::unique_ptr<platform::PortBus> bus = platform::MakePortBus(card, clock);
  StopAfter key;
  key.readings = readings;
  RecorderPanel panel;
  app::Card theCard(*bus, clock, key, panel);
  PrepareCard(theCard, panel, ParseRecordOptions(args), folder + "/");
  panel.SetResultsFileName(resultsPath);
  panel.SetCharted(chart != nullptr);
  app::AcquisitionRun run(theCard, clock, panel, chart, {},
                          [] { return app::DateTime{2026, 12, 8, 23, 0, 0, 0}; });
  key.run = &run;
  run.Button3Click();
}

}  // namespace kolva::tools::testing
