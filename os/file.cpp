// What an open file is on every system; closing it is each system's own (os/*_file.cpp).
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

}  // namespace wqnprep::os
