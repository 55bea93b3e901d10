// SPDX-License-Identifier: MIT
#include "platform/realtime.h"

#include <pthread.h>
#include <sched.h>
#include <sys/capability.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kolva::platform {
namespace {

thread_local bool lockedHere = false;

bool HasEffective(cap_value_t capability) {
  cap_t caps = cap_get_proc();
  if (caps == nullptr) return false;
  cap_flag_value_t value = CAP_CLEAR;
  const bool known = cap_get_flag(caps, capability, CAP_EFFECTIVE, &value) == 0;
  cap_free(caps);
  return known && value == CAP_SET;
}

// The priority the system lets this process take, or 0 for none.
int AllowedPriority() {
  if (HasEffective(CAP_SYS_NICE)) return RealtimeThread::kPriority;
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_RTPRIO, &limit) != 0 || limit.rlim_cur == 0) return 0;
  if (limit.rlim_cur == RLIM_INFINITY) return RealtimeThread::kPriority;
  return std::min(RealtimeThread::kPriority, static_cast<int>(limit.rlim_cur));
}

bool MayLockMemory() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_MEMLOCK, &limit) == 0 && limit.rlim_cur == RLIM_INFINITY) return true;
  return HasEffective(CAP_IPC_LOCK);
}

}  // namespace

std::string RealtimeThread::Enter() {
  const int priority = AllowedPriority();
  if (priority <= 0) return "neither CAP_SYS_NICE nor an RLIMIT_RTPRIO above 0";
  sched_param param{};
  param.sched_priority = priority;
  const int failed = ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param);
  if (failed != 0) return std::string("SCHED_FIFO refused: ") + std::strerror(failed);
  lockedHere = MayLockMemory() && ::mlockall(MCL_CURRENT | MCL_FUTURE) == 0;
  return "";
}

void RealtimeThread::Leave() {
  sched_param param{};
  ::pthread_setschedparam(::pthread_self(), SCHED_OTHER, &param);
  if (lockedHere) ::munlockall();
  lockedHere = false;
}

}  // namespace kolva::platform
