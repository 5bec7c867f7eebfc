// Everything the program prints on standard output goes through here.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace wqnprep {

// Writes `text` and flushes, so that a failure is known here, with the system's reason ("No
// space left on device"), and not lost when the program exits.
inline void writeToStandardOutput(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) {
    return;
  }
  std::string message = "cannot write to standard output";
  if (errno != 0) message += std::string(": ") + std::strerror(errno);
  throw std::runtime_error(message);
}

}  // namespace wqnprep
