// The program's entry routine, kept out of main so that it lives in the library.
#pragma once

#include "app/exit_status.h"

namespace wqnprep {

// Runs whatever the command line asks for and returns the exit status: settles the settings
// once, then hands them to the run they name. Every error ends up here as one "Error: ..." line
// on standard error.
int runMain(int argc, char* argv[]);

}  // namespace wqnprep
