// SPDX-License-Identifier: MIT
// Results-file reading speed: the data lines parsed from memory on one
// core, and a whole file of 10^6 lines read through the reader (page cache
// warm after the first pass). Bytes per second of results text.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/files/results_lines.h"
#include "app/files/results_reader.h"
#include "results_text.h"

namespace {

void BM_ParseResultsLines(benchmark::State& state) {
  std::string text;
  kolva::bench::AppendResultsLines(text, 0, 100000, state.range(0) != 0);
  kolva::app::ResultsReading reading;
  for (auto _ : state) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
      const auto* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
      if (!kolva::app::ParseResultsLine(std::string_view(p, lf - p - 1), reading))
        state.SkipWithError("a line did not read");
      benchmark::DoNotOptimize(reading);
      p = lf + 1;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseResultsLines)->Arg(1)->Arg(0)->ArgName("low");

// The same lines through the reader's block path, sixteen bytes at a time
// or (where the processor has AVX-512) a whole line at once.
void BM_ReadPlainLines(benchmark::State& state) {
  const bool whole = state.range(1) != 0;
  if (whole && !kolva::app::WholeLinesAvailable()) {
    state.SkipWithError("no AVX-512 here");
    return;
  }
  const auto read =
      whole ? static_cast<decltype(&kolva::app::ReadPlainLinesSixteen)>(&kolva::app::ReadPlainLines)
            : &kolva::app::ReadPlainLinesSixteen;
  std::string text;
  kolva::bench::AppendResultsLines(text, 0, 100000, state.range(0) != 0);
  const std::size_t size = text.size();
  text.append(kolva::app::kPlainLinesSlack, '\0');
  std::vector<kolva::app::ResultsReading> readings(100000);
  for (auto _ : state) {
    std::size_t count = 0;
    const char* stop =
        read(text.data(), text.data() + size, readings.data(), readings.size(), count);
    if (stop != text.data() + size || count != readings.size())
      state.SkipWithError("a line did not read");
    benchmark::DoNotOptimize(readings.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_ReadPlainLines)->ArgsProduct({{1, 0}, {0, 1}})->ArgNames({"low", "whole"});

void BM_ReadResultsFile(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("kolva_bench_results_" + std::to_string(::getpid()) + ".txt"))
                               .string();
  if (!kolva::bench::WriteResultsFile(path, 1000000)) {
    state.SkipWithError("cannot write the file");
    return;
  }
  const auto bytes = std::filesystem::file_size(path);
  for (auto _ : state) {
    const kolva::app::ResultsFile file = kolva::app::ReadResultsFile(path);
    if (file.readings.size() != 1000000 || !file.failure.empty()) state.SkipWithError("misread");
    benchmark::DoNotOptimize(file.readings.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  std::filesystem::remove(path);
}
BENCHMARK(BM_ReadResultsFile)->Unit(benchmark::kMillisecond);

}  // namespace
