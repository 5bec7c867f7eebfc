// What a wrong command line is told: the usage line, or the option that was wrong.
#pragma once

#include <string>

#include "app/command_line.h"

namespace wqnprep {

// The text after the last '/' or '\' of the program path (both separators, on every system).
std::string programName(const std::string& programPath);

// "use NAME <input filename> <output filename>" and a line feed, on standard output; `name` is
// programName's.
void printUsage(const std::string& name);

// The two lines for standard error, as GNU tools word them, without the final line feed:
// "NAME: REASON" and "Try 'NAME --help' for more information."
std::string describeWrongCommandLine(const std::string& name, const std::string& reason);
// The same for a wrong option: "NAME: unrecognized option '--strcit'", and the second line.
std::string describeMistake(const std::string& name, const CommandLineMistake& mistake);

}  // namespace wqnprep
