// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/hardware_ports.h"

namespace kolva::probe {

// Where the probe looks for the card, in this order: the I/O regions of the
// PCI devices listed under `pciDevices` (each device's "resource" file: start,
// end and flags per region, I/O regions flagged 0x100), then the ISA bases
// 0x200 to 0x3F0 in steps of 16. Windows over the chipset's own ports are left
// out, and no base appears twice.
std::vector<std::uint16_t> CandidateBases(const std::string& pciDevices);

// The I/O region starts listed in one PCI "resource" file's text.
std::vector<std::uint16_t> PciIoStarts(const std::string& resourceText);

// The outcome of a search: the card's base, or why there is none.
struct SearchResult {
  std::optional<std::uint16_t> base;
  std::string why;  // empty when found
};

// Asks `grant` for each candidate's 16 ports in turn and reads only its
// identity byte; the first whose high nibble is 9 is the card. A refused
// grant ends the search (every further grant would be refused too). The
// capability is dropped for good before returning.
SearchResult SearchCard(const std::vector<std::uint16_t>& candidates, platform::PortGrant& grant,
                        platform::PortInstructions& ports);

}  // namespace kolva::probe
