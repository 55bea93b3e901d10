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
  if (drawn_ && elapsedMs - lastDrawMs_ < kRedrawMs) return;
  drawn_ = true;
  lastDrawMs_ = elapsedMs;
  // Carriage return, the line, then erase what an older, longer line left.
  Put(fd_, "\r" + ProgressLine(readings, elapsedMs, lengthMs_, kBarWidth) + "\x1b[K");
}

void ProgressMeter::Clear() {
  if (drawn_) Put(fd_, "\r\x1b[K");
  drawn_ = false;
}

}  // namespace kolva::tools
