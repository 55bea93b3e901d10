// SPDX-License-Identifier: MIT
#include "chart/spill_file.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>

namespace kolva::chart {
namespace {

std::mutex settingsMutex;
SpillSettings settings;

bool HeldInRam(const std::string& folder) {
  struct statfs fs {};
  if (statfs(folder.c_str(), &fs) != 0) return true;  // unusable either way
  const auto type = static_cast<unsigned long>(fs.f_type);
  return type == TMPFS_MAGIC || type == RAMFS_MAGIC;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::size_t PageBytes() {
  static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return page;
}

}  // namespace

SpillSettings GetSpillSettings() {
  std::lock_guard lock(settingsMutex);
  return settings;
}

void SetSpillSettings(const SpillSettings& value) {
  std::lock_guard lock(settingsMutex);
  settings = value;
}

std::vector<std::string> SpillFolders() {
  std::vector<std::string> folders;
  for (const char* name : {"KOLVA_SPILL_DIR", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') folders.emplace_back(value);
  }
  folders.emplace_back("/var/tmp");
  std::vector<std::string> usable;
  for (const std::string& folder : folders)
    if (IsFolder(folder) && !HeldInRam(folder)) usable.push_back(folder);
  return usable;
}

SpillFile::SpillFile(const std::string& folder, std::size_t maxBytes) {
  fd_ = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd_ < 0) return;
  // The whole range is held without memory behind it, so the file's
  // chunks map side by side and the values stay contiguous.
  const std::size_t page = PageBytes();
  reserved_ = (maxBytes + page - 1) / page * page;
  void* range =
      mmap(nullptr, reserved_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (range == MAP_FAILED) {
    close(fd_);
    fd_ = -1;
    reserved_ = 0;
    return;
  }
  // Nor the range held for them (see Extend).
  munlock(range, reserved_);
  base_ = static_cast<char*>(range);
}

SpillFile::~SpillFile() {
  if (writerStarted_) {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    pthread_join(writer_, nullptr);
  }
  if (base_ != nullptr) munmap(base_, reserved_);
  if (fd_ >= 0) close(fd_);
}

bool SpillFile::Extend(std::size_t bytes, std::size_t chunkBytes) noexcept {
  if (base_ == nullptr) return false;
  const std::size_t page = PageBytes();
  const std::size_t chunk = std::max(page, (chunkBytes + page - 1) / page * page);
  std::size_t grow = (bytes + chunk - 1) / chunk * chunk;
  if (grow > reserved_ - mapped_) grow = (reserved_ - mapped_) / page * page;
  if (grow < bytes || grow == 0) return false;
  // Blocks on disk first: a page written through the mapping then always
  // has its place (a sparse file could fail the write with SIGBUS).
  int reserved = 0;
  do {
    reserved = posix_fallocate(fd_, static_cast<off_t>(mapped_), static_cast<off_t>(grow));
  } while (reserved == EINTR);
  if (reserved != 0) return false;
  void* at = mmap(base_ + mapped_, grow, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, fd_,
                  static_cast<off_t>(mapped_));
  if (at == MAP_FAILED) {
    // MAP_FIXED may have undone part of the held range: hold it again.
    mmap(base_ + mapped_, grow, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED,
         -1, 0);
    return false;
  }
  // A real-time run locks the process's memory (mlockall with MCL_FUTURE),
  // which would lock every chunk mapped from then on: the file's pages
  // would count as memory the kernel may never reclaim, and a long run
  // would end killed for want of memory. The columns' pages stay the
  // kernel's to drop.
  munlock(at, grow);
  mapped_ += grow;
  return true;
}

void SpillFile::Write(const void* data, std::size_t bytes, std::size_t offset) noexcept {
  if (bytes == 0) return;
  const char* from = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < bytes) {
    const ssize_t n = pwrite(fd_, from + done, bytes - done, static_cast<off_t>(offset + done));
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      // The blocks are reserved, so the mapping takes what the call did not.
      std::memcpy(base_ + offset + done, from + done, bytes - done);
      return;
    }
  }
  // Written back early, the pages are clean by the time the next chunk
  // is written, so the kernel can drop them instead of writing them back
  // under pressure.
  sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(bytes),
                  SYNC_FILE_RANGE_WRITE);
}

bool SpillFile::StartWriter() noexcept {
  if (writerStarted_) return true;
  if (writerFailed_) return false;
  // A small stack: the thread only makes write calls, and a process that
  // locks its memory locks the stacks of threads it starts. Signals stay
  // with the threads that handle them.
  pthread_attr_t attr;
  if (pthread_attr_init(&attr) != 0) {
    writerFailed_ = true;
    return false;
  }
  pthread_attr_setstacksize(&attr, std::size_t{128} << 10);
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  writerStarted_ = pthread_create(&writer_, &attr, &SpillFile::WriterMain, this) == 0;
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  pthread_attr_destroy(&attr);
  writerFailed_ = !writerStarted_;
  return writerStarted_;
}

void* SpillFile::WriterMain(void* self) {
  auto& file = *static_cast<SpillFile*>(self);
  std::unique_lock lock(file.mutex_);
  for (;;) {
    file.changed_.wait(lock, [&] { return file.jobPending_ || file.stopping_; });
    if (file.jobPending_) {
      const void* data = file.jobData_;
      const std::size_t bytes = file.jobBytes_;
      const std::size_t offset = file.jobOffset_;
      lock.unlock();
      file.Write(data, bytes, offset);
      lock.lock();
      file.jobPending_ = false;
      file.changed_.notify_all();
    } else {
      return nullptr;
    }
  }
}

void SpillFile::StartWrite(const void* data, std::size_t bytes, std::size_t offset) noexcept {
  FinishWrite();
  if (!StartWriter()) {
    Write(data, bytes, offset);
    return;
  }
  {
    std::lock_guard lock(mutex_);
    jobData_ = data;
    jobBytes_ = bytes;
    jobOffset_ = offset;
    jobPending_ = true;
  }
  changed_.notify_all();
}

void SpillFile::FinishWrite() noexcept {
  if (!writerStarted_) return;
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !jobPending_; });
}

void SpillFile::DropPages() noexcept {
  FinishWrite();
  if (base_ == nullptr || mapped_ == 0) return;
  msync(base_, mapped_, MS_SYNC);
  // Pages given by write calls are dirty in the page cache without being
  // dirty in the mapping; written to disk, they can be dropped too.
  fdatasync(fd_);
  madvise(base_, mapped_, MADV_DONTNEED);
  posix_fadvise(fd_, 0, 0, POSIX_FADV_DONTNEED);
}

std::unique_ptr<SpillFile> OpenSpillFile(std::size_t maxBytes) {
  for (const std::string& folder : SpillFolders()) {
    auto file = std::make_unique<SpillFile>(folder, maxBytes);
    if (file->Valid()) return file;
  }
  static std::atomic<bool> said{false};
  if (!said.exchange(true))
    std::cerr << "kolva: no disk-backed folder for long chart columns (KOLVA_SPILL_DIR, TMPDIR, "
                 "/var/tmp); they stay in memory\n";
  return nullptr;
}

}  // namespace kolva::chart
