// Output written behind the work that makes it: a thread of its own writes each block while the
// next one is made, so that the system's copy runs on one core while the scan runs on the other.
// Two blocks take turns; memory stays two blocks, however much is written.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "app/byte_stream.h"

namespace wqnprep {

class WriteBehind {
 public:
  // Blocks of `capacity` bytes, written to `output`. Where the system cannot start a thread,
  // each block is written at once instead.
  WriteBehind(ByteSink& output, std::size_t capacity);
  // Waits for what was handed on to be written; what fails then is no longer reported.
  ~WriteBehind();
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // A block to fill: waits until it has been written. Raises what writing it raised.
  char* block();
  // Hands on the first `size` bytes of the block that block() gave, to be written.
  void write(std::size_t size);
  // Waits for every block to be written; raises what the writing raised.
  void finish();

 private:
  void writeAll();
  void wait(std::unique_lock<std::mutex>& lock);

  ByteSink& output_;
  std::unique_ptr<char[]> blocks_[2];
  std::size_t next_ = 0;  // the block block() gives
  std::mutex mutex_;
  std::condition_variable changed_;
  const char* pendingData_ = nullptr;  // the block handed on to be written, and its size
  std::size_t pending_ = 0;
  bool pendingBlock_ = false;  // until it is written
  bool ended_ = false;
  std::exception_ptr error_;
  std::thread writer_;
};

}  // namespace wqnprep
