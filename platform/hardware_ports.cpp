// SPDX-License-Identifier: MIT
#include "platform/hardware_ports.h"

#include <array>
#include <atomic>
#include <cerrno>  // program_invocation_short_name
#include <cstdio>

#include "platform/privileged_instruction.h"

namespace kolva::platform {
namespace {

struct PortRange {
  std::uint16_t first;
  std::uint16_t last;
};

// The ports the PC's own chipset answers: a card window must stay clear of them.
constexpr std::array<PortRange, 6> kChipsetPorts{{
    {0x000, 0x0FF},  // DMA, interrupt controllers, timer, keyboard controller, ...
    {0x170, 0x177},  // secondary IDE
    {0x1F0, 0x1F7},  // primary IDE
    {0x376, 0x376},  // secondary IDE control
    {0x3F0, 0x3F7},  // floppy, with the primary IDE control at 0x3F6
    {0xCF8, 0xCFF},  // PCI configuration address and data
}};

// The instance whose window this thread was granted, by id (0: none), so a
// second bus in the same process (in tests) is granted afresh.
thread_local std::uint64_t grantedFor = 0;
std::atomic<std::uint64_t> nextId{1};

// In the name the program was started by, so that each of kolva and
// kolva-record speaks as itself.
void WriteToStderr(const std::string& line) {
  std::fputs((std::string(program_invocation_short_name) + ": " + line + "\n").c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

bool IsUnsafeCardWindow(std::uint16_t first) {
  const unsigned last = first + HardwarePorts::kWindowSize - 1u;
  if (last > 0xFFFFu) return true;
  for (const PortRange& range : kChipsetPorts) {
    if (first <= range.last && last >= range.first) return true;
  }
  return false;
}

std::string GrantRefusalText(GrantResult result) {
  switch (result) {
    case GrantResult::kNoCapability:
      return "no access to the card's ports: run as root, or give the binary the "
             "capability with: setcap cap_sys_rawio+p <binary>";
    case GrantResult::kKernelRefused:
      return "the kernel refuses port access even with the capability (kernel "
             "lockdown under Secure Boot, or a kernel built without I/O port support)";
    case GrantResult::kGranted:
      break;
  }
  return {};
}

HardwarePorts::HardwarePorts(std::unique_ptr<PortGrant> grant,
                             std::unique_ptr<PortInstructions> ports, Reporter report)
    : grant_(std::move(grant)),
      ports_(std::move(ports)),
      report_(report ? std::move(report) : Reporter(WriteToStderr)),
      id_(nextId.fetch_add(1)) {}

HardwarePorts::~HardwarePorts() {
  if (grantedFor == id_) grantedFor = 0;
}

void HardwarePorts::GrantThisThread(std::uint16_t port) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!windowFixed_) {
    const std::uint16_t window = port & ~static_cast<std::uint16_t>(kWindowSize - 1);
    if (IsUnsafeCardWindow(window)) throw PrivilegedInstruction();
    window_ = window;
    windowFixed_ = true;
  }
  const GrantResult result = grant_->Grant(window_, kWindowSize);
  grant_->DropForGood();
  // Capabilities and port grants are both per thread, and a new thread
  // inherits both from the thread that creates it. Only a granted thread
  // gives the capability up, so once a grant has succeeded in this process, a
  // thread without the capability was created by a granted thread after its
  // grant and holds the card's ports already.
  const bool inherited = result == GrantResult::kNoCapability && grantedOnce_;
  if (result != GrantResult::kGranted && !inherited) {
    // The first refusal says why; later ones (a timer's every tick, a run's
    // thread after a refused GUI thread) would only repeat it, and after the
    // first a thread has given its capability up, so the cause they would
    // name could be the wrong one.
    if (!explained_) report_(GrantRefusalText(result));
    explained_ = true;
    throw PrivilegedInstruction();
  }
  grantedOnce_ = true;
  grantedFor = id_;
}

// Lets an access of `width` bytes at `port` through, or raises PrivilegedInstruction.
void HardwarePorts::Admit(std::uint16_t port, std::uint16_t width) {
  if (port <= kKeyboardDataPort && port + width > kKeyboardDataPort) {
    throw PrivilegedInstruction();
  }
  if (grantedFor != id_) GrantThisThread(port);
  if (port < window_ || port + width > window_ + kWindowSize) throw PrivilegedInstruction();
}

std::uint8_t HardwarePorts::Read8(std::uint16_t port) {
  Admit(port, 1);
  return ports_->In8(port);
}

std::uint32_t HardwarePorts::Read32(std::uint16_t port) {
  Admit(port, 4);
  return ports_->In32(port);
}

void HardwarePorts::Write32(std::uint16_t port, std::uint32_t value) {
  Admit(port, 4);
  ports_->Out32(port, value);
}

}  // namespace kolva::platform
