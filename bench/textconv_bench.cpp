// SPDX-License-Identifier: MIT
// Per-call cost of the conversions on the acquisition run's hot path: one
// data line formats two readings with "%2.3f", the time with FloatText, and
// the interval is read back with ParseFloat.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/text/textconv.h"

namespace {

// Readings in millivolts as the card gives them: counts times the range's
// scale, stored in single precision.
std::vector<long double> Readings() {
  std::vector<long double> values;
  for (int counts = -2048; counts < 2048; counts += 7)
    values.push_back(static_cast<float>(counts * 0.36621094L));
  return values;
}

// Sample times interval x n, formed in extended.
std::vector<long double> Times() {
  std::vector<long double> values;
  for (int n = 0; n < 600; ++n) values.push_back(0.001L * n);
  return values;
}

void BM_FormatTextReading(benchmark::State& state) {
  const std::vector<long double> values = Readings();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kolva::app::FormatText("%2.3f", values[i]));
    if (++i == values.size()) i = 0;
  }
}
BENCHMARK(BM_FormatTextReading);

void BM_FloatTextTime(benchmark::State& state) {
  const std::vector<long double> values = Times();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kolva::app::FloatText(values[i]));
    if (++i == values.size()) i = 0;
  }
}
BENCHMARK(BM_FloatTextTime);

void BM_ParseFloatText(benchmark::State& state) {
  std::vector<std::string> texts;
  for (long double v : Readings()) texts.push_back(kolva::app::FormatText("%2.3f", v));
  for (long double v : Times()) texts.push_back(kolva::app::FloatText(v));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kolva::app::ParseFloat(texts[i]));
    if (++i == texts.size()) i = 0;
  }
}
BENCHMARK(BM_ParseFloatText);

}  // namespace
