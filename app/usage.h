// The usage line.
#pragma once

#include <string>

namespace wqnprep {

// The text after the last '/' or '\' of the program path (both separators, on every system).
std::string programName(const std::string& programPath);

// "use NAME <input filename> <output filename>" and a line feed, on standard output.
void printUsage(const std::string& programPath);

}  // namespace wqnprep
