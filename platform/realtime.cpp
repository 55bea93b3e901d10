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

bool Has(cap_value_t capability, cap_flag_t set) {
  cap_t caps = cap_get_proc();
  if (caps == nullptr) return false;
  cap_flag_value_t value = CAP_CLEAR;
  const bool known = cap_get_flag(caps, capability, set, &value) == 0;
  cap_free(caps);
  return known && value == CAP_SET;
}

bool HasEffective(cap_value_t capability) {
  return Has(capability, CAP_EFFECTIVE);
}

// Sets or clears `capability` in the calling thread's effective set.
bool SetEffective(cap_value_t capability, bool on) {
  cap_t caps = cap_get_proc();
  if (caps == nullptr) return false;
  const cap_value_t values[] = {capability};
  const bool done = cap_set_flag(caps, CAP_EFFECTIVE, 1, values, on ? CAP_SET : CAP_CLEAR) == 0 &&
                    cap_set_proc(caps) == 0;
  cap_free(caps);
  return done;
}

// An installed program holds CAP_SYS_NICE in its permitted set only (a file
// capability "+p"): it is raised on this thread just while the thread takes
// its priority, and is out of the effective set again when this ends.
class RaisedNice {
 public:
  RaisedNice()
      : raised_(!HasEffective(CAP_SYS_NICE) && Has(CAP_SYS_NICE, CAP_PERMITTED) &&
                SetEffective(CAP_SYS_NICE, true)) {}
  ~RaisedNice() {
    if (raised_) SetEffective(CAP_SYS_NICE, false);
  }
  RaisedNice(const RaisedNice&) = delete;
  RaisedNice& operator=(const RaisedNice&) = delete;

 private:
  bool raised_;
};

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
  const RaisedNice nice;
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
