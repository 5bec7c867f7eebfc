// Building process-wide tables during static initialisation.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace wqnprep {

// Calls `build` and returns true. Nothing can catch an exception thrown before main, so a
// failure (memory exhausted) is reported the way every other error is and ends the process
// with status 1 instead of an unexplained abort.
template <typename Build>
bool buildBeforeMain(const char* what, Build build) noexcept {
  try {
    build();
    return true;
  } catch (const std::exception& error) {
    (void)std::fprintf(stderr, "Error: cannot build the %s: %s\n", what, error.what());
    std::_Exit(1);
  }
}

}  // namespace wqnprep
