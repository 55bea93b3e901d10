// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string_view>

namespace kolva::platform {

// One input's signal, in millivolts, as a function of time t in seconds:
// dc:       offset
// sine:     offset + amplitude * sin(2 pi f t)
// square:   offset + amplitude for the first half of each period, offset - amplitude after
// triangle: offset - amplitude at the start of each period, rising to offset + amplitude at
//           half the period and back
struct SimSignal {
  enum class Kind { kDc, kSine, kSquare, kTriangle };
  Kind kind = Kind::kDc;
  double amplitudeMv = 0.0;
  double offsetMv = 0.0;
  double frequencyHz = 0.0;

  double MillivoltsAt(double seconds) const;
};

// The trigger input: a constant level, or a square wave that is high for the
// first half of each period.
struct SimTrigger {
  bool high = false;  // the constant level when periodSeconds is 0
  double periodSeconds = 0.0;

  bool HighAt(double seconds) const;
};

// The simulated card's set-up, parsed from the text after "sim" in KOLVA_CARD:
//   sim[,<key>=<value>]...
//   base=<port>        0x300, $300 or 768; default 0xD800
//   id=<byte>          the identity byte; default 0x90 (nibble 9: a card)
//   in1=<signal>       input 1; default dc:0
//   in2=<signal>       input 2; default dc:0
//   trigger=<level>    0, 1 or square:<period>; default 0
//   noise=<counts>     seeded noise of up to +-counts on each conversion; default 0
//   seed=<number>      the noise's seed; default 1
// A signal is dc:<v>, or sine|square|triangle:<amplitude>:<frequency>[:<offset>],
// with voltages as <n>mV or <n>V and frequencies as <n>Hz; a period is <n>s or <n>ms.
struct SimCardOptions {
  std::uint16_t base = 0xD800;
  std::uint8_t identity = 0x90;
  SimSignal input1;
  SimSignal input2;
  SimTrigger trigger;
  int noiseCounts = 0;
  std::uint64_t seed = 1;
};

// Parses the options after "sim" (with or without the leading comma). A bad
// option raises std::invalid_argument whose message names it and says why.
SimCardOptions ParseSimCardOptions(std::string_view text);

}  // namespace kolva::platform
