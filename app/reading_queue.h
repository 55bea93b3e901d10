// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace kolva::app {

// One reading of a run as its line in the results file holds it: its
// number, the nominal time in seconds (interval x number, in extended
// precision) and both inputs; and whether results were to be charted when
// it was taken.
struct RunReading {
  std::uint32_t number = 0;
  long double x = 0.0L;
  float input1 = 0.0f;
  float input2 = 0.0f;
  bool charted = false;
};

// Readings from one producer thread to one consumer thread, without a lock
// and without a bound: the producer never waits and never drops a reading.
// Readings sit in blocks linked in order; the producer appends a new block
// when its block is full, the consumer frees each block it has read.
class ReadingQueue {
 public:
  static constexpr std::size_t kBlockReadings = 1024;

  ReadingQueue();
  ~ReadingQueue();
  ReadingQueue(const ReadingQueue&) = delete;
  ReadingQueue& operator=(const ReadingQueue&) = delete;

  // Producer only.
  void Push(const RunReading& reading);

  // Consumer only: hands every reading that has arrived to `consumer`, oldest
  // first, and returns how many.
  template <typename Consumer>
  std::size_t TakeAll(Consumer&& consumer) {
    std::size_t taken = 0;
    for (;;) {
      const std::size_t filled = head_->filled.load(std::memory_order_acquire);
      while (readIndex_ < filled) {
        consumer(static_cast<const RunReading&>(head_->readings[readIndex_++]));
        ++taken;
      }
      Block* next = head_->next.load(std::memory_order_acquire);
      if (next == nullptr) return taken;
      // A block with a successor is full: read its count again.
      if (readIndex_ < kBlockReadings) continue;
      delete head_;
      head_ = next;
      readIndex_ = 0;
    }
  }

 private:
  struct Block {
    std::array<RunReading, kBlockReadings> readings{};
    std::atomic<std::size_t> filled{0};
    std::atomic<Block*> next{nullptr};
  };

  Block* head_;  // consumer's block
  std::size_t readIndex_ = 0;
  Block* tail_;  // producer's block
};

}  // namespace kolva::app
