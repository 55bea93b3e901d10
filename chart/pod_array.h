// SPDX-License-Identifier: MIT
#pragma once

#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace kolva::chart {

// A contiguous, growable array of trivially copyable values (the per-point
// numbers and colours of a series). It grows with realloc, which lets the C
// library move a large block by remapping its pages instead of copying them
// and touching fresh memory: adding a million samples then costs little
// more than writing them. Release() gives the storage back (capacity 0).
template <typename T>
class PodArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  PodArray() = default;
  PodArray(const PodArray&) = delete;
  PodArray& operator=(const PodArray&) = delete;
  ~PodArray() { std::free(data_); }

  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  const T& back() const { return data_[size_ - 1]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }

  void push_back(T value) {
    if (size_ == capacity_) Grow();
    data_[size_++] = value;
  }
  // Inserts before position i (0 .. size()).
  void insert(std::size_t i, T value) {
    if (size_ == capacity_) Grow();
    std::memmove(data_ + i + 1, data_ + i, (size_ - i) * sizeof(T));
    data_[i] = value;
    ++size_;
  }
  void erase(std::size_t i) {
    std::memmove(data_ + i, data_ + i + 1, (size_ - i - 1) * sizeof(T));
    --size_;
  }
  // Empties the array and frees its storage.
  void Release() {
    std::free(data_);
    data_ = nullptr;
    size_ = capacity_ = 0;
  }

 private:
  void Grow() {
    std::size_t wanted = capacity_ < 16 ? 16 : capacity_ * 2;
    void* grown = std::realloc(data_, wanted * sizeof(T));
    if (grown == nullptr) throw std::bad_alloc();
    data_ = static_cast<T*>(grown);
    capacity_ = wanted;
  }

  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace kolva::chart
