#include "app/read_ahead.h"

#include <cstring>
#include <system_error>

namespace wqnprep {

ReadAhead::ReadAhead(ByteSource& input, std::size_t headroom, std::size_t block)
    : input_(input), headroom_(headroom), block_(block) {
  for (auto& bytes : blocks_) bytes = std::make_unique_for_overwrite<char[]>(headroom + block);
  try {
    reader_ = std::thread([this] { readAll(); });
  } catch (const std::system_error&) {
    // Out of threads, or of memory for a stack: each block is read when it is asked for.
  }
}

ReadAhead::~ReadAhead() {
  if (!reader_.joinable()) return;
  {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  changed_.notify_all();
  reader_.join();
}

char* ReadAhead::next(const char* carry, std::size_t carried, std::size_t& got) {
  const std::size_t reading = current_ ^ 1;
  char* const bytes = blocks_[reading].get();
  if (!reader_.joinable()) {
    got = input_.read(bytes + headroom_, block_);
  } else {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_; });
    if (error_) std::rethrow_exception(error_);
    got = readSize_;
  }
  // Carried over before the block it comes from is read into again.
  std::memcpy(bytes + headroom_ - carried, carry, carried);
  current_ = reading;
  if (reader_.joinable() && got != 0) {
    {
      const std::lock_guard lock(mutex_);
      ready_ = false;
      wanted_ = true;
    }
    changed_.notify_all();
  }
  return bytes + headroom_ - carried;
}

void ReadAhead::readAll() {
  std::size_t reading = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return wanted_ || stopped_; });
    if (stopped_) return;
    wanted_ = false;
    lock.unlock();
    std::size_t got = 0;
    std::exception_ptr error;
    try {
      got = input_.read(blocks_[reading].get() + headroom_, block_);
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    readSize_ = got;
    error_ = error;
    ready_ = true;
    changed_.notify_all();
    if (error || got == 0) return;
    reading ^= 1;
  }
}

}  // namespace wqnprep
