// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kolva::platform {

// Real-time scheduling for a thread that keeps a schedule by polling.
class RealtimeThread {
 public:
  // Makes the calling thread SCHED_FIFO and locks the process memory, where
  // the system allows it: CAP_SYS_NICE, or an RLIMIT_RTPRIO above 0 (the
  // priority then stays within it). Memory is locked only where it cannot
  // make later allocations fail: with CAP_IPC_LOCK or an unlimited
  // RLIMIT_MEMLOCK. Returns "" when the thread now runs SCHED_FIFO, else
  // why it runs normally.
  static std::string Enter();
  // Back to normal scheduling; unlocks memory that Enter locked.
  static void Leave();

  // The priority asked for where the limits allow it.
  static constexpr int kPriority = 50;
};

}  // namespace kolva::platform
