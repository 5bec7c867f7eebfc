// Helpers shared by the POSIX implementation files; not part of the interface.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace wqnprep::os::posix {

inline std::error_code lastError() {
  return {errno, std::generic_category()};
}

// With a standard stream closed, a file opened now would take its number and pass for it; move
// it out of the way so that "-" still means the stream the caller gave (or none).
inline int keepOffStandardStreams(int fd) {
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int error = errno;
  ::close(fd);
  errno = error;
  return moved;
}

}  // namespace wqnprep::os::posix
