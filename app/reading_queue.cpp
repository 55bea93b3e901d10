// SPDX-License-Identifier: MIT
#include "app/reading_queue.h"

namespace kolva::app {

ReadingQueue::ReadingQueue() : head_(new Block), tail_(head_) {}

ReadingQueue::~ReadingQueue() {
  while (head_ != nullptr) {
    Block* next = head_->next.load(std::memory_order_relaxed);
    delete head_;
    head_ = next;
  }
}

void ReadingQueue::Push(const RunReading& reading) {
  std::size_t filled = tail_->filled.load(std::memory_order_relaxed);
  if (filled == kBlockReadings) {
    // One allocation per block of readings; the consumer frees it.
    auto* block = new Block;
    block->readings[0] = reading;
    block->filled.store(1, std::memory_order_relaxed);
    tail_->next.store(block, std::memory_order_release);
    tail_ = block;
    return;
  }
  tail_->readings[filled] = reading;
  tail_->filled.store(filled + 1, std::memory_order_release);
}

}  // namespace kolva::app
