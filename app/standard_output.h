// Everything the program prints on standard output goes through here.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "os/file.h"

namespace wqnprep {

// Writes `text` at once, so that a failure is known here, with the system's reason ("No space
// left on device"), and not lost when the program exits.
inline void writeToStandardOutput(std::string_view text) {
  if (const std::error_code error = os::writeText(os::StandardStream::output, text))
    throw std::runtime_error("cannot write to standard output: " + error.message());
}

}  // namespace wqnprep
