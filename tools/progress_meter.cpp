// SPDX-License-Identifier: MIT
#include "tools/progress_meter.h"

#include <unistd.h>

#include <string>

#include "tools/run_summary.h"

namespace kolva::tools {
namespace {

// A terminal that cannot take the bar just misses a frame.
void Put(int fd, const std::string& text) {
  [[maybe_unused]] const ssize_t written = ::write(fd, text.data(), text.size());
}

}  // namespace

void ProgressMeter::Update(std::uint64_t readings, std::uint32_t elapsedMs) {
  // The first reading replaces the trigger wait's line at once.
  if (waiting_) drawn_ = waiting_ = false;
  if (drawn_ && elapsedMs - lastDrawMs_ < kRedrawMs) return;
  Draw(ProgressLine(readings, elapsedMs, lengthMs_, kBarWidth), elapsedMs);
}

void ProgressMeter::Waiting(int level, std::uint32_t waitedMs) {
  if (drawn_ && waiting_ && waitedMs - lastDrawMs_ < kRedrawMs) return;
  waiting_ = true;
  Draw(TriggerWaitLine(level, waitedMs, kBarWidth), waitedMs);
}

void ProgressMeter::Draw(const std::string& line, std::uint32_t nowMs) {
  drawn_ = true;
  lastDrawMs_ = nowMs;
  // Carriage return, the line, then erase what an older, longer line left.
  Put(fd_, "\r" + line + "\x1b[K");
}

void ProgressMeter::Clear() {
  if (drawn_) Put(fd_, "\r\x1b[K");
  drawn_ = waiting_ = false;
}

}  // namespace kolva::tools
