// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/files/results_reader.h"

namespace kolva::wykres {

// Reads a results file's data lines on worker threads and hands them to the
// GUI thread in file order, in chunks, through `context`'s event queue. The
// file is cut into slices that the workers read in turn, each with its own
// reader of the one open file; the GUI thread puts the slices back in order.
// The reader comes already opened (its header read), so a file that does
// not open or is not a results file fails on the caller's thread. Workers
// never run more than a few slices ahead of the GUI thread, so memory stays
// bounded however long the file.
class ResultsLoader {
 public:
  static constexpr std::size_t kChunkReadings = 32768;
  static constexpr std::uint64_t kSliceBytes = std::uint64_t{4} << 20;

  // Readings as the chart takes them: the time column and both inputs.
  struct Chunk {
    std::vector<double> time;
    std::vector<double> input1;
    std::vector<double> input2;
    std::uint64_t bytesRead = 0;  // file offset the readings reach
    std::uint64_t fileSize = 0;
  };
  // Both run on the GUI thread. `failure` is empty when every line read.
  using ChunkHandler = std::function<void(const Chunk&)>;
  using EndHandler = std::function<void(const std::string& failure)>;

  ResultsLoader(QObject& context, ChunkHandler onChunk, EndHandler onEnd,
                std::uint64_t sliceBytes = kSliceBytes);
  ~ResultsLoader();  // cancels a load in progress
  ResultsLoader(const ResultsLoader&) = delete;
  ResultsLoader& operator=(const ResultsLoader&) = delete;

  // Cancels any load in progress and starts reading `reader`.
  void Start(std::unique_ptr<app::ResultsReader> reader);
  // Stops the workers and drops what is still queued; nothing more is
  // delivered for the load. Returns when the workers have ended.
  void Cancel();
  bool Busy() const { return busy_; }

 private:
  static constexpr std::size_t kWorkers = 2;
  static constexpr std::size_t kSlicesAhead = 4;

  // What a worker sends: readings of a slice, or the slice's end (with the
  // reason when it ended early: a line that did not read, or an error).
  struct Message {
    std::size_t slice = 0;
    std::shared_ptr<Chunk> chunk;
    bool end = false;
    std::uint64_t failedLine = 0;  // counted from the slice's first, 0 for none
    std::string why;
  };

  void Work(app::ResultsReader& reader, std::size_t first, std::uint64_t generation);
  void ReadSlice(app::ResultsReader& reader, std::size_t slice, std::uint64_t generation);
  void Post(std::uint64_t generation, Message message);
  void Deliver(std::uint64_t generation, Message& message);
  // Applies one message of the slice being shown; false when the load ended.
  bool Apply(std::uint64_t generation, const Message& message);
  void Finish(const std::string& failure);

  QObject& context_;
  ChunkHandler onChunk_;
  EndHandler onEnd_;
  std::vector<std::unique_ptr<app::ResultsReader>> readers_;
  std::vector<std::thread> workers_;
  const std::uint64_t sliceBytes_;
  std::string name_;
  std::uint64_t dataStart_ = 0;
  std::uint64_t fileSize_ = 0;
  std::size_t sliceCount_ = 0;
  // GUI thread only.
  std::uint64_t generation_ = 0;
  bool busy_ = false;
  std::map<std::size_t, std::deque<Message>> waiting_;  // slices ahead of the shown one
  std::uint64_t linesShown_ = 0;                        // header lines and readings
  std::uint64_t linesBeforeSlice_ = 0;
  // Shared with the workers.
  std::mutex mutex_;
  std::condition_variable sliceDone_;
  std::size_t shownSlice_ = 0;  // under mutex_
  bool cancel_ = false;         // under mutex_
};

}  // namespace kolva::wykres
