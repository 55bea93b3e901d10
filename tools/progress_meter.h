// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace kolva::tools {

// The progress bar on a terminal: redrawn in place at most every
// kRedrawMs, so a fast run spends its time sampling, not drawing.
class ProgressMeter {
 public:
  static constexpr std::uint32_t kRedrawMs = 200;
  static constexpr int kBarWidth = 30;

  // Draws on file descriptor `fd`; `lengthMs` is the run's length.
  ProgressMeter(int fd, long double lengthMs) : fd_(fd), lengthMs_(lengthMs) {}

  // After a reading: redraws when kRedrawMs have passed since the last draw.
  void Update(std::uint64_t readings, std::uint32_t elapsedMs);
  // While the run waits for the trigger at `level` (0 or 1): says so, with
  // the time waited, at most every kRedrawMs.
  void Waiting(int level, std::uint32_t waitedMs);
  // Wipes the bar so the summary starts on a clean line.
  void Clear();

 private:
  void Draw(const std::string& line, std::uint32_t nowMs);

  int fd_;
  long double lengthMs_;
  bool drawn_ = false;
  bool waiting_ = false;
  std::uint32_t lastDrawMs_ = 0;
};

}  // namespace kolva::tools
