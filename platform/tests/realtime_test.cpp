// SPDX-License-Identifier: MIT
#include "platform/realtime.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <sys/capability.h>
#include <sys/resource.h>

#include <initializer_list>
#include <string>
#include <thread>

namespace kolva::platform {
namespace {

bool Has(cap_value_t capability, cap_flag_t set) {
  cap_t caps = cap_get_proc();
  cap_flag_value_t value = CAP_CLEAR;
  cap_get_flag(caps, capability, set, &value);
  cap_free(caps);
  return value == CAP_SET;
}

// Clears CAP_SYS_NICE from the calling thread's given sets.
void ClearNice(std::initializer_list<cap_flag_t> sets) {
  cap_t caps = cap_get_proc();
  const cap_value_t nice[] = {CAP_SYS_NICE};
  for (const cap_flag_t set : sets) cap_set_flag(caps, set, 1, nice, CAP_CLEAR);
  ASSERT_EQ(cap_set_proc(caps), 0);
  cap_free(caps);
}

struct Seen {
  std::string why;
  int policy = -1;
  bool effectiveAfter = true;
  bool permittedAfter = false;
};

// Enter on a thread of its own (capabilities are per thread), holding
// CAP_SYS_NICE as an installed program does: permitted, or not at all.
Seen EnterWith(bool permitted) {
  Seen seen;
  std::thread([&] {
    if (permitted)
      ClearNice({CAP_EFFECTIVE});
    else
      ClearNice({CAP_EFFECTIVE, CAP_PERMITTED});
    seen.why = RealtimeThread::Enter();
    sched_param param{};
    pthread_getschedparam(pthread_self(), &seen.policy, &param);
    seen.effectiveAfter = Has(CAP_SYS_NICE, CAP_EFFECTIVE);
    seen.permittedAfter = Has(CAP_SYS_NICE, CAP_PERMITTED);
    RealtimeThread::Leave();
  }).join();
  return seen;
}

TEST(RealtimeThread, RaisesAPermittedNiceOnlyWhileTakingThePriority) {
  rlimit limit{};
  getrlimit(RLIMIT_RTPRIO, &limit);
  if (!Has(CAP_SYS_NICE, CAP_PERMITTED) || limit.rlim_cur != 0) {
    GTEST_SKIP() << "needs CAP_SYS_NICE (root) and an RLIMIT_RTPRIO of 0";
  }
  const Seen withNice = EnterWith(true);
  EXPECT_EQ(withNice.why, "");
  EXPECT_EQ(withNice.policy, SCHED_FIFO);
  EXPECT_FALSE(withNice.effectiveAfter);
  EXPECT_TRUE(withNice.permittedAfter);

  const Seen without = EnterWith(false);
  EXPECT_EQ(without.why, "neither CAP_SYS_NICE nor an RLIMIT_RTPRIO above 0");
  EXPECT_EQ(without.policy, SCHED_OTHER);
}

}  // namespace
}  // namespace kolva::platform
