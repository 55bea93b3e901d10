// SPDX-License-Identifier: MIT
#include "platform/sim_card_options.h"

#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace kolva::platform {
namespace {

// The reason an option is refused; ParseSimCardOptions adds the option's text.
struct Bad {
  std::string why;
};

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at - start));
    if (at == std::string_view::npos) return parts;
    start = at + 1;
  }
}

// A decimal number with an optional fraction and sign; the whole text must be used.
bool ParseNumber(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  return !text.empty() && error == std::errc() && end == text.data() + text.size() &&
         std::isfinite(value);
}

// A number followed by one of two units; the second unit's value is scaled by `factor2`.
double ParseWithUnit(std::string_view text, std::string_view unit1, std::string_view unit2,
                     double factor2, const std::string& what) {
  double value = 0.0;
  if (text.ends_with(unit1) && ParseNumber(text.substr(0, text.size() - unit1.size()), value)) {
    return value;
  }
  if (!unit2.empty() && text.ends_with(unit2) &&
      ParseNumber(text.substr(0, text.size() - unit2.size()), value)) {
    return value * factor2;
  }
  throw Bad{"\"" + std::string(text) + "\" is not " + what};
}

double ParseMillivolts(std::string_view text) {
  return ParseWithUnit(text, "mV", "V", 1000.0, "a voltage (write 500mV or 0.5V)");
}

double ParsePositive(std::string_view text, std::string_view unit1, std::string_view unit2,
                     double factor2, const std::string& what) {
  const double value = ParseWithUnit(text, unit1, unit2, factor2, what);
  if (!(value > 0.0)) throw Bad{"\"" + std::string(text) + "\" must be more than zero"};
  return value;
}

// Decimal, or hexadecimal after "0x", "0X" or "$", up to `limit`.
std::uint64_t ParseUnsigned(std::string_view text, std::uint64_t limit) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2), base = 16;
  } else if (text.starts_with("$")) {
    text.remove_prefix(1), base = 16;
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > limit) {
    throw Bad{"\"" + std::string(text) + "\" is not a number from 0 to " + std::to_string(limit)};
  }
  return value;
}

SimSignal ParseSignal(std::string_view text) {
  const std::vector<std::string_view> parts = Split(text, ':');
  SimSignal signal;
  if (parts[0] == "dc") {
    if (parts.size() != 2) throw Bad{"a dc signal is dc:<voltage>"};
    signal.offsetMv = ParseMillivolts(parts[1]);
    return signal;
  }
  if (parts[0] == "sine") {
    signal.kind = SimSignal::Kind::kSine;
  } else if (parts[0] == "square") {
    signal.kind = SimSignal::Kind::kSquare;
  } else if (parts[0] == "triangle") {
    signal.kind = SimSignal::Kind::kTriangle;
  } else {
    throw Bad{"unknown signal \"" + std::string(parts[0]) +
              "\" (use dc, sine, square or triangle)"};
  }
  if (parts.size() != 3 && parts.size() != 4) {
    throw Bad{"a " + std::string(parts[0]) + " signal is " + std::string(parts[0]) +
              ":<amplitude>:<frequency>[:<offset>]"};
  }
  signal.amplitudeMv = ParseMillivolts(parts[1]);
  signal.frequencyHz = ParsePositive(parts[2], "Hz", "", 1.0, "a frequency (write 50Hz)");
  if (parts.size() == 4) signal.offsetMv = ParseMillivolts(parts[3]);
  return signal;
}

SimTrigger ParseTrigger(std::string_view text) {
  SimTrigger trigger;
  if (text == "0" || text == "1") {
    trigger.high = text == "1";
    return trigger;
  }
  if (!text.starts_with("square:")) throw Bad{"the trigger is 0, 1 or square:<period>"};
  // "ms" is tested first: "250ms" also ends in "s".
  trigger.periodSeconds =
      ParsePositive(text.substr(7), "ms", "s", 1.0, "a period (write 4s or 250ms)");
  if (text.ends_with("ms")) trigger.periodSeconds /= 1000.0;
  return trigger;
}

void ApplyOption(SimCardOptions& options, std::string_view key, std::string_view value) {
  if (key == "base") {
    options.base = static_cast<std::uint16_t>(ParseUnsigned(value, 0xFFFF));
  } else if (key == "id") {
    options.identity = static_cast<std::uint8_t>(ParseUnsigned(value, 0xFF));
  } else if (key == "in1") {
    options.input1 = ParseSignal(value);
  } else if (key == "in2") {
    options.input2 = ParseSignal(value);
  } else if (key == "trigger") {
    options.trigger = ParseTrigger(value);
  } else if (key == "noise") {
    options.noiseCounts = static_cast<int>(ParseUnsigned(value, 4095));
  } else if (key == "seed") {
    options.seed = ParseUnsigned(value, UINT64_MAX);
  } else {
    throw Bad{"unknown option \"" + std::string(key) +
              "\" (use base, id, in1, in2, trigger, noise or seed)"};
  }
}

}  // namespace

SimCardOptions ParseSimCardOptions(std::string_view text) {
  SimCardOptions options;
  if (text.starts_with(",")) text.remove_prefix(1);
  if (text.empty()) return options;
  for (const std::string_view option : Split(text, ',')) {
    try {
      const std::size_t equals = option.find('=');
      if (equals == std::string_view::npos) throw Bad{"an option is <name>=<value>"};
      ApplyOption(options, option.substr(0, equals), option.substr(equals + 1));
    } catch (const Bad& bad) {
      throw std::invalid_argument("KOLVA_CARD: bad simulated-card option \"" + std::string(option) +
                                  "\": " + bad.why);
    }
  }
  return options;
}

}  // namespace kolva::platform
