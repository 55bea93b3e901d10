// SPDX-License-Identifier: MIT
#include "app/run/reading_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kolva::app {
namespace {

// Ends the test program with a message when its scope has not been left
// within `limit`: a consumer that spins for ever, inside TakeAll or waiting
// for a reading that never comes, cannot be stopped any other way.
class Watchdog {
 public:
  Watchdog(std::chrono::seconds limit, std::string what)
      : limit_(limit), what_(std::move(what)), thread_([this] { Watch(); }) {}
  ~Watchdog() {
    {
      const std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  void Watch() {
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, limit_, [this] { return done_; })) return;
    const std::string message = "ReadingQueueTest: " + what_ + " did not finish within " +
                                std::to_string(limit_.count()) +
                                " s (a consumer spinning on a block's stale link?)\n";
    std::fputs(message.c_str(), stderr);
    std::fflush(stdout);
    std::_Exit(1);
  }

  const std::chrono::seconds limit_;
  const std::string what_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread thread_;  // last: starts once the rest is made
};

// A million readings take a few seconds under the thread sanitizer on a busy
// machine; a few batches on one thread take milliseconds.
constexpr std::chrono::seconds kHandOffLimit{20};
constexpr std::chrono::seconds kBatchesLimit{5};

RunReading ReadingOf(std::uint32_t n) {
  return {n, 0.5L * n, static_cast<float>(n), -static_cast<float>(n), n % 3 == 0};
}

bool Matches(const RunReading& r, std::uint32_t n) {
  const RunReading e = ReadingOf(n);
  return r.number == e.number && r.x == e.x && r.input1 == e.input1 && r.input2 == e.input2 &&
         r.charted == e.charted;
}

struct QueueCase {
  std::size_t spareBlocks;
  std::uint32_t readings;
};

class ReadingQueueTest : public ::testing::TestWithParam<QueueCase> {};

// A producer on its own thread and a consumer taking as it goes: every
// reading arrives once, in order, across block edges and recycled blocks.
TEST_P(ReadingQueueTest, EveryReadingArrivesOnceInOrder) {
  const Watchdog watchdog(kHandOffLimit,
                          "the hand-off of " + std::to_string(GetParam().readings) + " readings");
  ReadingQueue queue(GetParam().spareBlocks);
  const std::uint32_t total = GetParam().readings;
  std::thread producer([&] {
    for (std::uint32_t n = 0; n < total; ++n) queue.Push(ReadingOf(n));
  });
  std::uint32_t expected = 0;
  bool inOrder = true;
  while (expected < total) {
    queue.TakeAll([&](const RunReading& r) { inOrder = inOrder && Matches(r, expected++); });
  }
  producer.join();
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(expected, total);
  EXPECT_EQ(queue.TakeAll([](const RunReading&) {}), 0u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadingQueueTest,
                         ::testing::Values(QueueCase{0, 1}, QueueCase{0, 1024}, QueueCase{0, 1025},
                                           QueueCase{2, 3 * 1024 + 7}, QueueCase{4, 1000000}));

// Batches pushed and taken in turn on one thread, so that every new block
// after the first few is one the consumer handed back: each take gives
// exactly its batch, and stops where the batch ends.
TEST(ReadingQueueRecycleTest, RecycledBlocksStartEmptyAndUnlinked) {
  const Watchdog watchdog(kBatchesLimit, "the batches through recycled blocks");
  for (const std::size_t spare : {0u, 1u}) {
    ReadingQueue queue(spare);
    std::uint32_t pushed = 0;
    std::uint32_t taken = 0;
    for (const std::uint32_t batch : {1025u, 1023u, 1u, 1024u, 3000u, 5u, 2048u, 1u}) {
      for (std::uint32_t i = 0; i < batch; ++i) queue.Push(ReadingOf(pushed++));
      bool inOrder = true;
      const std::size_t got =
          queue.TakeAll([&](const RunReading& r) { inOrder = inOrder && Matches(r, taken++); });
      ASSERT_EQ(got, batch) << "spare " << spare << ", after " << pushed;
      ASSERT_TRUE(inOrder) << "spare " << spare << ", after " << pushed;
    }
  }
}

}  // namespace
}  // namespace kolva::app
