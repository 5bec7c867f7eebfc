// Input read ahead of the work that uses it: a thread of its own reads the next block while the
// current one is used, so that the system's copy runs on one core while the scan runs on the
// other. Two blocks take turns; memory stays two blocks, however much is read.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "app/byte_stream.h"

namespace wqnprep {

class ReadAhead {
 public:
  // Reads `input` in blocks of up to `block` bytes, each after `headroom` bytes of room for what
  // the block before leaves over. Where the system cannot start a thread, each block is read
  // when asked for instead.
  ReadAhead(ByteSource& input, std::size_t headroom, std::size_t block);
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // The next block: `carried` bytes at `carry` (at most `headroom`, from the block given before)
  // followed by those read; `got` of them were read, 0 only at the end. Raises what reading it
  // raised.
  char* next(const char* carry, std::size_t carried, std::size_t& got);

 private:
  void readAll();

  ByteSource& input_;
  const std::size_t headroom_;
  const std::size_t block_;
  std::unique_ptr<char[]> blocks_[2];
  std::size_t current_ = 1;  // the block last given; the other is being read
  std::mutex mutex_;
  std::condition_variable changed_;
  bool ready_ = false;  // the other block is read: readSize_ bytes, or error_
  std::size_t readSize_ = 0;
  std::exception_ptr error_;
  bool wanted_ = true;  // the reader may read into the other block
  bool stopped_ = false;
  std::thread reader_;
};

}  // namespace wqnprep
