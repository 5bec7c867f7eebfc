// The bytes of an input that a pass over it still needs: new bytes are added at the end, read
// straight into the room after it, and those no longer needed are dropped from the front.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace wqnprep {

class ByteWindow {
 public:
  const char* data() const { return bytes_.get(); }
  std::size_t size() const { return size_; }
  char operator[](std::size_t index) const { return bytes_[index]; }
  operator std::string_view() const { return {bytes_.get(), size_}; }

  // Room for up to `most` bytes after the end, which add() then adds; the room is never zeroed.
  char* room(std::size_t most) {
    if (capacity_ - size_ < most) {
      const std::size_t capacity = std::max(size_ + most, 2 * capacity_);
      auto bytes = std::make_unique_for_overwrite<char[]>(capacity);
      if (size_ > 0) std::memcpy(bytes.get(), bytes_.get(), size_);
      bytes_ = std::move(bytes);
      capacity_ = capacity;
    }
    return bytes_.get() + size_;
  }
  void add(std::size_t count) { size_ += count; }
  void dropFront(std::size_t count) {
    std::memmove(bytes_.get(), bytes_.get() + count, size_ - count);
    size_ -= count;
  }
  void clear() { size_ = 0; }

 private:
  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace wqnprep
