// The program's entry routine, kept out of main so that it lives in the library.
#pragma once

namespace wqnprep {

// Exit statuses.
constexpr int kSuccess = 0;
constexpr int kFailure = 1;     // the run did not do its job; the reason is on standard error
constexpr int kUsageError = 2;  // the command line was wrong; the usage line is on standard output

// Runs `wqnprep INPUT OUTPUT` and returns the exit status. Every error ends up here as one
// "Error: ..." line on standard error.
int runMain(int argc, char* argv[]);

}  // namespace wqnprep
