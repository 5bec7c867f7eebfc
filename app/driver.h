// The program's entry routine, kept out of main so that it lives in the library.
#pragma once

#include <string>
#include <vector>

#include "app/exit_status.h"

namespace wqnprep {

// Runs whatever the command line asks for and returns the exit status: settles the settings
// once, then hands them to the run they name. Every error ends up here as one "Error: ..." line
// on standard error.
int runMain(int argc, char* argv[]);

// Which arguments runMain takes as paths (not options, nor their values); the Windows entry
// expands wildcards in those alone.
std::vector<bool> pathArguments(int argc, char* argv[]);

// Tells that the command line cannot be read at all, as a wrong one is told; returns the status.
int refuseCommandLine(const std::string& programPath, const std::string& reason);

}  // namespace wqnprep
