// SPDX-License-Identifier: MIT
#pragma once

#include <pthread.h>

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace kolva::chart {

// Where and when a long column of values moves out of the heap into a file.
struct SpillSettings {
  // Values a column keeps on the heap; the block that grows it past this
  // count is the first in the file.
  std::size_t threshold = std::size_t{1} << 20;
  // Bytes of the file reserved on disk and mapped at a time (a whole
  // number of pages).
  std::size_t chunkBytes = std::size_t{8} << 20;
  // Bytes of a column's newest blocks kept on the heap and written to the
  // file with one write when they are full (0: values are written through
  // the mapping). Writing that way spares the kernel a page fault for
  // every fresh page of the file; an area that stays in the processor's
  // cache while the kernel copies it appends fastest (256 KiB measured
  // well ahead of 64 KiB, 1 MiB and 4 MiB).
  std::size_t stageBytes = std::size_t{256} << 10;
};

// The settings every column reads when it grows (tests lower them).
SpillSettings GetSpillSettings();
void SetSpillSettings(const SpillSettings& settings);

// The folders a column file may go to, in the order tried: KOLVA_SPILL_DIR,
// TMPDIR, /var/tmp, less those not set, those that are no folder and those
// held in RAM (tmpfs, ramfs), where a file would save no memory.
std::vector<std::string> SpillFolders();

// An unlinked file (O_TMPFILE) mapped at one fixed address range: the pages
// written stay in the file, and the kernel keeps in RAM only those in use.
// Nothing is left on disk after the process ends, however it ends. The
// file grows by whole chunks whose blocks are reserved on disk before they
// are mapped, so writing a mapped page never meets a full disk.
class SpillFile {
 public:
  // Opens a file in the folder with room for up to maxBytes mapped;
  // Valid() is false when the folder cannot hold one.
  SpillFile(const std::string& folder, std::size_t maxBytes);
  ~SpillFile();
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  bool Valid() const { return base_ != nullptr; }
  // The start of the mapping; bytes 0 .. MappedBytes() are usable.
  char* Base() const { return base_; }
  std::size_t MappedBytes() const { return mapped_; }
  // Reserves and maps at least `bytes` more (in chunks); false, changing
  // nothing, when the disk is full or the mapping fails. Never throws.
  bool Extend(std::size_t bytes, std::size_t chunkBytes) noexcept;
  // Writes bytes at an offset inside the mapped part of the file with
  // write calls, then asks the kernel to start writing them to disk. Never
  // fails: should a write call fail, the rest is copied through the
  // mapping.
  void Write(const void* data, std::size_t bytes, std::size_t offset) noexcept;
  // Write on a thread of the file's own, so the caller goes on while the
  // kernel copies: the bytes must stay unchanged until FinishWrite, and
  // one write is in flight at a time (a second StartWrite finishes the
  // first). Where no thread can be started, the write is done at once.
  void StartWrite(const void* data, std::size_t bytes, std::size_t offset) noexcept;
  // Returns once the write started last is in the file.
  void FinishWrite() noexcept;
  // Writes the mapped pages to disk and lets the kernel drop them from
  // RAM: the next read of a value comes from the disk (a cold start).
  void DropPages() noexcept;

 private:
  int fd_ = -1;
  char* base_ = nullptr;
  std::size_t reserved_ = 0;  // address range held for the mapping
  std::size_t mapped_ = 0;

  // The writer thread and the one write handed to it.
  static void* WriterMain(void* file);
  bool StartWriter() noexcept;
  pthread_t writer_{};
  bool writerStarted_ = false;
  bool writerFailed_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  const void* jobData_ = nullptr;
  std::size_t jobBytes_ = 0;
  std::size_t jobOffset_ = 0;
  bool jobPending_ = false;
  bool stopping_ = false;
};

// A file in the first of SpillFolders() that takes one; null when none
// does, and then stderr says once in the process that long columns stay in
// memory.
std::unique_ptr<SpillFile> OpenSpillFile(std::size_t maxBytes);

}  // namespace kolva::chart
