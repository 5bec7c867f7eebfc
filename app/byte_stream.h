// Where preprocessing takes its bytes from and puts them: the files of a run, or pieces of
// memory in tests.
#pragma once

#include <cstddef>

namespace wqnprep {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes; returns 0 only at the end. A failure raises, so that it is never
  // taken for the end.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Takes all `size` bytes or raises.
  virtual void write(const char* data, std::size_t size) = 0;
};

}  // namespace wqnprep
