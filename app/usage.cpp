#include "app/usage.h"

#include <iostream>

namespace wqnprep {

std::string programName(const std::string& programPath) {
  const std::string::size_type separator = programPath.find_last_of("/\\");
  return separator == std::string::npos ? programPath : programPath.substr(separator + 1);
}

void printUsage(const std::string& programPath) {
  std::cout << "use " << programName(programPath) << " <input filename> <output filename>"
            << std::endl;
}

}  // namespace wqnprep
