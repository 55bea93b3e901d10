// SPDX-License-Identifier: MIT
#include "wykres/results_loader.h"

#include <QMetaObject>
#include <algorithm>
#include <exception>
#include <utility>

namespace kolva::wykres {

ResultsLoader::ResultsLoader(QObject& context, ChunkHandler onChunk, EndHandler onEnd,
                             std::uint64_t sliceBytes)
    : context_(context),
      onChunk_(std::move(onChunk)),
      onEnd_(std::move(onEnd)),
      sliceBytes_(std::max<std::uint64_t>(1, sliceBytes)) {}

ResultsLoader::~ResultsLoader() {
  Cancel();
}

void ResultsLoader::Start(std::unique_ptr<app::ResultsReader> reader) {
  Cancel();
  name_ = reader->Name();
  dataStart_ = reader->BytesRead();
  fileSize_ = reader->FileSize();
  const std::uint64_t data = fileSize_ > dataStart_ ? fileSize_ - dataStart_ : 0;
  sliceCount_ = static_cast<std::size_t>(std::max<std::uint64_t>(1, data / sliceBytes_));
  linesShown_ = linesBeforeSlice_ = reader->LineNumber();
  readers_.clear();
  readers_.push_back(std::move(reader));
  while (readers_.size() < std::min(kWorkers, sliceCount_))
    readers_.push_back(readers_.front()->Twin());
  waiting_.clear();
  cancel_ = false;
  shownSlice_ = 0;
  busy_ = true;
  const std::uint64_t generation = ++generation_;
  for (std::size_t w = 0; w < readers_.size(); ++w)
    workers_.emplace_back([this, w, generation] { Work(*readers_[w], w, generation); });
}

void ResultsLoader::Cancel() {
  ++generation_;  // whatever is still queued is dropped on arrival
  busy_ = false;
  {
    std::lock_guard lock(mutex_);
    cancel_ = true;
  }
  sliceDone_.notify_all();
  for (std::thread& worker : workers_)
    if (worker.joinable()) worker.join();
  workers_.clear();
  readers_.clear();
  waiting_.clear();
}

void ResultsLoader::Work(app::ResultsReader& reader, std::size_t first, std::uint64_t generation) {
  for (std::size_t slice = first; slice < sliceCount_; slice += kWorkers) {
    {
      std::unique_lock lock(mutex_);
      sliceDone_.wait(lock, [&] { return cancel_ || slice < shownSlice_ + kSlicesAhead; });
      if (cancel_) return;
    }
    Message end;
    end.slice = slice;
    end.end = true;
    try {
      ReadSlice(reader, slice, generation);
      end.why = reader.FailureWhy();
      end.failedLine = end.why.empty() ? 0 : reader.LineNumber();
    } catch (const std::exception& e) {
      end.why = e.what();
    }
    const bool failed = !end.why.empty();
    Post(generation, std::move(end));
    if (failed) return;
  }
}

// The slices cut the data at fixed offsets; the last runs to the end of the
// file however long it has grown. The disk starts on this worker's next
// slice while this one is read.
void ResultsLoader::ReadSlice(app::ResultsReader& reader, std::size_t slice,
                              std::uint64_t generation) {
  const std::uint64_t from = dataStart_ + slice * sliceBytes_;
  reader.SetSlice(from, slice + 1 == sliceCount_ ? UINT64_MAX : from + sliceBytes_);
  if (slice + kWorkers < sliceCount_) reader.Prefetch(from + kWorkers * sliceBytes_, sliceBytes_);
  bool more = true;
  while (more) {
    {
      std::lock_guard lock(mutex_);
      if (cancel_) return;
    }
    auto chunk = std::make_shared<Chunk>();
    chunk->time.resize(kChunkReadings);
    chunk->input1.resize(kChunkReadings);
    chunk->input2.resize(kChunkReadings);
    std::size_t count = 0;
    more = reader.Read({chunk->time.data(), chunk->input1.data(), chunk->input2.data()},
                       kChunkReadings, count);
    if (count == 0) continue;
    chunk->time.resize(count);
    chunk->input1.resize(count);
    chunk->input2.resize(count);
    chunk->bytesRead = reader.BytesRead();
    chunk->fileSize = fileSize_;
    Message message;
    message.slice = slice;
    message.chunk = std::move(chunk);
    Post(generation, std::move(message));
  }
}

void ResultsLoader::Post(std::uint64_t generation, Message message) {
  QMetaObject::invokeMethod(
      &context_,
      [this, generation, message = std::move(message)]() mutable { Deliver(generation, message); },
      Qt::QueuedConnection);
}

// Messages of the slice being shown are applied at once; those of later
// slices wait for their turn.
void ResultsLoader::Deliver(std::uint64_t generation, Message& message) {
  if (generation != generation_) return;
  if (message.slice != shownSlice_) {
    waiting_[message.slice].push_back(std::move(message));
    return;
  }
  if (!Apply(generation, message)) return;
  while (generation == generation_ && busy_) {
    const auto next = waiting_.find(shownSlice_);
    if (next == waiting_.end() || next->second.empty()) return;
    const Message waiting = std::move(next->second.front());
    next->second.pop_front();
    if (next->second.empty()) waiting_.erase(next);
    if (!Apply(generation, waiting)) return;
  }
}

bool ResultsLoader::Apply(std::uint64_t generation, const Message& message) {
  if (message.chunk) {
    onChunk_(*message.chunk);
    if (generation != generation_) return false;  // the handler cancelled the load
    linesShown_ += message.chunk->time.size();
  }
  if (!message.end) return true;
  if (!message.why.empty()) {
    Finish(message.failedLine == 0
               ? message.why
               : app::ResultsReader::FailureText(name_, linesBeforeSlice_ + message.failedLine,
                                                 message.why));
    return false;
  }
  if (shownSlice_ + 1 == sliceCount_) {
    Finish({});
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    ++shownSlice_;
  }
  linesBeforeSlice_ = linesShown_;
  sliceDone_.notify_all();
  return true;
}

void ResultsLoader::Finish(const std::string& failure) {
  Cancel();
  onEnd_(failure);
}

}  // namespace kolva::wykres
