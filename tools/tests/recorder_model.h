// SPDX-License-Identifier: MIT
// The window's run in this process, on the simulated card and a fake clock,
// for settings written out by the test: what a recorder child's results file
// and chart must hold for the same readings.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/run/card.h"
#include "app/run/sampler.h"
#include "platform/locale_settings.h"
#include "platform/port_bus.h"
#include "platform/tests/fake_clock.h"

namespace kolva::tools::testing {

// The panel the scratch folder's konfig.txt gives (interval 0.01 s, length
// 0.005 min, LOW, trigger off), before any option.
inline app::RunSettings KonfigSettings() {
  app::RunSettings s;
  s.averagingCount = 20;  // the layout's, not in konfig.txt
  s.lowRange = true;
  s.triggerEnabled = false;
  s.triggerOnHigh = true;
  s.triggerOnLow = false;
  s.intervalText = "0.01";
  s.lengthText = "0.005";
  return s;
}

// Collects the readings; the S key goes down once `stopAfter` were taken.
class ModelEvents : public app::RunEvents, public platform::KeyboardPort {
 public:
  explicit ModelEvents(std::size_t stopAfter) : stopAfter_(stopAfter) {}
  std::vector<app::RunReading> readings;
  std::exception_ptr error;

  void Stage(app::RunStage) override {}
  void Reading(const app::RunReading& reading) override { readings.push_back(reading); }
  void Finished(const app::RunTiming&, std::exception_ptr e) override { error = e; }
  std::uint8_t ReadScanCode() override { return readings.size() >= stopAfter_ ? kScanCodeS : 0; }

 private:
  std::size_t stopAfter_;
};

// Runs `settings` into `resultsPath` for exactly `count` readings on
// KOLVA_CARD=`card` (constant signals, so readings do not depend on when
// they are taken), the card at $D800 with the scratch folder's corrections
// and its range word written. Answers the readings as the run reported them.
inline std::vector<app::RunReading> RunModel(const std::string& card, app::RunSettings settings,
                                             std::size_t count, const std::string& resultsPath) {
  // The separators and pictures the child reads at its start.
  platform::SetCurrentLocale(platform::ReadUserLocale());
  platform::FakeClock clock;
  clock.step = 100;
  clock.followCounter = false;  // the length never runs out: the key ends it
  const std::unique_ptr<platform::PortBus> bus = platform::MakePortBus(card, clock);
  ModelEvents events(count);
  settings.resultsFileName = resultsPath;
  app::PublishedSettings published(settings);
  app::SettingsControls controls(published);
  app::Card theCard(*bus, clock, events, controls);
  theCard.BaseAddress = 0xD800;
  theCard.Gain2Low = theCard.Gain2High = 1.0f;
  theCard.ScaleLow = 366.2109375f;
  theCard.ScaleHigh = 3906.25f;
  theCard.WritePort32(theCard.BaseAddress,
                      settings.lowRange ? app::Card::kRangeLow : app::Card::kRangeHigh);
  app::RunAcquisition({theCard,
                       controls,
                       clock,
                       events,
                       [] { return app::DateTime{2026, 12, 8, 23, 0, 0, 0}; },
                       nullptr,
                       {}});
  if (events.error) std::rethrow_exception(events.error);
  return events.readings;
}

}  // namespace kolva::tools::testing
