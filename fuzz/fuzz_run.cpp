// SPDX-License-Identifier: MIT
// One acquisition run over fuzzed panel texts: the input's parts (split at
// "\n--\n") are the interval, the length and the averaging count, on the
// simulated card with a clock that never waits. The S key goes down after a
// bounded number of passes, so every run ends; it ends well or with one of
// the system's errors. The run is driven only through its click handler and
// the window's frame step, the sampler on a thread of its own.
#include <cstddef>
#include <cstdint>
#include <string>
#include <thread>

#include "app/run/acquisition_run.h"
#include "app/run/card.h"
#include "app/run/sampler.h"
#include "app/run/tests/fake_controls.h"
#include "app/text/errors.h"
#include "fuzz/fuzz_files.h"
#include "platform/locale_settings.h"
#include "platform/sim_card.h"
#include "platform/tests/fake_clock.h"
#include "platform/tests/fake_keyboard.h"

namespace {

using namespace kolva;

constexpr int kPassesBeforeStop = 64;
constexpr std::uint8_t kStopScanCode = 31;  // S

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::SetCurrentLocale(platform::LocaleSettings{});
  const auto parts =
      fuzz::SplitInput(std::string_view(reinterpret_cast<const char*>(data), size), 3);
  app::FakeControls controls;
  controls.intervalText = parts[0];
  controls.lengthText = parts[1];
  controls.averagingCount = 1 + static_cast<int>(parts[2].size() % 100);
  controls.lowRange = parts[2].size() % 2 == 0;
  controls.resultsFileName = fuzz::ScratchFolder() + "results.txt";

  platform::FakeClock clock;
  clock.step = 1 + static_cast<std::int64_t>(parts[2].size()) * 7919;
  platform::FakeKeyboard keyboard;
  keyboard.onRead = [](platform::FakeKeyboard& k) {
    if (k.reads >= kPassesBeforeStop) k.scanCode = kStopScanCode;
  };
  platform::SimCard bus(platform::SimCardOptions{}, clock);
  app::Card card(bus, clock, keyboard, controls);
  app::Sampler sampler(bus, clock, keyboard,
                       [] { return app::DateTime{2026, 12, 8, 23, 0, 0, 0}; });
  app::AcquisitionRun run(card, sampler, controls, nullptr);
  try {
    run.Button3Click();
    while (run.Active()) {
      run.Update();
      std::this_thread::yield();
    }
  } catch (const app::Error&) {
  }
  return 0;
}
