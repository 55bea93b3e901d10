// SPDX-License-Identifier: MIT
// ReadInputs on the simulated card: the conversion cost of one averaged
// reading. Target: ReadInputs(100) within 5 us median,
// so 10 kHz sampling with full averaging spends at most 5 % converting.
#include <benchmark/benchmark.h>

#include <type_traits>

#include "app/run/card.h"
#include "app/run/tests/fake_controls.h"
#include "platform/clock.h"
#include "platform/scan_code_latch.h"
#include "platform/sim_card.h"
#include "platform/tests/fake_clock.h"

namespace {

template <class ClockType>
void BM_ReadInputs(benchmark::State& state) {
  ClockType clock;
  if constexpr (std::is_same_v<ClockType, kolva::platform::FakeClock>) {
    clock.step = 1;  // a new counter tick on every read: no two reads share their signals
  }
  kolva::platform::ScanCodeLatch keyboard;
  kolva::app::FakeControls controls;
  // Changing signals with noise: every read does the card's full work.
  const kolva::platform::SimCardOptions options = kolva::platform::ParseSimCardOptions(
      "in1=sine:500mV:50Hz,in2=triangle:300mV:7Hz:-100mV,noise=2");
  kolva::platform::SimCard sim(options, clock);
  kolva::app::Card card(sim, clock, keyboard, controls);
  card.BaseAddress = options.base;
  card.Gain2Low = 1.0f;
  card.ScaleLow = 0.366f;
  const auto n = static_cast<std::uint8_t>(state.range(0));
  for (auto _ : state) {
    card.ReadInputs(n);
    benchmark::DoNotOptimize(card.Input1Value);
    benchmark::DoNotOptimize(card.Input2Value);
  }
}
// The conversion cost alone, on a fake counter.
BENCHMARK_TEMPLATE(BM_ReadInputs, kolva::platform::FakeClock)
    ->Arg(20)
    ->Arg(100)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);
// With the system's monotonic clock read on every conversion, as the program runs.
BENCHMARK_TEMPLATE(BM_ReadInputs, kolva::platform::SystemClock)
    ->Arg(20)
    ->Arg(100)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

}  // namespace
