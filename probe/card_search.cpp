// SPDX-License-Identifier: MIT
#include "probe/card_search.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kolva::probe {
namespace {

constexpr std::uint64_t kIoResourceFlag = 0x100;
constexpr std::uint16_t kIsaFirst = 0x200;
constexpr std::uint16_t kIsaLast = 0x3F0;

// A "0x..." hexadecimal field; false when the text is not one.
bool ParseHex(std::string_view text, std::uint64_t& value) {
  if (!text.starts_with("0x")) return false;
  text.remove_prefix(2);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

void AddCandidate(std::vector<std::uint16_t>& bases, std::uint16_t base) {
  if (platform::IsUnsafeCardWindow(base)) return;
  if (std::find(bases.begin(), bases.end(), base) != bases.end()) return;
  bases.push_back(base);
}

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

}  // namespace

std::vector<std::uint16_t> PciIoStarts(const std::string& resourceText) {
  std::vector<std::uint16_t> starts;
  std::istringstream lines(resourceText);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string startText, endText, flagsText;
    fields >> startText >> endText >> flagsText;
    std::uint64_t start = 0, end = 0, flags = 0;
    if (!ParseHex(startText, start) || !ParseHex(endText, end) || !ParseHex(flagsText, flags)) {
      continue;
    }
    // An I/O region of at least the card's 16 ports, inside the 16-bit port space.
    if ((flags & kIoResourceFlag) == 0 || end < start + 15 || end > 0xFFFF) continue;
    starts.push_back(static_cast<std::uint16_t>(start));
  }
  return starts;
}

std::vector<std::uint16_t> CandidateBases(const std::string& pciDevices) {
  std::vector<std::uint16_t> bases;
  std::error_code error;
  std::vector<std::filesystem::path> devices;
  for (const auto& entry : std::filesystem::directory_iterator(pciDevices, error)) {
    devices.push_back(entry.path());
  }
  std::sort(devices.begin(), devices.end());
  for (const auto& device : devices) {
    for (const std::uint16_t start : PciIoStarts(ReadWhole(device / "resource"))) {
      AddCandidate(bases, start);
    }
  }
  for (unsigned base = kIsaFirst; base <= kIsaLast; base += 16) {
    AddCandidate(bases, static_cast<std::uint16_t>(base));
  }
  return bases;
}

SearchResult SearchCard(const std::vector<std::uint16_t>& candidates, platform::PortGrant& grant,
                        platform::PortInstructions& ports) {
  SearchResult result;
  for (const std::uint16_t base : candidates) {
    const platform::GrantResult granted = grant.Grant(base, 16);
    if (granted != platform::GrantResult::kGranted) {
      result.why = "probecard: " + platform::GrantRefusalText(granted);
      break;
    }
    if ((ports.In8(base) >> 4) == 9) {
      result.base = base;
      break;
    }
  }
  grant.DropForGood();
  if (!result.base && result.why.empty()) {
    result.why = "probecard: no card answers at any of the " + std::to_string(candidates.size()) +
                 " candidate bases";
  }
  return result;
}

}  // namespace kolva::probe
