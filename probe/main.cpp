// SPDX-License-Identifier: MIT
// probecard: finds the measurement card and leaves its base address in
// bar.txt in the current folder for the program to read at start-up.
// With KOLVA_CARD=sim[,options] it writes the simulated card's base.
// Exit status: 0 written, 1 no card or no access, 2 bad KOLVA_CARD, 3 bar.txt not written.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/hardware_ports.h"
#include "platform/port_bus.h"
#include "platform/sim_card_options.h"
#include "platform/standard_descriptors.h"
#include "probe/bar_file.h"
#include "probe/card_search.h"

namespace {

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stderr);
}

int Write(std::uint16_t base) {
  const std::string failure = kolva::probe::WriteBarFile(".", base);
  if (failure.empty()) return 0;
  Say("probecard: " + failure);
  return 3;
}

}  // namespace

int main() {
  // bar.txt's temporary file must never take the number of a closed
  // standard descriptor, where a message would be written into it.
  kolva::platform::OpenClosedStandardDescriptors();
  const char* variable = std::getenv(kolva::platform::kCardVariable);
  const std::string_view setting = variable != nullptr ? variable : "";
  if (kolva::platform::SelectsSimulatedCard(setting)) {
    try {
      return Write(kolva::platform::ParseSimCardOptions(setting.substr(3)).base);
    } catch (const std::invalid_argument& bad) {
      Say(std::string("probecard: ") + bad.what());
      return 2;
    }
  }
  const auto grant = kolva::platform::MakeLinuxPortGrant();
  const auto ports = kolva::platform::MakeLinuxPortInstructions();
  const kolva::probe::SearchResult found = kolva::probe::SearchCard(
      kolva::probe::CandidateBases("/sys/bus/pci/devices"), *grant, *ports);
  if (!found.base) {
    Say(found.why);
    return 1;
  }
  return Write(*found.base);
}
