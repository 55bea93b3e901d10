// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>

#include "chart/spill_file.h"

namespace kolva::chart {

// A growable array of trivially copyable values (the per-point numbers and
// colours of a series), stored in blocks of kBlockSize values reached
// through a table. Growing never moves a stored value: a full array gets
// one more block, so adding a million samples writes each value once and
// the unused room is below one block. Until the array first fills one
// block, that block alone grows with realloc, so a short series takes
// little room. Release() gives all storage back (capacity 0).
//
// An array allowed to spill moves into a SpillFile when it grows past
// SpillSettings::threshold values: its values are copied there once, and
// from then on its blocks are consecutive pieces of the file's mapping,
// reached through the same table, so every operation reads and writes
// them as before. The newest blocks of a spilled array lie in a staging
// area on the heap (SpillSettings::stageBytes): appending never faults in
// a fresh page of the file. A full area is written to the file by the
// file's own thread while appending goes on in a second area; once that
// write is finished its blocks' table entries are turned to the mapping.
// Until then the written area is only read: anything that changes stored
// values first waits for the write (Settle), so every value is still
// reached through the table. Should the file find no room (a full disk, a
// failed mapping), growing fails and the array is Full() until Release().
template <typename T>
class PodArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  static constexpr std::size_t kBlockShift = 10;
  static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockShift;
  static constexpr std::size_t kFirstCapacity = 16;

  PodArray() = default;
  PodArray(const PodArray&) = delete;
  PodArray& operator=(const PodArray&) = delete;
  ~PodArray() { Release(); }

  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  // Bytes held: the blocks and the table that reaches them (blocks in a
  // file are not on the heap and not counted).
  std::size_t StorageBytes() const {
    return (file_ ? 2 * stageBlocks_ * kBlockBytes : capacity_ * sizeof(T)) +
           tableCapacity_ * sizeof(T*);
  }

  // Lets the array move into a file once it is long (see above).
  void AllowSpill() { spillAllowed_ = true; }
  bool Spilled() const { return file_ != nullptr; }
  bool Full() const { return full_; }
  // Lets the kernel drop the file's pages from RAM (see SpillFile).
  // Values in the staging area stay on the heap.
  void DropPages() {
    if (!file_) return;
    Settle();
    file_->DropPages();
  }
  // Free places before the array must grow: in a file, those its mapping
  // already has room for (its blocks are placed as values reach them, so
  // that they are filled in a staging area).
  std::size_t Room() const {
    return file_ ? file_->MappedBytes() / kBlockBytes * kBlockSize - size_ : capacity_ - size_;
  }
  // Grows until n more values fit without growing; false when the file
  // could not grow (Full() from then on), with whatever room was made kept.
  // Heap exhaustion still raises std::bad_alloc, as when growing on demand.
  bool Reserve(std::size_t n) {
    while (Room() < n)
      if (!TryGrow()) return false;
    return true;
  }

  T& operator[](std::size_t i) {
    if (flightBlocks_ != 0) Settle();
    return Slot(i);
  }
  const T& operator[](std::size_t i) const { return blocks_[i >> kBlockShift][i & kMask]; }
  const T& back() const { return (*this)[size_ - 1]; }

  void push_back(T value) {
    if (size_ == capacity_) Grow();
    Slot(size_) = value;
    ++size_;
  }
  // Appends values[0 .. n) block by block; the storage grows exactly as n
  // push_back calls would grow it, so capacity and StorageBytes match.
  void append(const T* values, std::size_t n) {
    while (n > 0) {
      if (size_ == capacity_) Grow();
      const std::size_t take = std::min(n, RoomInBlock());
      std::memcpy(&Slot(size_), values, take * sizeof(T));
      size_ += take;
      values += take;
      n -= take;
    }
  }
  // Appends n copies of the value, growing as n push_back calls would.
  void append(std::size_t n, T value) {
    while (n > 0) {
      if (size_ == capacity_) Grow();
      const std::size_t take = std::min(n, RoomInBlock());
      std::fill_n(&Slot(size_), take, value);
      size_ += take;
      n -= take;
    }
  }
  // Inserts before position i (0 .. size()).
  void insert(std::size_t i, T value) {
    Settle();
    if (size_ == capacity_) Grow();
    ShiftUp(i);
    (*this)[i] = value;
    ++size_;
  }
  // Removes position i (0 .. size() - 1).
  void erase(std::size_t i) {
    Settle();
    ShiftDown(i);
    --size_;
  }
  void Fill(T value) {
    Settle();
    for (std::size_t b = 0; b * kBlockSize < size_; ++b)
      std::fill_n(blocks_[b], std::min(kBlockSize, size_ - b * kBlockSize), value);
  }
  // Empties the array and frees its storage, its file included.
  void Release() {
    if (file_) {
      file_.reset();  // its writer finishes first
      std::free(stage_);
      stage_ = nullptr;
      stageBlocks_ = stageUsed_ = filling_ = flightFirst_ = flightBlocks_ = 0;
    } else {
      for (std::size_t b = 0; b < blockCount_; ++b) std::free(blocks_[b]);
    }
    std::free(blocks_);
    blocks_ = nullptr;
    blockCount_ = tableCapacity_ = size_ = capacity_ = 0;
    full_ = heapOnly_ = false;
  }

 private:
  static constexpr std::size_t kMask = kBlockSize - 1;

  T& Slot(std::size_t i) { return blocks_[i >> kBlockShift][i & kMask]; }

  // Free places after the last value that lie in its block (the first
  // block may be smaller than kBlockSize).
  std::size_t RoomInBlock() const {
    return std::min(capacity_ - size_, kBlockSize - (size_ & kMask));
  }

  // The array can hold this many values at most (an int counts them).
  static constexpr std::size_t kMaxValues = std::size_t{1} << 31;
  static constexpr std::size_t kBlockBytes = kBlockSize * sizeof(T);

  // Growing by a block for the next value, where no Reserve made room
  // first.
  void Grow() {
    if (!(file_ ? AddFileBlock() : TryGrow())) throw std::bad_alloc();
  }
  // Makes more room: on the heap, a block; in a file, a chunk of mapping.
  bool TryGrow() {
    if (full_) return false;
    if (file_) return ExtendFile(file_->MappedBytes() + 1);
    if (spillAllowed_ && !heapOnly_ && capacity_ >= GetSpillSettings().threshold) return Spill();
    if (capacity_ < kBlockSize) {
      GrowFirstBlock();
    } else {
      AddBlock();
    }
    return true;
  }
  // Moves the values into a new file with room for one more block. With
  // no folder for one the array stays on the heap; with no room in it the
  // array is full.
  bool Spill() {
    std::unique_ptr<SpillFile> file = OpenSpillFile(kMaxValues * sizeof(T));
    if (!file) {
      heapOnly_ = true;
      return TryGrow();
    }
    const std::size_t blocks = capacity_ / kBlockSize + 1;
    if (!file->Extend(blocks * kBlockBytes, GetSpillSettings().chunkBytes)) {
      full_ = true;
      return false;
    }
    while (tableCapacity_ < blocks) GrowTable();
    T* base = reinterpret_cast<T*>(file->Base());
    for (std::size_t b = 0; b < blockCount_; ++b) {
      const std::size_t stored =
          b * kBlockSize < size_ ? std::min(kBlockSize, size_ - b * kBlockSize) : 0;
      file->Write(blocks_[b], stored * sizeof(T), b * kBlockBytes);
      std::free(blocks_[b]);
      blocks_[b] = base + b * kBlockSize;
    }
    file_ = std::move(file);
    // The block past the heap's is the first one staged (with no heap for
    // the staging areas, blocks are written through the mapping).
    stageBlocks_ = GetSpillSettings().stageBytes / kBlockBytes;
    if (stageBlocks_ > 0) {
      stage_ = static_cast<T*>(std::malloc(2 * stageBlocks_ * kBlockBytes));
      if (stage_ == nullptr) stageBlocks_ = 0;
    }
    stageUsed_ = filling_ = 0;
    // A first block smaller than kBlockSize becomes a whole block of the
    // file; otherwise one block is added.
    capacity_ = blockCount_ * kBlockSize;
    if (blockCount_ < blocks) PlaceFileBlock();
    return true;
  }
  // The staging area being filled (0 or 1).
  T* FillingArea() const { return stage_ + filling_ * stageBlocks_ * kBlockSize; }
  // Hands the filled area's blocks (the last stageUsed_ ones) to the
  // file's writer, once the write before has finished, and goes on in the
  // other area. An area fills up only by growing past its last block,
  // which is done only when every value up to there is stored, so the
  // blocks handed over are all full.
  void FlushStage() {
    Settle();
    flightFirst_ = blockCount_ - stageUsed_;
    flightBlocks_ = stageUsed_;
    file_->StartWrite(FillingArea(), stageUsed_ * kBlockBytes, flightFirst_ * kBlockBytes);
    filling_ ^= 1;
    stageUsed_ = 0;
  }
  // Waits for the write in flight and turns its blocks' table entries to
  // the mapping: the area is free again and every block is where it stays.
  void Settle() {
    if (flightBlocks_ == 0) return;
    file_->FinishWrite();
    T* base = reinterpret_cast<T*>(file_->Base());
    for (std::size_t b = flightFirst_; b < flightFirst_ + flightBlocks_; ++b)
      blocks_[b] = base + b * kBlockSize;
    flightBlocks_ = 0;
  }
  // Adds the next block of the file (its room already mapped): in the
  // staging area while there is one, after writing it out when full.
  void PlaceFileBlock() {
    if (blockCount_ == tableCapacity_) GrowTable();
    if (stageBlocks_ == 0) {
      blocks_[blockCount_] = reinterpret_cast<T*>(file_->Base()) + blockCount_ * kBlockSize;
    } else {
      if (stageUsed_ == stageBlocks_) FlushStage();
      blocks_[blockCount_] = FillingArea() + stageUsed_ * kBlockSize;
      ++stageUsed_;
    }
    ++blockCount_;
    capacity_ += kBlockSize;
  }
  bool AddFileBlock() {
    if (!ExtendFile((blockCount_ + 1) * kBlockBytes)) return false;
    PlaceFileBlock();
    return true;
  }
  // Maps the file up to at least `end` bytes; false, and Full(), when the
  // file cannot grow.
  bool ExtendFile(std::size_t end) {
    if (end <= file_->MappedBytes()) return true;  // room mapped before the file filled
    if (full_ || !file_->Extend(end - file_->MappedBytes(), GetSpillSettings().chunkBytes)) {
      full_ = true;
      return false;
    }
    return true;
  }
  void GrowFirstBlock() {
    if (tableCapacity_ == 0) GrowTable();
    std::size_t wanted = capacity_ == 0 ? kFirstCapacity : capacity_ * 2;
    void* grown = std::realloc(blocks_[0], wanted * sizeof(T));
    if (grown == nullptr) throw std::bad_alloc();
    blocks_[0] = static_cast<T*>(grown);
    blockCount_ = 1;
    capacity_ = wanted;
  }
  void AddBlock() {
    if (blockCount_ == tableCapacity_) GrowTable();
    void* block = std::malloc(kBlockSize * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    blocks_[blockCount_++] = static_cast<T*>(block);
    capacity_ += kBlockSize;
  }
  void GrowTable() {
    std::size_t wanted = tableCapacity_ == 0 ? 1 : tableCapacity_ * 2;
    void* grown = std::realloc(blocks_, wanted * sizeof(T*));
    if (grown == nullptr) throw std::bad_alloc();
    blocks_ = static_cast<T**>(grown);
    if (tableCapacity_ == 0) blocks_[0] = nullptr;
    tableCapacity_ = wanted;
  }
  // Moves positions i .. size() - 1 one up, the last block first; the
  // value crossing into the next block is carried over before its block
  // is overwritten. Needs room for one more value.
  void ShiftUp(std::size_t i) {
    for (std::size_t end = size_; end > i;) {
      std::size_t blockStart = end & ~kMask;
      std::size_t from = std::max(i, blockStart);  // first moved value of this block
      T* block = blocks_[end >> kBlockShift];
      std::size_t offset = end - blockStart;
      if (from == blockStart) {
        std::memmove(block + 1, block, offset * sizeof(T));
        if (from > i) block[0] = (*this)[from - 1];
        end = from > i ? from - 1 : i;
        if (from == i) break;
        continue;
      }
      std::memmove(block + (from - blockStart) + 1, block + (from - blockStart),
                   (end - from) * sizeof(T));
      break;
    }
  }
  // Moves positions i + 1 .. size() - 1 one down, the first block first.
  void ShiftDown(std::size_t i) {
    for (std::size_t at = i; at + 1 < size_;) {
      std::size_t blockEnd = (at | kMask) + 1;  // one past this block
      std::size_t last = std::min(blockEnd, size_) - 1;
      T* block = blocks_[at >> kBlockShift];
      std::size_t offset = at & kMask;
      std::memmove(block + offset, block + offset + 1, (last - at) * sizeof(T));
      if (last + 1 < size_) block[last & kMask] = (*this)[last + 1];
      at = last + 1;
    }
  }

  T** blocks_ = nullptr;
  std::size_t blockCount_ = 0;
  std::size_t tableCapacity_ = 0;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::unique_ptr<SpillFile> file_;
  T* stage_ = nullptr;            // the two staging areas of a spilled array, or null
  std::size_t stageBlocks_ = 0;   // blocks a staging area holds
  std::size_t stageUsed_ = 0;     // the last blocks of the table lying in the filling area
  std::size_t filling_ = 0;       // the area being filled
  std::size_t flightFirst_ = 0;   // the first block of the area being written
  std::size_t flightBlocks_ = 0;  // its blocks; 0 when no write is in flight
  bool spillAllowed_ = false;
  bool heapOnly_ = false;  // no folder took a file: stay on the heap until Release
  bool full_ = false;
};

}  // namespace kolva::chart
