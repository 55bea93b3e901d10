// SPDX-License-Identifier: MIT
#include "platform/port_bus.h"

#include <cstdlib>

#include "platform/hardware_ports.h"
#include "platform/sim_card.h"

namespace kolva::platform {

bool SelectsSimulatedCard(std::string_view setting) {
  return setting == "sim" || setting.starts_with("sim,");
}

std::unique_ptr<PortBus> MakePortBus(std::string_view setting, Clock& clock) {
  if (SelectsSimulatedCard(setting)) {
    return std::make_unique<SimCard>(ParseSimCardOptions(setting.substr(3)), clock);
  }
  return std::make_unique<HardwarePorts>(MakeLinuxPortGrant(), MakeLinuxPortInstructions());
}

std::unique_ptr<PortBus> MakePortBusFromEnvironment(Clock& clock) {
  const char* setting = std::getenv(kCardVariable);
  return MakePortBus(setting != nullptr ? std::string_view(setting) : std::string_view(), clock);
}

}  // namespace kolva::platform
