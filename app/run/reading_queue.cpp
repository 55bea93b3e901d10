// SPDX-License-Identifier: MIT
#include "app/run/reading_queue.h"

namespace kolva::app {

ReadingQueue::ReadingQueue(std::size_t spareBlocks) : head_(new Block), tail_(head_) {
  for (std::size_t i = 0; i < spareBlocks; ++i) Recycle(new Block);
}

ReadingQueue::~ReadingQueue() {
  while (head_ != nullptr) {
    Block* next = head_->next.load(std::memory_order_relaxed);
    delete head_;
    head_ = next;
  }
  for (Block* block = free_.load(); block != nullptr;) {
    Block* next = block->nextFree;
    delete block;
    block = next;
  }
}

ReadingQueue::Block* ReadingQueue::NewBlock() {
  Block* block = free_.load(std::memory_order_acquire);
  while (block != nullptr &&
         !free_.compare_exchange_weak(block, block->nextFree, std::memory_order_acquire,
                                      std::memory_order_acquire)) {
  }
  if (block == nullptr) return new Block;
  block->filled.store(0, std::memory_order_relaxed);
  block->next.store(nullptr, std::memory_order_relaxed);
  return block;
}

void ReadingQueue::Recycle(Block* block) {
  block->nextFree = free_.load(std::memory_order_relaxed);
  while (!free_.compare_exchange_weak(block->nextFree, block, std::memory_order_release,
                                      std::memory_order_relaxed)) {
  }
}

void ReadingQueue::Push(const RunReading& reading) {
  std::size_t filled = tail_->filled.load(std::memory_order_relaxed);
  if (filled == kBlockReadings) {
    Block* block = NewBlock();
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
