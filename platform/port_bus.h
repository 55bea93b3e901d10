// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace kolva::platform {

class Clock;

// The PC's I/O bus as the program sees it: 8-bit and 32-bit reads and 32-bit
// writes on 16-bit port addresses. One bus is chosen at start and lives as
// long as the process.
class PortBus {
 public:
  virtual ~PortBus() = default;
  virtual std::uint8_t Read8(std::uint16_t port) = 0;
  virtual std::uint32_t Read32(std::uint16_t port) = 0;
  virtual void Write32(std::uint16_t port, std::uint32_t value) = 0;
};

// The environment variable that chooses the bus: "sim" or "sim,<options>"
// selects the simulated card (see SimCardOptions); anything else, or no
// variable, selects the real card through the hardware backend.
inline constexpr const char* kCardVariable = "KOLVA_CARD";

// True when `setting` (the value of KOLVA_CARD) selects the simulated card.
bool SelectsSimulatedCard(std::string_view setting);

// Builds the bus `setting` selects. The simulated card's signals follow
// `clock`, which must outlive the bus. A bad simulated-card option raises
// std::invalid_argument with a message naming it.
std::unique_ptr<PortBus> MakePortBus(std::string_view setting, Clock& clock);

// Reads KOLVA_CARD once and builds its bus with MakePortBus.
std::unique_ptr<PortBus> MakePortBusFromEnvironment(Clock& clock);

}  // namespace kolva::platform
