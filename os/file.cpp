// What an open file is on every system, and the last-resort error write; closing a file and
// writing text are each system's own (os/*_file.cpp).
#include "os/file.h"

#include <utility>

namespace wqnprep::os {

File::~File() {
  (void)close();
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)), owned_(other.owned_) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    (void)close();
    handle_ = std::exchange(other.handle_, kNone);
    owned_ = other.owned_;
  }
  return *this;
}

void writeToStandardError(const char* text, std::size_t size) noexcept {
  (void)writeText(StandardStream::error, {text, size});
}

}  // namespace wqnprep::os
