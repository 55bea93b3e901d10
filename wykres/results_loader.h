// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/results_reader.h"

namespace kolva::wykres {

// Reads a results file's data lines on a worker thread and hands them to
// the GUI thread in chunks, through `context`'s event queue. The reader
// comes already opened (its header read), so a file that does not open or
// is not a results file fails on the caller's thread. At most a few chunks
// wait in the queue: the worker pauses while the GUI thread catches up, so
// memory stays bounded however long the file.
class ResultsLoader {
 public:
  static constexpr std::size_t kChunkReadings = 32768;

  struct Chunk {
    std::vector<app::ResultsReading> readings;
    std::uint64_t bytesRead = 0;
    std::uint64_t fileSize = 0;
  };
  // Both run on the GUI thread. `failure` is empty when every line read.
  using ChunkHandler = std::function<void(const Chunk&)>;
  using EndHandler = std::function<void(const std::string& failure)>;

  ResultsLoader(QObject& context, ChunkHandler onChunk, EndHandler onEnd);
  ~ResultsLoader();  // cancels a load in progress
  ResultsLoader(const ResultsLoader&) = delete;
  ResultsLoader& operator=(const ResultsLoader&) = delete;

  // Cancels any load in progress and starts reading `reader`.
  void Start(std::unique_ptr<app::ResultsReader> reader);
  // Stops the worker and drops the chunks still queued; nothing more is
  // delivered for the load. Returns when the worker has ended.
  void Cancel();
  bool Busy() const { return busy_; }

 private:
  static constexpr int kMaxQueuedChunks = 4;

  void Work(std::unique_ptr<app::ResultsReader> reader, std::uint64_t generation);
  void Post(std::uint64_t generation, std::shared_ptr<Chunk> chunk, std::string failure, bool end);
  void Deliver(std::uint64_t generation, const std::shared_ptr<Chunk>& chunk,
               const std::string& failure, bool end);

  QObject& context_;
  ChunkHandler onChunk_;
  EndHandler onEnd_;
  std::thread worker_;
  std::uint64_t generation_ = 0;  // GUI thread only
  bool busy_ = false;
  std::mutex mutex_;
  std::condition_variable queueSpace_;
  int queued_ = 0;  // under mutex_
  std::atomic<bool> cancel_{false};
};

}  // namespace kolva::wykres
