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
// when its block is full, the consumer hands each block it has read back to
// a free list the producer takes its new blocks from, so the producer
// allocates only when more readings wait than the blocks made so far hold.
class ReadingQueue {
 public:
  static constexpr std::size_t kBlockReadings = 1024;

  // `spareBlocks` blocks are made at once for the free list.
  explicit ReadingQueue(std::size_t spareBlocks = 0);
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
      Recycle(head_);
      head_ = next;
      readIndex_ = 0;
    }
  }

 private:
  struct Block {
    std::array<RunReading, kBlockReadings> readings{};
    std::atomic<std::size_t> filled{0};
    std::atomic<Block*> next{nullptr};
    Block* nextFree = nullptr;  // on the free list
  };

  Block* NewBlock();           // producer
  void Recycle(Block* block);  // consumer

  // The free list: pushed by the consumer only and popped by the producer
  // only, so a block cannot come back while a pop looks at it.
  std::atomic<Block*> free_{nullptr};

  Block* head_;  // consumer's block
  std::size_t readIndex_ = 0;
  Block* tail_;  // producer's block
};

}  // namespace kolva::app
