// Memory for blocks of bytes, taken from what this thread let go of before where that is large
// enough: a thread that works on file after file (or a fuzzer, on input after input) asks the
// system for its blocks once, not for every file.
#pragma once

#include <cstddef>
#include <memory>

namespace wqnprep {

// At least `size` bytes, their contents whatever they were; given back to the thread that lets
// them go.
class SpareBytes {
 public:
  SpareBytes() = default;
  explicit SpareBytes(std::size_t size);
  SpareBytes(SpareBytes&& other) noexcept = default;
  SpareBytes& operator=(SpareBytes&& other) noexcept;
  SpareBytes(const SpareBytes&) = delete;
  SpareBytes& operator=(const SpareBytes&) = delete;
  ~SpareBytes() { letGo(); }

  char* get() const { return bytes_.get(); }

 private:
  void letGo() noexcept;

  std::unique_ptr<char[]> bytes_;
  std::size_t size_ = 0;
};

}  // namespace wqnprep
