// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "app/text/textconv.h"

namespace kolva::app {

// The calendar date and time of day the results file's header shows, read
// once per use. Injected, so a test fixes the header's date and time.
using WallClock = std::function<DateTime()>;

// The system's local date and time, to the millisecond.
DateTime LocalNow();

}  // namespace kolva::app
