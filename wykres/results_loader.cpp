// SPDX-License-Identifier: MIT
#include "wykres/results_loader.h"

#include <QMetaObject>
#include <exception>
#include <utility>

namespace kolva::wykres {

ResultsLoader::ResultsLoader(QObject& context, ChunkHandler onChunk, EndHandler onEnd)
    : context_(context), onChunk_(std::move(onChunk)), onEnd_(std::move(onEnd)) {}

ResultsLoader::~ResultsLoader() {
  Cancel();
}

void ResultsLoader::Start(std::unique_ptr<app::ResultsReader> reader) {
  Cancel();
  cancel_ = false;
  queued_ = 0;
  busy_ = true;
  const std::uint64_t generation = ++generation_;
  worker_ = std::thread(
      [this, generation, r = std::move(reader)]() mutable { Work(std::move(r), generation); });
}

void ResultsLoader::Cancel() {
  ++generation_;  // whatever is still queued is dropped on arrival
  busy_ = false;
  {
    std::lock_guard lock(mutex_);
    cancel_ = true;
  }
  queueSpace_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void ResultsLoader::Work(std::unique_ptr<app::ResultsReader> reader, std::uint64_t generation) {
  std::string failure;
  try {
    bool more = true;
    while (more && !cancel_) {
      auto chunk = std::make_shared<Chunk>();
      chunk->readings.reserve(kChunkReadings);
      more = reader->Read(chunk->readings, kChunkReadings);
      chunk->bytesRead = reader->BytesRead();
      chunk->fileSize = reader->FileSize();
      {
        std::unique_lock lock(mutex_);
        queueSpace_.wait(lock, [this] { return cancel_ || queued_ < kMaxQueuedChunks; });
        if (cancel_) return;
        ++queued_;
      }
      Post(generation, std::move(chunk), {}, false);
    }
    failure = reader->Failure();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  if (!cancel_) Post(generation, nullptr, failure, true);
}

void ResultsLoader::Post(std::uint64_t generation, std::shared_ptr<Chunk> chunk,
                         std::string failure, bool end) {
  QMetaObject::invokeMethod(
      &context_,
      [this, generation, chunk = std::move(chunk), failure = std::move(failure), end] {
        Deliver(generation, chunk, failure, end);
      },
      Qt::QueuedConnection);
}

void ResultsLoader::Deliver(std::uint64_t generation, const std::shared_ptr<Chunk>& chunk,
                            const std::string& failure, bool end) {
  if (generation != generation_) return;
  if (chunk) {
    {
      std::lock_guard lock(mutex_);
      --queued_;
    }
    queueSpace_.notify_one();
    onChunk_(*chunk);
  }
  if (end) {
    busy_ = false;
    if (worker_.joinable()) worker_.join();
    onEnd_(failure);
  }
}

}  // namespace kolva::wykres
