// The program's entry routine, kept out of main so that it lives in the library.
#pragma once

namespace wqnprep {

// Exit statuses.
constexpr int kSuccess = 0;
constexpr int kFailure = 1;  // the run did not do its job; the reason is on standard error
// The command line was wrong: a wrong option is named on standard error, a wrong count of paths
// gets the usage line on standard output.
constexpr int kUsageError = 2;

// Runs `wqnprep INPUT OUTPUT` and returns the exit status. Every error ends up here as one
// "Error: ..." line on standard error.
int runMain(int argc, char* argv[]);

}  // namespace wqnprep
