#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "os_test_support.h"

namespace wqnprep::testing {

TemporaryFolderSetTo::TemporaryFolderSetTo(const std::string& folder) {
  if (const char* previous = std::getenv("TMPDIR")) {
    previous_ = previous;
    had_ = true;
  }
  ::setenv("TMPDIR", folder.c_str(), 1);
}

TemporaryFolderSetTo::~TemporaryFolderSetTo() {
  if (had_) {
    ::setenv("TMPDIR", previous_.c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

void makePipe(os::File& readEnd, os::File& writeEnd) {
  int ends[2];
  if (::pipe(ends) != 0) throw std::runtime_error("cannot make a pipe");
  readEnd = os::File(ends[0], true);
  writeEnd = os::File(ends[1], true);
}

os::File openForAppending(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  return {fd, true};
}

}  // namespace wqnprep::testing
