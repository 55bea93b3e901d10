// SPDX-License-Identifier: MIT
#include "app/run/wall_clock.h"

#include <chrono>
#include <ctime>

namespace kolva::app {

DateTime LocalNow() {
  const auto now = std::chrono::system_clock::now();
  const auto sinceEpoch = now.time_since_epoch();
  const std::time_t seconds =
      static_cast<std::time_t>(std::chrono::floor<std::chrono::seconds>(sinceEpoch).count());
  const auto ms = std::chrono::floor<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  DateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec >= 60 ? 59 : local.tm_sec;  // a leap second shows as :59
  t.millisecond = static_cast<int>(ms);
  return t;
}

}  // namespace kolva::app
