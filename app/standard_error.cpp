#include "app/standard_error.h"

#include <new>

#include "app/diagnostics.h"

namespace wqnprep {

void printToStandardError(const std::string& line) {
  standardError().message(line);
}

void reportError(const std::exception& error) {
  printToStandardError(dynamic_cast<const std::bad_alloc*>(&error) != nullptr
                           ? std::string("Error: out of memory")
                           : std::string("Error: ") + error.what());
}

}  // namespace wqnprep
