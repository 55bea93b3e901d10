// SPDX-License-Identifier: MIT
#include "app/reading_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

namespace kolva::app {
namespace {

struct QueueCase {
  std::size_t spareBlocks;
  std::uint32_t readings;
};

class ReadingQueueTest : public ::testing::TestWithParam<QueueCase> {};

// A producer on its own thread and a consumer taking as it goes: every
// reading arrives once, in order, across block edges and recycled blocks.
TEST_P(ReadingQueueTest, EveryReadingArrivesOnceInOrder) {
  ReadingQueue queue(GetParam().spareBlocks);
  const std::uint32_t total = GetParam().readings;
  std::thread producer([&] {
    for (std::uint32_t n = 0; n < total; ++n) {
      queue.Push({n, 0.5L * n, static_cast<float>(n), -static_cast<float>(n), n % 3 == 0});
    }
  });
  std::uint32_t expected = 0;
  bool inOrder = true;
  while (expected < total) {
    queue.TakeAll([&](const RunReading& r) {
      inOrder = inOrder && r.number == expected && r.x == 0.5L * expected &&
                r.input1 == static_cast<float>(expected) && r.charted == (expected % 3 == 0);
      ++expected;
    });
  }
  producer.join();
  EXPECT_TRUE(inOrder);
  EXPECT_EQ(expected, total);
  EXPECT_EQ(queue.TakeAll([](const RunReading&) {}), 0u);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadingQueueTest,
                         ::testing::Values(QueueCase{0, 1}, QueueCase{0, 1024}, QueueCase{0, 1025},
                                           QueueCase{2, 3 * 1024 + 7}, QueueCase{4, 1000000}));

}  // namespace
}  // namespace kolva::app
