// The program's exit statuses.
#pragma once

namespace wqnprep {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;  // the run did not do its job; the reason is on standard error
// The command line was wrong: a wrong option is named on standard error, a wrong count of paths
// gets the usage line on standard output.
constexpr int kUsageError = 2;

}  // namespace wqnprep
