// --check: findings as errors over any number of files, and nothing written anywhere but
// standard error; the gate for CI and commit hooks.
#pragma once

#include "app/settings.h"

namespace wqnprep {

// Reads every file of the settings' paths ("-" is standard input; a folder stands for the files
// of its tree, input_paths.h) and reports each finding of their kinds as
// "FILE:LINE:COLUMN: error: MESSAGE [KIND]". A file or folder that cannot be read is reported and
// the rest are still checked. Returns kFailure if there was any finding or error, otherwise
// kSuccess.
int checkFiles(const Settings& settings);

}  // namespace wqnprep
