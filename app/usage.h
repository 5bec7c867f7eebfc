// What a wrong command line is told: the usage line, or the option that was wrong.
#pragma once

#include <string>

#include "app/command_line.h"

namespace wqnprep {

// The text after the last '/' or '\' of the program path (both separators, on every system).
std::string programName(const std::string& programPath);

// "use NAME <input filename> <output filename>" and a line feed, on standard output.
void printUsage(const std::string& programPath);

// The two lines for standard error, as GNU tools word them, without the final line feed:
// "NAME: unrecognized option '--strcit'" and "Try 'NAME --help' for more information."
std::string describeMistake(const std::string& programPath, const CommandLineMistake& mistake);

}  // namespace wqnprep
