// SPDX-License-Identifier: MIT
// The Linux side of the hardware backend: the kernel's port grant with the
// least privilege that gets it, and the port instructions themselves.
#include <sys/capability.h>
#include <sys/io.h>

#include <cerrno>

#include "platform/hardware_ports.h"

namespace kolva::platform {
namespace {

// Sets CAP_SYS_RAWIO in the calling thread's effective set (raise true) or
// clears it from `sets`. False when the capability could not be raised.
bool SetRawIo(bool raise, std::initializer_list<cap_flag_t> sets) {
  cap_t caps = cap_get_proc();
  if (caps == nullptr) return false;
  const cap_value_t rawIo[] = {CAP_SYS_RAWIO};
  bool done = true;
  for (const cap_flag_t set : sets) {
    done = done && cap_set_flag(caps, set, 1, rawIo, raise ? CAP_SET : CAP_CLEAR) == 0;
  }
  done = done && cap_set_proc(caps) == 0;
  cap_free(caps);
  return done;
}

class LinuxPortGrant : public PortGrant {
 public:
  // Root starts with the capability effective: keep it out until the grant.
  LinuxPortGrant() { SetRawIo(false, {CAP_EFFECTIVE}); }

  GrantResult Grant(std::uint16_t first, std::uint16_t count) override {
    const bool raised = SetRawIo(true, {CAP_EFFECTIVE});
    const int result = ioperm(first, count, 1);
    const int error = errno;
    SetRawIo(false, {CAP_EFFECTIVE});
    if (result == 0) return GrantResult::kGranted;
    // Without the capability EPERM is ours to fix; with it, the kernel itself
    // refuses (lockdown), and ENOSYS means no port I/O support at all.
    if (error == EPERM && !raised) return GrantResult::kNoCapability;
    return GrantResult::kKernelRefused;
  }

  void DropForGood() override { SetRawIo(false, {CAP_EFFECTIVE, CAP_PERMITTED, CAP_INHERITABLE}); }
};

class LinuxPortInstructions : public PortInstructions {
 public:
  std::uint8_t In8(std::uint16_t port) override { return inb(port); }
  std::uint32_t In32(std::uint16_t port) override { return inl(port); }
  void Out32(std::uint16_t port, std::uint32_t value) override { outl(value, port); }
};

}  // namespace

std::unique_ptr<PortGrant> MakeLinuxPortGrant() {
  return std::make_unique<LinuxPortGrant>();
}

std::unique_ptr<PortInstructions> MakeLinuxPortInstructions() {
  return std::make_unique<LinuxPortInstructions>();
}

}  // namespace kolva::platform
