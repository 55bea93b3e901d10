// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/port_bus.h"

namespace kolva::platform {

// How the kernel answered a request for ports.
enum class GrantResult {
  kGranted,
  kNoCapability,   // the process lacks CAP_SYS_RAWIO: run as root or setcap the binary
  kKernelRefused,  // refused even with the capability: lockdown, or no port I/O in the kernel
};

// The kernel's port grant for the calling thread (ioperm). A seam, so the
// refusals can be tested without hardware or privilege.
class PortGrant {
 public:
  virtual ~PortGrant() = default;
  // Asks for ports first..first+count-1 for the calling thread.
  virtual GrantResult Grant(std::uint16_t first, std::uint16_t count) = 0;
  // Gives up the capability that grants ports, for the rest of the thread's life.
  virtual void DropForGood() = 0;
};

// The processor's port instructions. A seam, so the window checks can be
// tested without touching a port.
class PortInstructions {
 public:
  virtual ~PortInstructions() = default;
  virtual std::uint8_t In8(std::uint16_t port) = 0;
  virtual std::uint32_t In32(std::uint16_t port) = 0;
  virtual void Out32(std::uint16_t port, std::uint32_t value) = 0;
};

// The Linux grant: holds CAP_SYS_RAWIO out of the effective set from
// construction, raises it only around the ioperm call, and DropForGood
// removes it from the thread's permitted and inheritable sets.
std::unique_ptr<PortGrant> MakeLinuxPortGrant();
// inb / inl / outl.
std::unique_ptr<PortInstructions> MakeLinuxPortInstructions();

// True when a 16-port window starting at `first` overlaps the ports the PC's
// own chipset uses (0x000-0x0FF, IDE 0x170-0x177, 0x1F0-0x1F7, 0x376, 0x3F6,
// floppy 0x3F0-0x3F7, PCI configuration 0xCF8-0xCFF), or wraps past 0xFFFF.
bool IsUnsafeCardWindow(std::uint16_t first);

// The real card. The card decodes 16 ports on a 16-port boundary; the first
// access fixes that window (the 16-port block holding the port) and asks the
// kernel for those ports only. A window over the chipset's ports, a refused
// grant, an access outside the window and any access to the keyboard
// controller (0x60) raise PrivilegedInstruction. The first refused grant
// also writes one line to `report` (by default stderr, after the program's
// name) saying what to fix; the bus lives as long as the process, so that
// line comes once per process.
// The kernel's grant is per thread: each thread that touches the ports is
// granted on its first access and gives the capability up after it; a
// thread created after a grant inherits the ports from its creator.
class HardwarePorts : public PortBus {
 public:
  using Reporter = std::function<void(const std::string&)>;
  static constexpr std::uint16_t kWindowSize = 16;
  static constexpr std::uint16_t kKeyboardDataPort = 0x60;

  HardwarePorts(std::unique_ptr<PortGrant> grant, std::unique_ptr<PortInstructions> ports,
                Reporter report = {});
  ~HardwarePorts() override;

  std::uint8_t Read8(std::uint16_t port) override;
  std::uint32_t Read32(std::uint16_t port) override;
  void Write32(std::uint16_t port, std::uint32_t value) override;

 private:
  void Admit(std::uint16_t port, std::uint16_t width);
  void GrantThisThread(std::uint16_t port);

  std::unique_ptr<PortGrant> grant_;
  std::unique_ptr<PortInstructions> ports_;
  Reporter report_;
  std::uint64_t id_;
  std::mutex mutex_;  // guards the window while a thread is granted
  bool windowFixed_ = false;
  bool grantedOnce_ = false;  // some thread of this process holds the window
  bool explained_ = false;    // a refusal has been reported
  std::uint16_t window_ = 0;
};

// The message a refused grant writes to stderr.
std::string GrantRefusalText(GrantResult result);

}  // namespace kolva::platform
