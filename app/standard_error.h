// Everything the program tells on standard error outside the findings: one line per message.
#pragma once

#include <exception>
#include <new>
#include <string>

#include "os/file.h"

namespace wqnprep {

// One line on standard error. Nothing is left to tell if that fails; the exit status still does.
inline void printToStandardError(const std::string& line) {
  (void)os::writeText(os::StandardStream::error, line + '\n');
}

// "Error: " and what went wrong.
inline void reportError(const std::exception& error) {
  printToStandardError(dynamic_cast<const std::bad_alloc*>(&error) != nullptr
                           ? std::string("Error: out of memory")
                           : std::string("Error: ") + error.what());
}

}  // namespace wqnprep
