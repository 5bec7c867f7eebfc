#include "app/write_behind.h"

#include <system_error>
#include <utility>

namespace wqnprep {

WriteBehind::WriteBehind(ByteSink& output, std::size_t capacity) : output_(output) {
  for (auto& bytes : blocks_) bytes = std::make_unique_for_overwrite<char[]>(capacity);
  try {
    writer_ = std::thread([this] { writeAll(); });
  } catch (const std::system_error&) {
    // Out of threads, or of memory for a stack: each block is written as it is handed on.
  }
}

WriteBehind::~WriteBehind() {
  if (!writer_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    ended_ = true;
  }
  changed_.notify_all();
  writer_.join();
}

char* WriteBehind::block() {
  // This block was written before the one being written now was handed on.
  if (writer_.joinable()) {
    const std::lock_guard lock(mutex_);
    if (error_) std::rethrow_exception(error_);
  }
  return blocks_[next_].get();
}

void WriteBehind::write(std::size_t size) {
  if (!writer_.joinable()) {
    output_.write(blocks_[next_].get(), size);
    return;
  }
  std::unique_lock lock(mutex_);
  wait(lock);  // for the block before, the one that block() gives next
  pendingData_ = blocks_[next_].get();
  pending_ = size;
  pendingBlock_ = true;
  lock.unlock();
  changed_.notify_all();
  next_ ^= 1;
}

void WriteBehind::finish() {
  if (!writer_.joinable()) return;
  std::unique_lock lock(mutex_);
  wait(lock);
}

// Until the block handed on last is written; raises what writing it raised.
void WriteBehind::wait(std::unique_lock<std::mutex>& lock) {
  changed_.wait(lock, [this] { return !pendingBlock_ || error_; });
  if (error_) std::rethrow_exception(error_);
}

void WriteBehind::writeAll() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return pendingBlock_ || ended_; });
    if (!pendingBlock_) return;
    const char* const data = pendingData_;
    const std::size_t size = pending_;
    lock.unlock();
    try {
      output_.write(data, size);
    } catch (...) {
      lock.lock();
      error_ = std::current_exception();
      pendingBlock_ = false;
      changed_.notify_all();
      return;
    }
    lock.lock();
    pendingBlock_ = false;
    changed_.notify_all();
  }
}

}  // namespace wqnprep
