// Building process-wide tables during static initialisation.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

#include "os/file.h"

namespace wqnprep {

namespace detail {

// Reports exhausted memory without needing any: when memory is that short, even throwing
// std::bad_alloc can fail (and abort), so operator new calls this instead while tables are built.
[[noreturn]] inline void outOfMemoryBeforeMain() {
  static constexpr char kMessage[] = "Error: out of memory while building the symbol tables\n";
  os::writeToStandardError(kMessage, sizeof kMessage - 1);
  std::_Exit(1);
}

}  // namespace detail

// Calls `build` and returns true. Nothing can catch an exception thrown before main, so a
// failure is reported the way every other error is and ends the process with status 1 instead
// of an unexplained abort.
template <typename Build>
bool buildBeforeMain(const char* what, Build build) noexcept {
  const std::new_handler previous = std::set_new_handler(detail::outOfMemoryBeforeMain);
  try {
    build();
  } catch (const std::exception& error) {
    (void)std::fprintf(stderr, "Error: cannot build the %s: %s\n", what, error.what());
    std::_Exit(1);
  }
  std::set_new_handler(previous);
  return true;
}

}  // namespace wqnprep
