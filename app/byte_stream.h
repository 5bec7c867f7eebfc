// Where preprocessing takes its bytes from and puts them: the files of a run, or pieces of
// memory in tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace wqnprep {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `size` bytes; returns 0 only at the end. A failure raises, so that it is never
  // taken for the end.
  virtual std::size_t read(char* buffer, std::size_t size) = 0;
  // What messages call the source: a path, or the name of standard input.
  virtual const std::string& name() const = 0;
  // Whether a read never waits for bytes to arrive, as from a regular file: reading ahead to the
  // end then holds back nothing that a pipe would deliver later.
  virtual bool readsNeverWait() const { return false; }
  // Goes back to the first byte, to read the source again, where it can (a regular file): false
  // where it cannot. A failure raises.
  virtual bool rewind() { return false; }
};

// A source that can also be read at any offset, from several threads at once: a regular file.
class SeekableSource : public ByteSource {
 public:
  // Reads up to `size` bytes from `offset`; returns 0 only at the end. A failure raises.
  virtual std::size_t readAt(char* buffer, std::size_t size, std::uint64_t offset) = 0;
  // How many bytes it held when it was opened.
  virtual std::uint64_t size() const = 0;
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Takes all `size` bytes or raises.
  virtual void write(const char* data, std::size_t size) = 0;
};

}  // namespace wqnprep
